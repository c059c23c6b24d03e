#include "platform/automation/tests/TestObjects.h"

#include <stdexcept>
#include <string>
#include <vector>

namespace kelvaro::platform::testing {
namespace {

enum Id {
  kEcho,
  kEchoText,
  kEchoInt,
  kEchoDouble,
  kEchoBool,
  kAdd,
  kRaise,
  kRaiseOutcome,
  kThrow,
  kReturnBytes,
  kReturnChild,
  kLie,
  kDropHolder,
  kCallChildBadly,
  kValueGet,
  kValuePut,
  kLabelGet,
  kOptionGet,
  kOptionPut,
};

using K = ValueKind;

const std::vector<Member>& Table() {
  static const std::vector<Member> members = {
      {"Echo", MemberKind::Method, {{K::Variant}}, K::Variant, kEcho},
      {"EchoText", MemberKind::Method, {{K::String}}, K::String, kEchoText},
      {"EchoInt", MemberKind::Method, {{K::Int32}}, K::Int32, kEchoInt},
      {"EchoDouble", MemberKind::Method, {{K::Double}}, K::Double, kEchoDouble},
      {"EchoBool", MemberKind::Method, {{K::Bool}}, K::Bool, kEchoBool},
      {"Add",
       MemberKind::Method,
       {{K::Int32}, {K::Int32, true}, {K::String, true}},
       K::Int32,
       kAdd},
      {"Raise", MemberKind::Method, {{K::Int32}}, K::Void, kRaise},
      {"RaiseOutcome", MemberKind::Method, {{K::Int32}}, K::Void, kRaiseOutcome},
      {"Throw", MemberKind::Method, {}, K::Void, kThrow},
      {"ReturnBytes", MemberKind::Method, {}, K::ByteArray, kReturnBytes},
      {"ReturnChild", MemberKind::Method, {}, K::Object, kReturnChild},
      {"Lie", MemberKind::Method, {}, K::Int32, kLie},
      {"DropHolder", MemberKind::Method, {}, K::Void, kDropHolder},
      {"CallChildBadly", MemberKind::Method, {}, K::Void, kCallChildBadly},
      {"Value", MemberKind::PropertyGet, {}, K::Int32, kValueGet},
      {"Value", MemberKind::PropertyPut, {{K::Int32}}, K::Void, kValuePut},
      {"Label", MemberKind::PropertyGet, {}, K::String, kLabelGet},
      {"Option", MemberKind::PropertyGet, {{K::Int32}}, K::Variant, kOptionGet},
      {"Option", MemberKind::PropertyPut, {{K::Int32}, {K::Variant}}, K::Void, kOptionPut},
  };
  return members;
}

std::u16string Ascii(const std::string& text) {
  return std::u16string(text.begin(), text.end());
}

}  // namespace

Probe::~Probe() {
  if (onDestroy) onDestroy();
}

std::span<const Member> Probe::Members() const {
  return Table();
}

bool Probe::Run() {
  ++runs;
  return options_.runs;
}

Variant Probe::Invoke(const Member& member, const Arguments& arguments) {
  ++invocations;
  lastArguments = arguments;
  switch (member.id) {
    case kEcho:
      return arguments.Value(0);
    case kEchoText:
      return Variant(arguments.String(0));
    case kEchoInt:
      return Variant(arguments.Int32(0));
    case kEchoDouble:
      return Variant(arguments.Double(0));
    case kEchoBool:
      return Variant(arguments.Bool(0));
    case kAdd:
      return Variant(arguments.Int32(0) + arguments.Int32(1, 1));
    case kRaise: {
      const std::int32_t code = arguments.Int32(0);
      throw AutomationError(code, u"raised " + Ascii(std::to_string(code)));
    }
    case kRaiseOutcome:
      throw AutomationError::WithOutcome(static_cast<CallOutcome>(arguments.Int32(0)));
    case kThrow:
      throw std::runtime_error("unexpected");
    case kReturnBytes:
      return Variant(Bytes{1, 2, 0, 3});
    case kReturnChild:
      if (child_.IsEmpty()) child_ = ObjectRef(std::make_shared<Probe>());
      return Variant(child_);
    case kLie:
      return Variant(Bytes{9});
    case kDropHolder:
      if (holder != nullptr) holder->Clear();
      ++invocations;  // touches the object after its caller's share is gone
      return {};
    case kCallChildBadly:
      if (child_.IsEmpty()) child_ = ObjectRef(std::make_shared<Probe>());
      CallMethod(child_, "NoSuchMember");
      return {};
    case kValueGet:
      return Variant(value);
    case kValuePut:
      value = arguments.Int32(0);
      return {};
    case kLabelGet:
      return Variant(label);
    case kOptionGet:
      if (arguments.Int32(0) != 6) throw AutomationError(12018, u"invalid option");
      return option6;
    case kOptionPut:
      if (arguments.Int32(0) != 6) throw AutomationError(12018, u"invalid option");
      option6 = arguments.Value(1);
      return {};
  }
  throw AutomationError::WithOutcome(CallOutcome::MemberNotFound);
}

}  // namespace kelvaro::platform::testing
