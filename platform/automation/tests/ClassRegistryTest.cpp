#include "platform/automation/ClassRegistry.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "platform/automation/tests/TestObjects.h"

namespace kelvaro::platform {
namespace {

using testing::OnFreshThread;
using testing::Probe;

// COM is initialised on the test's thread; every class a test registers is removed again.
class ClassRegistryTest : public ::testing::Test {
 protected:
  void SetUp() override { CoInitialize(); }
  void TearDown() override {
    for (const std::string& progId : registered_) UnregisterClass(progId);
    CoUninitialize();
  }

  ClassId Register(const std::string& progId, ClassOptions options = {},
                   Probe::Options probeOptions = {}) {
    Track(progId);
    return RegisterClass(
        progId,
        [this, probeOptions] {
          ++made;
          return std::make_shared<Probe>(probeOptions);
        },
        options);
  }

  // Removes `progId` at the end of the test.
  void Track(const std::string& progId) { registered_.push_back(progId); }

  std::atomic<int> made = 0;

 private:
  std::vector<std::string> registered_;
};

TEST_F(ClassRegistryTest, ProgIdLookupIgnoresLetterCase) {
  const ClassId id = Register("Test.Probe.1");
  EXPECT_NE(id, ClassId{});
  for (const char* spelling : {"Test.Probe.1", "test.probe.1", "TEST.PROBE.1", "tEsT.pRoBe.1"}) {
    SCOPED_TRACE(spelling);
    EXPECT_EQ(ClassIdFromProgId(spelling), id);
    EXPECT_FALSE(CreateObjectByProgId(spelling).IsEmpty());
  }
  EXPECT_EQ(ClassIdFromProgId("Test.Probe"), std::nullopt);
  EXPECT_EQ(ClassIdFromProgId("Test.Probe.1 "), std::nullopt);
  EXPECT_EQ(ClassIdFromProgId(""), std::nullopt);
}

TEST_F(ClassRegistryTest, CreateObjectByProgIdMakesARunningObject) {
  Register("Test.Probe.Run");
  CreationStatus status = CreationStatus::RunFailed;
  const ObjectRef object = CreateObjectByProgId("Test.Probe.Run", &status);
  EXPECT_EQ(status, CreationStatus::Ok);
  const Probe* probe = object.As<Probe>();
  ASSERT_NE(probe, nullptr);
  EXPECT_EQ(probe->runs, 1);
  EXPECT_EQ(object.ShareCount(), 1) << "the registry keeps no share";
  EXPECT_EQ(made, 1);
}

TEST_F(ClassRegistryTest, RegisteringAgainReplacesAndUnregisteringRemoves) {
  const ClassId first = Register("Test.Replace");
  const ClassId second = Register("TEST.REPLACE");
  EXPECT_NE(first, second);
  EXPECT_EQ(ClassIdFromProgId("Test.Replace"), second);

  ObjectRef stale;
  EXPECT_EQ(CreateInstance(first, ServerContext::All, stale), CreationStatus::ClassNotRegistered);
  EXPECT_TRUE(stale.IsEmpty());

  ObjectRef kept = CreateObjectByProgId("Test.Replace");
  EXPECT_TRUE(UnregisterClass("test.replace"));
  EXPECT_FALSE(UnregisterClass("test.replace"));
  EXPECT_EQ(ClassIdFromProgId("Test.Replace"), std::nullopt);
  EXPECT_FALSE(kept.IsEmpty()) << "objects already made stay alive";
  CallMethod(kept, "EchoInt", {1});
  EXPECT_EQ(LastCallOutcome(), CallOutcome::Success);

  CreationStatus status = CreationStatus::Ok;
  EXPECT_TRUE(CreateObjectByProgId("Test.Replace", &status).IsEmpty());
  EXPECT_EQ(status, CreationStatus::ClassNotRegistered);
}

TEST_F(ClassRegistryTest, EmptyProgIdOrFactoryRegistersNothing) {
  EXPECT_EQ(RegisterClass("", [] { return std::make_shared<Probe>(); }), ClassId{});
  EXPECT_EQ(RegisterClass("Test.NoFactory", ClassFactory{}), ClassId{});
  EXPECT_EQ(ClassIdFromProgId("Test.NoFactory"), std::nullopt);
}

TEST_F(ClassRegistryTest, AllContextsRefusedFallsBackToTheThreeContexts) {
  const ClassId id = Register("Test.Fallback", {.refusesAllContexts = true});
  ObjectRef object;
  EXPECT_EQ(CreateInstance(id, ServerContext::All, object), CreationStatus::InvalidArgument);
  EXPECT_TRUE(object.IsEmpty());
  EXPECT_EQ(made, 0);
  EXPECT_EQ(CreateInstance(id, ServerContext::Fallback, object), CreationStatus::Ok);
  EXPECT_FALSE(object.IsEmpty());

  CreationStatus status = CreationStatus::RunFailed;
  EXPECT_FALSE(CreateObjectByProgId("Test.Fallback", &status).IsEmpty());
  EXPECT_EQ(status, CreationStatus::Ok);
}

TEST_F(ClassRegistryTest, ContextsTheClassIsNotServedInFail) {
  const ClassId id = Register(
      "Test.Remote", {.servedIn = ServerContext::RemoteServer, .refusesAllContexts = true});
  ObjectRef object;
  EXPECT_EQ(CreateInstance(id, ServerContext::InProcessServer, object),
            CreationStatus::NoServerInContext);
  CreationStatus status = CreationStatus::Ok;
  EXPECT_TRUE(CreateObjectByProgId("Test.Remote", &status).IsEmpty());
  EXPECT_EQ(status, CreationStatus::NoServerInContext) << "the fallback has no remote server";

  const ClassId local = Register("Test.Local", {.servedIn = ServerContext::LocalServer});
  EXPECT_EQ(CreateInstance(local, ServerContext::All, object), CreationStatus::Ok);
  EXPECT_EQ(
      CreateInstance(local, ServerContext::InProcessServer | ServerContext::LocalServer, object),
      CreationStatus::Ok);
}

TEST_F(ClassRegistryTest, FailingFactoryOrRunLeavesNoObject) {
  Track("Test.NullFactory");
  RegisterClass("Test.NullFactory", [] { return std::shared_ptr<AutomationObject>(); });
  Track("Test.ThrowingFactory");
  RegisterClass("Test.ThrowingFactory",
                []() -> std::shared_ptr<AutomationObject> { throw std::runtime_error("no"); });
  bool destroyed = false;
  Track("Test.WontRun");
  RegisterClass("Test.WontRun", [&destroyed] {
    auto probe = std::make_shared<Probe>(Probe::Options{.runs = false});
    probe->onDestroy = [&destroyed] { destroyed = true; };
    return probe;
  });

  struct Case {
    const char* progId;
    CreationStatus status;
  };
  for (const Case& c : {Case{"Test.NullFactory", CreationStatus::FactoryFailed},
                        Case{"Test.ThrowingFactory", CreationStatus::FactoryFailed},
                        Case{"Test.WontRun", CreationStatus::RunFailed}}) {
    SCOPED_TRACE(c.progId);
    CreationStatus status = CreationStatus::Ok;
    EXPECT_TRUE(CreateObjectByProgId(c.progId, &status).IsEmpty());
    EXPECT_EQ(status, c.status);
  }
  EXPECT_TRUE(destroyed) << "the half-made object is released";
  EXPECT_EQ(RunObject(ObjectRef()), CreationStatus::InvalidArgument);
}

TEST_F(ClassRegistryTest, CreationNeedsComOnTheCallingThread) {
  const ClassId id = Register("Test.NeedsCom");
  OnFreshThread([&] {
    ObjectRef object;
    EXPECT_EQ(ClassIdFromProgId("Test.NeedsCom"), id) << "resolving needs no COM";
    EXPECT_EQ(CreateInstance(id, ServerContext::All, object), CreationStatus::NotInitialized);
    CreationStatus status = CreationStatus::Ok;
    EXPECT_TRUE(CreateObjectByProgId("Test.NeedsCom", &status).IsEmpty());
    EXPECT_EQ(status, CreationStatus::NotInitialized);
    EXPECT_EQ(made, 0);

    OleInitialize();  // initialises COM as well
    EXPECT_FALSE(CreateObjectByProgId("Test.NeedsCom").IsEmpty());
    OleUninitialize();
    EXPECT_TRUE(CreateObjectByProgId("Test.NeedsCom").IsEmpty());

    CoInitialize();
    EXPECT_FALSE(CreateObjectByProgId("Test.NeedsCom").IsEmpty());
    CoUninitialize();
  });
  EXPECT_EQ(made, 2);
}

TEST_F(ClassRegistryTest, RegistryIsSafeToUseFromSeveralThreads) {
  Register("Test.Shared");
  constexpr int kThreads = 4;
  constexpr int kRounds = 200;
  std::atomic<int> failures = 0;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t, &failures] {
      CoInitialize();
      const std::string own = "Test.Own." + std::to_string(t);
      for (int round = 0; round < kRounds; ++round) {
        const ClassId id = RegisterClass(own, [] { return std::make_shared<Probe>(); });
        if (ClassIdFromProgId(own) != id) ++failures;
        if (CreateObjectByProgId(own).IsEmpty()) ++failures;
        if (CreateObjectByProgId("test.shared").IsEmpty()) ++failures;
        if (!UnregisterClass(own)) ++failures;
      }
      CoUninitialize();
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(failures, 0);
  EXPECT_EQ(made, kThreads * kRounds);
}

TEST_F(ClassRegistryTest, FactoryMayUseTheRegistry) {
  Track("Test.Outer");
  Register("Test.Inner");
  RegisterClass("Test.Outer", [] {
    auto outer = std::make_shared<Probe>();
    outer->option6 = Variant(CreateObjectByProgId("Test.Inner"));
    return outer;
  });
  const ObjectRef outer = CreateObjectByProgId("Test.Outer");
  const Probe* probe = outer.As<Probe>();
  ASSERT_NE(probe, nullptr);
  const ObjectRef* inner = probe->option6.IfObject();
  ASSERT_NE(inner, nullptr);
  EXPECT_NE(inner->As<Probe>(), nullptr);
}

}  // namespace
}  // namespace kelvaro::platform
