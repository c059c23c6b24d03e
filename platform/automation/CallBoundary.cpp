#include "platform/automation/CallBoundary.h"

#include <exception>
#include <span>
#include <utility>

#include "platform/automation/AutomationObject.h"
#include "platform/automation/CallOutcome.h"
#include "platform/automation/Coercion.h"
#include "text/CodePage.h"

namespace kelvaro::platform {

Argument::Argument(const Text& text) : value_(ToUtf16(text)) {}
Argument::Argument(const char* text) : Argument(Text(text)) {}

namespace {

char FoldAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  }
  return true;
}

// Finds the member to call, recording the binding failure when there is none.
const Member* Bind(const AutomationObject& object, std::string_view name, MemberKind kind) {
  if (!object.OffersDispatch()) {
    RecordCallOutcome(CallOutcome::NoDispatch);
    return nullptr;
  }
  const std::span<const Member> members = object.Members();
  bool nameKnown = false;
  const Member* found = nullptr;
  for (const Member& member : members) {
    if (!SameName(member.name, name)) continue;
    nameKnown = true;
    if (member.kind == kind) {
      found = &member;
      break;
    }
  }
  if (!nameKnown) {
    RecordCallOutcome(CallOutcome::NameNotFound);
    return nullptr;
  }
  if (!object.OffersTypeInfo()) {
    RecordCallOutcome(CallOutcome::NoTypeInfo);
    return nullptr;
  }
  if (found == nullptr) RecordCallOutcome(CallOutcome::MemberNotFound);
  return found;
}

// Checks and coerces the caller's arguments to the member's parameters.
std::optional<Arguments> Coerce(const Member& member, std::span<const Argument* const> given) {
  const std::vector<Parameter>& parameters = member.parameters;
  if (given.size() > parameters.size()) {
    RecordCallOutcome(CallOutcome::TooManyArguments);
    return std::nullopt;
  }
  for (const Argument* argument : given) {
    if (argument->form() == Argument::Form::BareBytes) {
      RecordCallOutcome(CallOutcome::BadArgumentKind);
      return std::nullopt;
    }
  }
  for (std::size_t i = 0; i < parameters.size(); ++i) {
    const bool omitted = i >= given.size() || given[i]->form() == Argument::Form::Omitted;
    if (omitted && !parameters[i].optional) {
      RecordCallOutcome(CallOutcome::ParamNotOptional);
      return std::nullopt;
    }
  }
  std::vector<Arguments::Entry> entries(parameters.size());
  for (std::size_t i = 0; i < given.size(); ++i) {
    if (given[i]->form() == Argument::Form::Omitted) continue;
    const CallOutcome converted =
        ConvertVariant(given[i]->value(), parameters[i].kind, entries[i].value);
    if (converted != CallOutcome::Success) {
      RecordCallOutcome(converted);
      return std::nullopt;
    }
    entries[i].given = true;
  }
  return Arguments(std::move(entries));
}

// One late-bound call: binds, coerces, invokes and records the outcome. Returns the result
// (already of the member's declared result kind) on success.
std::optional<Variant> Dispatch(const ObjectRef& reference, std::string_view name, MemberKind kind,
                                const ArgumentList& arguments, const Argument* putValue) {
  // Our own share keeps the object alive even if the call makes the caller drop theirs.
  const ObjectRef object = reference;
  if (object.IsEmpty()) {
    RecordCallOutcome(CallOutcome::NoObject);
    return std::nullopt;
  }
  try {
    const Member* member = Bind(*object.get(), name, kind);
    if (member == nullptr) return std::nullopt;

    std::vector<const Argument*> given;
    given.reserve(arguments.size() + 1);
    for (const Argument& argument : arguments) given.push_back(&argument);
    if (putValue != nullptr) given.push_back(putValue);
    std::optional<Arguments> coerced = Coerce(*member, given);
    if (!coerced) return std::nullopt;

    Variant raw = object.get()->Invoke(*member, *coerced);
    Variant result;
    if (ConvertVariant(raw, member->result, result) != CallOutcome::Success) {
      // The object returned something other than it declares.
      RecordCallOutcome(CallOutcome::Other);
      return std::nullopt;
    }
    RecordCallOutcome(CallOutcome::Success);
    return result;
  } catch (const AutomationError& error) {
    const CallOutcome outcome =
        error.outcome() == CallOutcome::Success ? CallOutcome::Other : error.outcome();
    RecordCallOutcome(outcome, error.info());
  } catch (...) {
    RecordCallOutcome(CallOutcome::Other);
  }
  return std::nullopt;
}

