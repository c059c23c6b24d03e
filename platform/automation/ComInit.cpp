#include "platform/automation/ComInit.h"

namespace kelvaro::platform {
namespace {

struct ThreadInit {
  int com = 0;
  int ole = 0;
  std::vector<InitCall> journal;
};

ThreadInit& Current() {
  thread_local ThreadInit current;
  return current;
}

}  // namespace

InitResult CoInitialize() {
  ThreadInit& init = Current();
  init.journal.push_back(InitCall::CoInitialize);
  return init.com++ == 0 ? InitResult::Ok : InitResult::AlreadyInitialized;
}

void CoUninitialize() {
  ThreadInit& init = Current();
  init.journal.push_back(InitCall::CoUninitialize);
  if (init.com > 0) --init.com;
}

InitResult OleInitialize() {
  ThreadInit& init = Current();
  init.journal.push_back(InitCall::OleInitialize);
  ++init.com;
  return init.ole++ == 0 ? InitResult::Ok : InitResult::AlreadyInitialized;
}

void OleUninitialize() {
  ThreadInit& init = Current();
  init.journal.push_back(InitCall::OleUninitialize);
  if (init.ole == 0) return;
  --init.ole;
  // The OLE count never exceeds the COM count unless CoUninitialize was over-called; stay at 0.
  if (init.com > 0) --init.com;
}

int ComInitCount() {
  return Current().com;
}
int OleInitCount() {
  return Current().ole;
}
bool IsComInitialized() {
  return Current().com > 0;
}

std::vector<InitCall> InitJournal() {
  return Current().journal;
}
void ClearInitJournal() {
  Current().journal.clear();
}

}  // namespace kelvaro::platform
