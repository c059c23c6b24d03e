// ExitRoutines: routines that run once when the program ends, in the order they were registered.
#pragma once

namespace kelvaro {

using ExitRoutine = void (*)();

// Appends `routine` unless the list already holds it; a null routine is ignored.
void RegisterExitRoutine(ExitRoutine routine);

// Runs every registered routine in registration order, then empties the list. A routine that
// registers another while the list runs has it run in the same pass.
void RunExitRoutines();

// Number of routines waiting to run.
int ExitRoutineCount();

}  // namespace kelvaro