// The result as `kind`, or nullopt (recording ResultNotConvertible) when it cannot be.
std::optional<Variant> As(std::optional<Variant> result, ValueKind kind) {
  if (!result) return std::nullopt;
  Variant converted;
  if (ConvertVariant(*result, kind, converted) != CallOutcome::Success) {
    RecordCallOutcome(CallOutcome::ResultNotConvertible);
    return std::nullopt;
  }
  return converted;
}

// The content of a converted result, or the kind's empty value when there is none.
template <typename T, const T* (Variant::*Content)() const>
T Extract(std::optional<Variant> result, ValueKind kind) {
  const std::optional<Variant> value = As(std::move(result), kind);
  const T* content = value ? ((*value).*Content)() : nullptr;
  return content != nullptr ? *content : T{};
}

Text ToText(std::optional<Variant> result) {
  return FromUtf16(
      Extract<std::u16string, &Variant::IfString>(std::move(result), ValueKind::String));
}
std::int32_t ToInt32(std::optional<Variant> result) {
  return Extract<std::int32_t, &Variant::IfInt32>(std::move(result), ValueKind::Int32);
}
double ToDouble(std::optional<Variant> result) {
  return Extract<double, &Variant::IfDouble>(std::move(result), ValueKind::Double);
}
bool ToBool(std::optional<Variant> result) {
  return Extract<bool, &Variant::IfBool>(std::move(result), ValueKind::Bool);
}
Bytes ToBytes(std::optional<Variant> result) {
  return Extract<Bytes, &Variant::IfBytes>(std::move(result), ValueKind::ByteArray);
}
ObjectRef ToObjectRef(std::optional<Variant> result) {
  return Extract<ObjectRef, &Variant::IfObject>(std::move(result), ValueKind::Object);
}

std::optional<Variant> Get(const ObjectRef& object, std::string_view name,
                           const ArgumentList& index) {
  return Dispatch(object, name, MemberKind::PropertyGet, index, nullptr);
}

std::optional<Variant> Call(const ObjectRef& object, std::string_view name,
                            const ArgumentList& arguments) {
  return Dispatch(object, name, MemberKind::Method, arguments, nullptr);
}

}  // namespace

Variant GetVariant(const ObjectRef& object, std::string_view name, const ArgumentList& index) {
  return Get(object, name, index).value_or(Variant());
}
Text GetText(const ObjectRef& object, std::string_view name, const ArgumentList& index) {
  return ToText(Get(object, name, index));
}
std::int32_t GetInt32(const ObjectRef& object, std::string_view name, const ArgumentList& index) {
  return ToInt32(Get(object, name, index));
}
double GetDouble(const ObjectRef& object, std::string_view name, const ArgumentList& index) {
  return ToDouble(Get(object, name, index));
}
bool GetBool(const ObjectRef& object, std::string_view name, const ArgumentList& index) {
  return ToBool(Get(object, name, index));
}
Bytes GetBytes(const ObjectRef& object, std::string_view name, const ArgumentList& index) {
  return ToBytes(Get(object, name, index));
}
ObjectRef GetObjectRef(const ObjectRef& object, std::string_view name, const ArgumentList& index) {
  return ToObjectRef(Get(object, name, index));
}

void PutProperty(const ObjectRef& object, std::string_view name, const Argument& value) {
  PutProperty(object, name, {}, value);
}
void PutProperty(const ObjectRef& object, std::string_view name, const ArgumentList& index,
                 const Argument& value) {
  Dispatch(object, name, MemberKind::PropertyPut, index, &value);
}

void CallMethod(const ObjectRef& object, std::string_view name, const ArgumentList& arguments) {
  Call(object, name, arguments);
}
Variant CallVariant(const ObjectRef& object, std::string_view name, const ArgumentList& arguments) {
  return Call(object, name, arguments).value_or(Variant());
}
Text CallText(const ObjectRef& object, std::string_view name, const ArgumentList& arguments) {
  return ToText(Call(object, name, arguments));
}
std::int32_t CallInt32(const ObjectRef& object, std::string_view name,
                       const ArgumentList& arguments) {
  return ToInt32(Call(object, name, arguments));
}
double CallDouble(const ObjectRef& object, std::string_view name, const ArgumentList& arguments) {
  return ToDouble(Call(object, name, arguments));
}
bool CallBool(const ObjectRef& object, std::string_view name, const ArgumentList& arguments) {
  return ToBool(Call(object, name, arguments));
}
Bytes CallBytes(const ObjectRef& object, std::string_view name, const ArgumentList& arguments) {
  return ToBytes(Call(object, name, arguments));
}
ObjectRef CallObjectRef(const ObjectRef& object, std::string_view name,
                        const ArgumentList& arguments) {
  return ToObjectRef(Call(object, name, arguments));
}

}  // namespace kelvaro::platform
