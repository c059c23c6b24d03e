#include "platform/automation/AutomationObject.h"

#include <string>
#include <utility>

namespace kelvaro::platform {
namespace {

const Variant& EmptyVariant() {
  static const Variant empty;
  return empty;
}

std::string Describe(CallOutcome outcome, const ExceptionInfo& info) {
  if (outcome == CallOutcome::Exception) {
    return "automation object raised error " + std::to_string(info.code);
  }
  return "automation call failed with outcome " + std::to_string(static_cast<int>(outcome));
}

}  // namespace

const Variant& Arguments::Value(std::size_t index) const {
  return Given(index) && entries_[index].value ? *entries_[index].value : EmptyVariant();
}

std::int32_t Arguments::Int32(std::size_t index, std::int32_t fallback) const {
  const std::int32_t* value = Value(index).IfInt32();
  return Given(index) && value ? *value : fallback;
}

double Arguments::Double(std::size_t index, double fallback) const {
  const double* value = Value(index).IfDouble();
  return Given(index) && value ? *value : fallback;
}

bool Arguments::Bool(std::size_t index, bool fallback) const {
  const bool* value = Value(index).IfBool();
  return Given(index) && value ? *value : fallback;
}

std::u16string Arguments::String(std::size_t index, std::u16string fallback) const {
  const std::u16string* value = Value(index).IfString();
  return Given(index) && value ? *value : fallback;
}

Bytes Arguments::ByteArray(std::size_t index) const {
  const Bytes* value = Value(index).IfBytes();
  return value ? *value : Bytes{};
}

ObjectRef Arguments::Object(std::size_t index) const {
  const ObjectRef* value = Value(index).IfObject();
  return value ? *value : ObjectRef{};
}

AutomationError::AutomationError(std::int32_t code, std::u16string description)
    : AutomationError(CallOutcome::Exception, ExceptionInfo{code, std::move(description)}) {}

AutomationError AutomationError::WithOutcome(CallOutcome outcome) {
  return AutomationError(outcome, ExceptionInfo{});
}

AutomationError::AutomationError(CallOutcome outcome, ExceptionInfo info)
    : std::runtime_error(Describe(outcome, info)), outcome_(outcome), info_(std::move(info)) {}

}  // namespace kelvaro::platform
