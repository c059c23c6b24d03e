#include "platform/automation/CallOutcome.h"

#include <utility>

namespace kelvaro::platform {
namespace {

struct ThreadOutcome {
  CallOutcome outcome = CallOutcome::Success;
  ExceptionInfo exception;
};

ThreadOutcome& Current() {
  thread_local ThreadOutcome current;
  return current;
}

}  // namespace

CallOutcome LastCallOutcome() {
  return Current().outcome;
}

ExceptionInfo LastCallException() {
  const ThreadOutcome& current = Current();
  return current.outcome == CallOutcome::Exception ? current.exception : ExceptionInfo{};
}

void RecordCallOutcome(CallOutcome outcome, ExceptionInfo exception) {
  ThreadOutcome& current = Current();
  current.outcome = outcome;
  current.exception = outcome == CallOutcome::Exception ? std::move(exception) : ExceptionInfo{};
}

}  // namespace kelvaro::platform
