#include "app/ExitRoutines.h"

#include <gtest/gtest.h>

#include <string>

namespace kelvaro {
namespace {

std::string gRan;
void First() {
  gRan += "1";
}
void Second() {
  gRan += "2";
}
void RegistersSecond() {
  gRan += "r";
  RegisterExitRoutine(Second);
}

class ExitRoutinesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RunExitRoutines();  // start from an empty list
    gRan.clear();
  }
};

TEST_F(ExitRoutinesTest, RunOnceInRegistrationOrderAndRegisteredOnlyOnce) {
  RegisterExitRoutine(Second);
  RegisterExitRoutine(First);
  RegisterExitRoutine(Second);  // already there: not added again
  RegisterExitRoutine(nullptr);
  EXPECT_EQ(ExitRoutineCount(), 2);
  RunExitRoutines();
  EXPECT_EQ(gRan, "21");
  EXPECT_EQ(ExitRoutineCount(), 0);
  RunExitRoutines();  // emptied: nothing runs twice
  EXPECT_EQ(gRan, "21");
}

TEST_F(ExitRoutinesTest, ARoutineRegisteredWhileTheListRunsRunsInTheSamePass) {
  RegisterExitRoutine(RegistersSecond);
  RunExitRoutines();
  EXPECT_EQ(gRan, "r2");
  EXPECT_EQ(ExitRoutineCount(), 0);
}

}  // namespace
}  // namespace kelvaro
