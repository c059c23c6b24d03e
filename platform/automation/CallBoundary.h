// The automation call boundary: late-bound property reads, property writes and method calls by
// member name on an ObjectRef, with arguments as the system holds them.
//
// Every function here records the outcome of its call for the calling thread (CallOutcome.h):
// Success on success, else the first failure met, checked in this order:
//   1. NoObject          - the reference is empty
//   2. NoDispatch        - the object offers no dispatch interface
//   3. NameNotFound      - no member of that name (matched without regard to ASCII letter case)
//   4. NoTypeInfo        - the object offers no type information
//   5. MemberNotFound    - the name exists, but not as the kind called (e.g. PutProperty on a
//                          read-only property, CallMethod on a property)
//   6. TooManyArguments  - more arguments than the member declares (an omitted argument counts)
//   7. BadArgumentKind   - an argument is a bare byte array
//   8. ParamNotOptional  - a required parameter got an omitted argument or none at all
//   9. TypeMismatch / Overflow - an argument cannot be converted to its declared kind
//                          (Coercion.h has the rules)
//  10. whatever the object raised: Exception (with LastCallException()) or another outcome
//  11. ResultNotConvertible - the object succeeded, but its result cannot become the kind asked
//                          for (Coercion.h rules; Overflow and TypeMismatch both count as this)
// A failed call returns the empty value of the kind asked for: empty Text, 0, 0.0, false, no
// bytes, an empty Variant, an empty ObjectRef.
//
// Argument forms (Argument):
//  - Text: converted to UTF-16 through the code-page boundary (text/CodePage.h).
//  - 32-bit integer, double, bool, ObjectRef: passed as that kind.
//  - Variant: passed as its content (Empty, bytes and objects included).
//  - a bare byte array (std::vector<std::uint8_t>): never passed; the call fails with
//    BadArgumentKind. Wrap the bytes in a Variant to pass them.
//  - kOmitted, or an empty std::optional: the argument is omitted (allowed for optional
//    parameters only).
// Returned strings become Text through the code-page boundary: characters code page 936 lacks
// become "?", and the text ends at the first U+0000.
//
// The functions must be called on the thread that uses the object (see AutomationObject.h).
// They never throw.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/automation/ObjectRef.h"
#include "platform/automation/Variant.h"
#include "text/Text.h"

namespace kelvaro::platform {

struct Omitted {};
inline constexpr Omitted kOmitted{};

// One argument of a call; built implicitly from the values the system holds. Copies of an
// Argument share one value instead of copying it, so an ArgumentList built from a braced list
// costs no copy of a large value (a byte array); an Argument built from a Variant rvalue takes
// that Variant over.
class Argument {
 public:
  enum class Form { Value, Omitted, BareBytes };

  Argument(const Text& text);  // NOLINT(google-explicit-constructor): arguments read naturally.
  Argument(const char* text);  // NOLINT: a code page 936 literal, as Text; stops a bool conversion
  Argument(std::int32_t value) : value_(Hold(Variant(value))) {}        // NOLINT
  Argument(double value) : value_(Hold(Variant(value))) {}              // NOLINT
  Argument(bool value) : value_(Hold(Variant(value))) {}                // NOLINT
  Argument(const ObjectRef& object) : value_(Hold(Variant(object))) {}  // NOLINT
  Argument(const Variant& value) : value_(Hold(Variant(value))) {}      // NOLINT
  Argument(Variant&& value) : value_(Hold(std::move(value))) {}         // NOLINT
  Argument(const Bytes&) : form_(Form::BareBytes) {}  // NOLINT: refused at the call
  Argument(Omitted) : form_(Form::Omitted) {}         // NOLINT
  template <typename T>
  Argument(const std::optional<T>& value)  // NOLINT: not given -> omitted
      : Argument(value ? Argument(*value) : Argument(kOmitted)) {}

  Form form() const { return form_; }
  // The value for Form::Value; Empty otherwise.
  const Variant& value() const;
  // The value as shared by every copy of this Argument; null unless Form::Value.
  const std::shared_ptr<const Variant>& sharedValue() const { return value_; }

 private:
  static std::shared_ptr<const Variant> Hold(Variant value) {
    return std::make_shared<const Variant>(std::move(value));
  }

  Form form_ = Form::Value;
  std::shared_ptr<const Variant> value_;
};

using ArgumentList = std::vector<Argument>;

// ---- Property reads. `index` holds the index arguments of an indexed property (none usually).
Variant GetVariant(const ObjectRef& object, std::string_view name, const ArgumentList& index = {});
Text GetText(const ObjectRef& object, std::string_view name, const ArgumentList& index = {});
std::int32_t GetInt32(const ObjectRef& object, std::string_view name,
                      const ArgumentList& index = {});
double GetDouble(const ObjectRef& object, std::string_view name, const ArgumentList& index = {});
bool GetBool(const ObjectRef& object, std::string_view name, const ArgumentList& index = {});
Bytes GetBytes(const ObjectRef& object, std::string_view name, const ArgumentList& index = {});
ObjectRef GetObjectRef(const ObjectRef& object, std::string_view name,
                       const ArgumentList& index = {});

// ---- Property writes. The value goes last, after any index arguments.
void PutProperty(const ObjectRef& object, std::string_view name, const Argument& value);
void PutProperty(const ObjectRef& object, std::string_view name, const ArgumentList& index,
                 const Argument& value);

// ---- Method calls. CallMethod discards the result (so it never gives ResultNotConvertible).
void CallMethod(const ObjectRef& object, std::string_view name, const ArgumentList& arguments = {});
Variant CallVariant(const ObjectRef& object, std::string_view name,
                    const ArgumentList& arguments = {});
Text CallText(const ObjectRef& object, std::string_view name, const ArgumentList& arguments = {});
std::int32_t CallInt32(const ObjectRef& object, std::string_view name,
                       const ArgumentList& arguments = {});
double CallDouble(const ObjectRef& object, std::string_view name,
                  const ArgumentList& arguments = {});
bool CallBool(const ObjectRef& object, std::string_view name, const ArgumentList& arguments = {});
Bytes CallBytes(const ObjectRef& object, std::string_view name, const ArgumentList& arguments = {});
ObjectRef CallObjectRef(const ObjectRef& object, std::string_view name,
                        const ArgumentList& arguments = {});

}  // namespace kelvaro::platform
