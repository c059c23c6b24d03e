// The kelvaro program. It takes no command-line arguments.
#include "app/Program.h"
#include "platform/gui/GuiToolkit.h"
#include "platform/PlatformClasses.h"

int main() {
  kelvaro::platform::GuiToolkit toolkit;
  // The platform's classes, as an installed system has them registered.
  kelvaro::platform::RegisterPlatformClasses();

  const int status = kelvaro::ProgramMain();
  kelvaro::RunShutdownSequence();
  return status;
}
