// AutomationObject: the base of every object reachable through the call boundary (the HTTP
// request object, the charset stream, test stand-ins).
//
// An object publishes its members as a table (Members()). The call boundary (CallBoundary.h) finds
// a member by name, checks and coerces the caller's arguments to the declared parameter kinds, and
// only then calls Invoke() with exactly one Arguments entry per declared parameter. Invoke returns
// the result or raises AutomationError; the boundary turns either into the caller's value and the
// per-thread outcome (CallOutcome.h). Objects never touch the outcome themselves.
//
// Threading: an object is created and used on one thread; it needs no locks of its own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/automation/CallOutcome.h"
#include "platform/automation/ObjectRef.h"
#include "platform/automation/Variant.h"

namespace kelvaro::platform {

enum class MemberKind { Method, PropertyGet, PropertyPut };

struct Parameter {
  ValueKind kind = ValueKind::Variant;  // never Void
  bool optional = false;
};

// One published member. A property that can be read and written is published twice, once as
// PropertyGet and once as PropertyPut, under the same name.
//  - name: ASCII; callers' names match it without regard to ASCII letter case.
//  - parameters: in call order. An indexed property (e.g. "Option" indexed by option number)
//    declares its index parameters first; a PropertyPut declares the value written as its LAST
//    parameter. Optional parameters should come after the required ones.
//  - result: the kind Invoke returns; Void for members that return nothing (and for PropertyPut).
//    The boundary converts what Invoke returns to this kind (Variant: passed as is); a result
//    that cannot be converted (Coercion.h) is the object's fault and fails the call with Other.
//  - id: chosen by the object to recognise the member in Invoke; the boundary only passes it on.
struct Member {
  std::string name;
  MemberKind kind = MemberKind::Method;
  std::vector<Parameter> parameters;
  ValueKind result = ValueKind::Void;
  int id = 0;
};

// The arguments of one Invoke, one entry per declared parameter, in declaration order.
// A given argument already holds exactly its parameter's declared kind (for a Variant parameter:
// any content the caller passed, Empty included). An omitted argument (only possible for an
// optional parameter) is marked as not given.
// Out-of-range indexes behave like omitted arguments.
class Arguments {
 public:
  struct Entry {
    bool given = false;
    // The value, possibly shared with the caller's argument (it is never changed); null when not
    // given.
    std::shared_ptr<const Variant> value;
  };

  Arguments() = default;
  explicit Arguments(std::vector<Entry> entries) : entries_(std::move(entries)) {}

  std::size_t size() const { return entries_.size(); }
  bool Given(std::size_t index) const { return index < entries_.size() && entries_[index].given; }
  // The value as passed; an Empty Variant when omitted.
  const Variant& Value(std::size_t index) const;

  // Typed reads: the value when given and of that kind, else `fallback` (so the fallback is the
  // default an object substitutes for an omitted optional argument).
  std::int32_t Int32(std::size_t index, std::int32_t fallback = 0) const;
  double Double(std::size_t index, double fallback = 0.0) const;
  bool Bool(std::size_t index, bool fallback = false) const;
  std::u16string String(std::size_t index, std::u16string fallback = {}) const;
  // Bytes and Object: an empty array / empty reference when omitted or of another kind.
  Bytes ByteArray(std::size_t index) const;
  ObjectRef Object(std::size_t index) const;

 private:
  std::vector<Entry> entries_;
};

// Raised (thrown) by Invoke to fail a call. The common form is the object's own error, which
// yields CallOutcome::Exception with the number and description available through
// LastCallException(). An object may instead fail with another outcome (TypeMismatch, Overflow,
// BadParamCount, ...) through WithOutcome(). Any other exception escaping Invoke yields
// CallOutcome::Other; nothing escapes the call boundary.
class AutomationError : public std::runtime_error {
 public:
  AutomationError(std::int32_t code, std::u16string description);
  static AutomationError WithOutcome(CallOutcome outcome);

  CallOutcome outcome() const { return outcome_; }
  const ExceptionInfo& info() const { return info_; }

 private:
  AutomationError(CallOutcome outcome, ExceptionInfo info);
  CallOutcome outcome_;
  ExceptionInfo info_;
};

class AutomationObject {
 public:
  AutomationObject() = default;
  AutomationObject(const AutomationObject&) = delete;
  AutomationObject& operator=(const AutomationObject&) = delete;
  virtual ~AutomationObject() = default;

  // The member table. It must stay valid and unchanged for the object's life (a static table is
  // the usual choice).
  virtual std::span<const Member> Members() const = 0;

  // Performs `member` (an entry of Members()) with coerced `arguments`. Returns the result (ignored
  // for Void members) or throws AutomationError.
  virtual Variant Invoke(const Member& member, const Arguments& arguments) = 0;

  // An object may declare that it offers no dispatch interface (every call then fails with
  // NoDispatch) or no type information (every call to one of its members then fails with
  // NoTypeInfo; an unknown name still gives NameNotFound).
  virtual bool OffersDispatch() const { return true; }
  virtual bool OffersTypeInfo() const { return true; }

  // Puts the object into its running state; called once by creation (ClassRegistry.h) after the
  // factory made it. Returning false fails the creation (CreationStatus::RunFailed).
  virtual bool Run() { return true; }
};

}  // namespace kelvaro::platform
