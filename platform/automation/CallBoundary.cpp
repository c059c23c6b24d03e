#include "platform/automation/CallBoundary.h"

#include <array>
#include <exception>
#include <span>
#include <utility>

#include "platform/automation/AutomationObject.h"
#include "platform/automation/CallOutcome.h"
#include "platform/automation/Coercion.h"
#include "text/CodePage.h"

namespace kelvaro::platform {

Argument::Argument(const Text& text) : value_(Hold(Variant(ToUtf16(text)))) {}
Argument::Argument(const char* text) : Argument(Text(text)) {}

const Variant& Argument::value() const {
  static const Variant empty;
  return value_ ? *value_ : empty;
}

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
    const Argument& argument = *given[i];
    if (argument.form() == Argument::Form::Omitted) continue;
    if (ConvertsUnchanged(argument.value(), parameters[i].kind)) {
      // Passed on as it is: the object receives the caller's value itself, never a copy.
      entries[i].value = argument.sharedValue();
    } else {
      Variant converted;
      const CallOutcome outcome = ConvertVariant(argument.value(), parameters[i].kind, converted);
      if (outcome != CallOutcome::Success) {
        RecordCallOutcome(outcome);
        return std::nullopt;
      }
      entries[i].value = std::make_shared<const Variant>(std::move(converted));
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

    // The arguments in call order, a property's value last; on the stack for the usual few.
    constexpr std::size_t kUsualCount = 8;
    const std::size_t count = arguments.size() + (putValue != nullptr ? 1 : 0);
    std::array<const Argument*, kUsualCount> usual{};
    std::vector<const Argument*> many(count > kUsualCount ? count : 0);
    const std::span<const Argument*> given =
        count > kUsualCount ? std::span<const Argument*>(many)
                            : std::span<const Argument*>(usual).first(count);
    for (std::size_t i = 0; i < arguments.size(); ++i) given[i] = &arguments[i];
    if (putValue != nullptr) given[count - 1] = putValue;
    std::optional<Arguments> coerced = Coerce(*member, given);
    if (!coerced) return std::nullopt;

    Variant raw = object.get()->Invoke(*member, *coerced);
    Variant result;
    if (ConvertVariant(std::move(raw), member->result, result) != CallOutcome::Success) {
      // The object returned something other than it declares.
      RecordCallOutcome(CallOutcome::Other);
      return std::nullopt;
    }
    RecordCallOutcome(CallOutcome::Success);
    return std::optional<Variant>(std::move(result));
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
  if (ConvertVariant(std::move(*result), kind, converted) != CallOutcome::Success) {
    RecordCallOutcome(CallOutcome::ResultNotConvertible);
    return std::nullopt;
  }
  return std::optional<Variant>(std::move(converted));
}

// The content of a converted result, moved out, or the kind's empty value when there is none.
template <typename T>
T Extract(std::optional<Variant> result, ValueKind kind) {
  std::optional<Variant> value = As(std::move(result), kind);
  if (!value) return T{};
  std::optional<T> content = value->Take<T>();
  return content ? std::move(*content) : T{};
}

Text ToText(std::optional<Variant> result) {
  return FromUtf16(Extract<std::u16string>(std::move(result), ValueKind::String));
}
std::int32_t ToInt32(std::optional<Variant> result) {
  return Extract<std::int32_t>(std::move(result), ValueKind::Int32);
}
double ToDouble(std::optional<Variant> result) {
  return Extract<double>(std::move(result), ValueKind::Double);
}
bool ToBool(std::optional<Variant> result) {
  return Extract<bool>(std::move(result), ValueKind::Bool);
}
Bytes ToBytes(std::optional<Variant> result) {
  return Extract<Bytes>(std::move(result), ValueKind::ByteArray);
}
ObjectRef ToObjectRef(std::optional<Variant> result) {
  return Extract<ObjectRef>(std::move(result), ValueKind::Object);
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
