#include "app/Program.h"

#include <cstdio>
#include <cstdlib>

#include "app/ExitRoutines.h"
#include "app/MainWindow.h"
#include "app/SharedClient.h"
#include "platform/automation/ComInit.h"
#include "platform/gui/Window.h"

namespace kelvaro {

namespace {

void EndProcess(int status) {
  std::fflush(nullptr);
  std::_Exit(status);
}

ProcessEnd gProcessEnd = EndProcess;
// Set by start-up, cleared by the shutdown sequence, which therefore runs once.
bool gShutdownDue = false;

void PrepareGuiThread() {
  platform::OleInitialize();
  platform::CreateOwnerWindow();
  MainWindowDefinition();
  gShutdownDue = true;
}

}  // namespace

int ProgramMain() {
  PrepareGuiThread();
  CreateSharedClient();
  RegisterExitRoutine(DestroySharedClient);
  StartUp();
  platform::RunMessageLoopWhileWindowsExist();
  return 0;
}

int StartUp() {
  // Its result is not examined: without a window there is nothing to wait for.
  platform::LoadWindow(MainWindowDefinition(), true);
  return 0;
}

void RunShutdownSequence() {
  if (!gShutdownDue) return;
  gShutdownDue = false;
  RunExitRoutines();
  platform::DestroyOwnerWindow();
  platform::OleUninitialize();
}

void EndProgram(int status) {
  RunShutdownSequence();
  gProcessEnd(status);
}

ProcessEnd SetProcessEnd(ProcessEnd end) {
  const ProcessEnd previous = gProcessEnd;
  gProcessEnd = end != nullptr ? end : EndProcess;
  return previous;
}

}  // namespace kelvaro
