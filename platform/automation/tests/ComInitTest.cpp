#include "platform/automation/ComInit.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/automation/tests/TestObjects.h"

namespace kelvaro::platform {
namespace {

using testing::OnFreshThread;
using Calls = std::vector<InitCall>;

// Every test runs on a fresh thread, which starts with zero counts and an empty journal.

TEST(ComInit, ThreadStartsUninitialised) {
  OnFreshThread([] {
    EXPECT_EQ(ComInitCount(), 0);
    EXPECT_EQ(OleInitCount(), 0);
    EXPECT_FALSE(IsComInitialized());
    EXPECT_TRUE(InitJournal().empty());
  });
}

TEST(ComInit, CoInitializeNestsAndReportsRepeats) {
  OnFreshThread([] {
    EXPECT_EQ(CoInitialize(), InitResult::Ok);
    EXPECT_EQ(CoInitialize(), InitResult::AlreadyInitialized);
    EXPECT_EQ(ComInitCount(), 2);
    CoUninitialize();
    EXPECT_TRUE(IsComInitialized());
    CoUninitialize();
    EXPECT_FALSE(IsComInitialized());
    CoUninitialize();  // unbalanced: journaled, changes nothing
    EXPECT_EQ(ComInitCount(), 0);
    EXPECT_EQ(CoInitialize(), InitResult::Ok) << "a fresh start after the count reached 0";
    EXPECT_EQ(InitJournal(),
              (Calls{InitCall::CoInitialize, InitCall::CoInitialize, InitCall::CoUninitialize,
                     InitCall::CoUninitialize, InitCall::CoUninitialize, InitCall::CoInitialize}));
  });
}

TEST(ComInit, OleInitializeAlsoInitialisesCom) {
  OnFreshThread([] {
    // The system's start-up order: OLE outermost, COM around the HTTP client inside it.
    EXPECT_EQ(OleInitialize(), InitResult::Ok);
    EXPECT_EQ(OleInitCount(), 1);
    EXPECT_EQ(ComInitCount(), 1);
    EXPECT_EQ(CoInitialize(), InitResult::AlreadyInitialized);
    EXPECT_EQ(ComInitCount(), 2);
    CoUninitialize();
    EXPECT_EQ(ComInitCount(), 1) << "still initialised by OLE";
    OleUninitialize();
    EXPECT_EQ(OleInitCount(), 0);
    EXPECT_EQ(ComInitCount(), 0);
    EXPECT_EQ(InitJournal(), (Calls{InitCall::OleInitialize, InitCall::CoInitialize,
                                    InitCall::CoUninitialize, InitCall::OleUninitialize}));
  });
}

TEST(ComInit, UnbalancedOleUninitializeLeavesComAlone) {
  OnFreshThread([] {
    CoInitialize();
    OleUninitialize();
    EXPECT_EQ(OleInitCount(), 0);
    EXPECT_EQ(ComInitCount(), 1);
    EXPECT_EQ(OleInitialize(), InitResult::Ok);
    EXPECT_EQ(OleInitialize(), InitResult::AlreadyInitialized);
    EXPECT_EQ(ComInitCount(), 3);
  });
}

TEST(ComInit, CountsAndJournalArePerThread) {
  OnFreshThread([] {
    OleInitialize();
    CoInitialize();
    OnFreshThread([] {
      EXPECT_FALSE(IsComInitialized());
      EXPECT_TRUE(InitJournal().empty());
      CoInitialize();
    });
    EXPECT_EQ(ComInitCount(), 2);
    EXPECT_EQ(InitJournal(), (Calls{InitCall::OleInitialize, InitCall::CoInitialize}));
  });
}

TEST(ComInit, ClearingTheJournalKeepsTheCounts) {
  OnFreshThread([] {
    CoInitialize();
    ClearInitJournal();
    EXPECT_TRUE(InitJournal().empty());
    EXPECT_EQ(ComInitCount(), 1);
    CoUninitialize();
    EXPECT_EQ(InitJournal(), Calls{InitCall::CoUninitialize});
  });
}

}  // namespace
}  // namespace kelvaro::platform
