#include "app/ExitRoutines.h"

#include <algorithm>
#include <vector>

namespace kelvaro {

namespace {
std::vector<ExitRoutine>& Routines() {
  static std::vector<ExitRoutine> routines;
  return routines;
}
}  // namespace

void RegisterExitRoutine(ExitRoutine routine) {
  std::vector<ExitRoutine>& routines = Routines();
  if (routine == nullptr) return;
  if (std::find(routines.begin(), routines.end(), routine) != routines.end()) return;
  routines.push_back(routine);
}

void RunExitRoutines() {
  std::vector<ExitRoutine>& routines = Routines();
  // By index: a routine may register another one while the list runs.
  for (std::size_t i = 0; i < routines.size(); ++i) routines[i]();
  routines.clear();
}

int ExitRoutineCount() {
  return static_cast<int>(Routines().size());
}

}  // namespace kelvaro
