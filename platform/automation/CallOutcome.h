// The per-thread outcome of the most recent automation call.
//
// Every property read, property write and method call made through the call boundary
// (CallBoundary.h) records its outcome for the calling thread; a successful call records Success
// and so clears any earlier failure. Nothing else changes the outcome: creating objects, copying or
// clearing references, Variant operations and COM initialisation leave it as it was. Each thread
// has its own outcome; calls on one thread never change another's.
//
// The outcome is a code only; the texts shown to the user for it belong to the HTTP client.
#pragma once

#include <cstdint>
#include <string>

namespace kelvaro::platform {

enum class CallOutcome {
  Success,
  NoObject,              // the reference held no object
  NoDispatch,            // the object offers no dispatch interface
  NameNotFound,          // no member of that name, whatever its kind
  NoTypeInfo,            // the object offers no type information
  TooManyArguments,      // more arguments than the member declares
  BadArgumentKind,       // an argument of a kind that cannot be passed (a bare byte array)
  ResultNotConvertible,  // the call succeeded; its result cannot become the kind asked for
  BadParamCount,         // wrong number of arguments (raised by an object)
  BadVarType,            // invalid argument type (raised by an object)
  Exception,             // the object raised an error; see LastCallException()
  MemberNotFound,        // the name exists, but not as the kind of member called
  NoNamedArgs,           // named arguments not supported (raised by an object)
  Overflow,              // an argument does not fit the declared kind
  ParamNotFound,         // argument not found (raised by an object)
  TypeMismatch,          // an argument cannot be converted to the declared kind
  ParamNotOptional,      // a required argument was omitted
  Other,                 // any other failure (e.g. an unexpected error inside the object)
};

// The error an object raised: its number (for the HTTP request object a WinHTTP error number such
// as 12002) and its description.
struct ExceptionInfo {
  std::int32_t code = 0;
  std::u16string description;

  friend bool operator==(const ExceptionInfo&, const ExceptionInfo&) = default;
};

// Outcome of the calling thread's most recent call; Success when it made none yet.
CallOutcome LastCallOutcome();

// The raised error when LastCallOutcome() is Exception; otherwise code 0 and an empty description.
ExceptionInfo LastCallException();

// Records an outcome for the calling thread; `exception` is kept only for CallOutcome::Exception.
// The call boundary uses this; other code normally has no reason to.
void RecordCallOutcome(CallOutcome outcome, ExceptionInfo exception = {});

}  // namespace kelvaro::platform
