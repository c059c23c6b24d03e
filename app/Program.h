// The program's life: start-up, the two ways it ends, and the shutdown both share.
//
// Start-up (ProgramMain):
//  1. prepare the GUI thread: OLE initialisation, the invisible owner window, MainWindow's
//     definition;
//  2. CreateSharedClient;
//  3. RegisterExitRoutine(DestroySharedClient);
//  4. StartUp: open MainWindow modally and wait until it is gone;
//  5. run the message loop only while some window still exists (none does by then);
//  6. return 0; the caller then runs the shutdown sequence and ends the process.
//
// Shutdown sequence: the exit routines (SharedClient destroyed), then the invisible owner window
// (MainWindow with it, if it still exists, and so its tray icon), then OLE uninitialisation.
//
// Closing MainWindow ends the modal wait, so the program ends through steps 5 and 6 (SharedClient
// destroyed after the window). The tray menu's "关闭" ends it through EndProgram(0) (SharedClient
// destroyed before the window).
#pragma once

namespace kelvaro {

// Steps 1 to 5 above; always returns 0. Run once per start of the program.
int ProgramMain();

// Opens MainWindow modally and returns when it has been destroyed; always 0.
int StartUp();

// The shutdown sequence. It runs once for each ProgramMain: a second call does nothing.
void RunShutdownSequence();

// Runs the shutdown sequence, then ends the process at once with `status`; it does not return,
// so the modal wait of StartUp never resumes. (Only when a test has replaced the process end
// does it return, after that replacement has run.)
void EndProgram(int status);

// What ends the process: the last step of EndProgram.
using ProcessEnd = void (*)(int status);
// Replaces it (tests record the status instead of ending); returns the one replaced. The
// program's own flushes the standard streams and ends the process with the status.
ProcessEnd SetProcessEnd(ProcessEnd end);

}  // namespace kelvaro
