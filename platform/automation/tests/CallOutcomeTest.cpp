#include "platform/automation/CallOutcome.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <utility>

#include "platform/automation/tests/TestObjects.h"

namespace kelvaro::platform {
namespace {

using testing::OnFreshThread;
using testing::Probe;

TEST(CallOutcome, IsKeptPerThread) {
  const ObjectRef here(std::make_shared<Probe>());
  CallMethod(here, "NoSuch");
  ASSERT_EQ(LastCallOutcome(), CallOutcome::NameNotFound);

  OnFreshThread([] {
    EXPECT_EQ(LastCallOutcome(), CallOutcome::Success) << "a new thread starts clean";
    const ObjectRef there(std::make_shared<Probe>());
    CallMethod(there, "Raise", {12029});
    EXPECT_EQ(LastCallOutcome(), CallOutcome::Exception);
    EXPECT_EQ(LastCallException().code, 12029);
  });
  EXPECT_EQ(LastCallOutcome(), CallOutcome::NameNotFound);
  EXPECT_EQ(LastCallException().code, 0);

  OnFreshThread([] {
    const ObjectRef there(std::make_shared<Probe>());
    CallMethod(there, "EchoInt", {1});
    EXPECT_EQ(LastCallOutcome(), CallOutcome::Success);
  });
  EXPECT_EQ(LastCallOutcome(), CallOutcome::NameNotFound) << "another thread's success clears "
                                                             "only its own outcome";
}

TEST(CallOutcome, EachKindOfCallRecordsAndSuccessClears) {
  const ObjectRef probe(std::make_shared<Probe>());
  struct Step {
    const char* name;
    std::function<void()> call;
    CallOutcome outcome;
  };
  const Step steps[] = {
      {"failing read", [&] { GetText(probe, "NoSuch"); }, CallOutcome::NameNotFound},
      {"successful read", [&] { GetText(probe, "Label"); }, CallOutcome::Success},
      {"failing write", [&] { PutProperty(probe, "Label", "x"); }, CallOutcome::MemberNotFound},
      {"successful write", [&] { PutProperty(probe, "Value", 2); }, CallOutcome::Success},
      {"failing call", [&] { CallMethod(probe, "Raise", {12007}); }, CallOutcome::Exception},
      {"successful call", [&] { CallMethod(probe, "Add", {1}); }, CallOutcome::Success},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.name);
    step.call();
    EXPECT_EQ(LastCallOutcome(), step.outcome);
  }
}

TEST(CallOutcome, ReferencesValuesAndInitialisationLeaveItUnchanged) {
  const ObjectRef probe(std::make_shared<Probe>());
  CallMethod(probe, "Raise", {12030});
  ASSERT_EQ(LastCallOutcome(), CallOutcome::Exception);

  {
    ObjectRef copy = probe;
    Variant holding(copy);
    Variant other = holding;
    ObjectRef moved = std::move(copy);
    moved.Clear();
    holding.Clear();
    other = Variant(u"replaced");
  }
  CoInitialize();
  RegisterClass("Test.OutcomeUnchanged", [] { return std::make_shared<Probe>(); });
  ObjectRef created = CreateObjectByProgId("Test.OutcomeUnchanged");
  EXPECT_FALSE(created.IsEmpty());
  EXPECT_TRUE(CreateObjectByProgId("Test.NotRegistered").IsEmpty());
  created.Clear();
  UnregisterClass("Test.OutcomeUnchanged");
  CoUninitialize();

  EXPECT_EQ(LastCallOutcome(), CallOutcome::Exception);
  EXPECT_EQ(LastCallException(), (ExceptionInfo{12030, u"raised 12030"}));
}

}  // namespace
}  // namespace kelvaro::platform
