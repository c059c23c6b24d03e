// Per-thread COM and OLE initialisation, as the platform keeps it.
//
// Model:
//  - Each thread has a COM count and an OLE count, both 0 at thread start.
//  - CoInitialize adds 1 to the COM count. It returns Ok when the count was 0 and
//    AlreadyInitialized otherwise; either way the call must be balanced by one CoUninitialize.
//  - OleInitialize adds 1 to the OLE count AND 1 to the COM count (it initialises COM itself).
//    It returns Ok when the OLE count was 0, else AlreadyInitialized.
//  - CoUninitialize takes 1 from the COM count; OleUninitialize takes 1 from the OLE count and 1
//    from the COM count. An unbalanced call (count already 0) changes nothing.
//  - COM is initialised on a thread while its COM count is above 0; object creation
//    (ClassRegistry.h) requires it. Calls on existing objects do not check it.
//  - Each thread keeps a journal of its calls to these four functions, in order (including
//    unbalanced ones). OleInitialize's own COM initialisation is not journaled separately.
// Nothing here changes the per-thread call outcome.
#pragma once

#include <vector>

namespace kelvaro::platform {

enum class InitResult { Ok, AlreadyInitialized };

InitResult CoInitialize();
void CoUninitialize();
InitResult OleInitialize();
void OleUninitialize();

// The calling thread's counts.
int ComInitCount();
int OleInitCount();
bool IsComInitialized();

enum class InitCall { CoInitialize, CoUninitialize, OleInitialize, OleUninitialize };

// The calling thread's calls since the thread started or since ClearInitJournal().
std::vector<InitCall> InitJournal();
// Empties the calling thread's journal; the counts stay as they are.
void ClearInitJournal();

}  // namespace kelvaro::platform
