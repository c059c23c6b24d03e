// Conversion of automation values between kinds, as the call boundary applies it to arguments
// (to the declared parameter kinds) and to results (to the kind the caller asks for).
//
// Rules (from -> to); a pair not listed fails with TypeMismatch:
//  - to Variant: always, unchanged. Same kind -> same kind: unchanged.
//  - Empty -> any kind: that kind's empty value ("" / 0 / 0.0 / false / no bytes / empty
//  reference).
//  - Int32 -> Double: exact.   Int32 -> Bool: non-zero is true.   Int32 -> String: decimal ("0").
//  - Double -> Int32: rounded to nearest, ties to even (2.5 -> 2, 3.5 -> 4); outside the 32-bit
//    range, NaN or infinite -> Overflow.   Double -> Bool: non-zero is true.
//    Double -> String: shortest decimal that reads back as the same double ("0.5", "1e+20").
//  - Bool -> Int32: true -1, false 0.   Bool -> Double: -1.0 / 0.0.
//    Bool -> String: "True" / "False".
//  - String -> Int32 / Double: the text, less leading and trailing ASCII spaces and tabs, must be a
//    decimal number (optional sign, digits, optional fraction and exponent) -> its value, then as
//    Double -> Int32 for Int32 (so "2.5" -> 2, "4e9" -> Overflow); anything else (including "")
//    -> TypeMismatch. A number beyond the range of a double -> Overflow.
//  - String -> Bool: "True"/"False" in any ASCII letter case, or a number as above (non-zero is
//    true); anything else -> TypeMismatch.
//  - Bytes and Object convert to nothing but themselves (and Variant).
//  - to Void: always succeeds with Empty (the value is dropped).
#pragma once

#include "platform/automation/CallOutcome.h"
#include "platform/automation/Variant.h"

namespace kelvaro::platform {

// Converts `value` to `kind`. On success stores the converted value in `out` and returns
// CallOutcome::Success; otherwise returns TypeMismatch or Overflow and leaves `out` unchanged.
CallOutcome ConvertVariant(const Variant& value, ValueKind kind, Variant& out);
// As above, taking `value` over: a value that stays as it is (to Variant, or to the kind it
// already holds) is moved into `out`, not copied. In every other case `value` is left as it was.
// `value` and `out` must be different Variants.
CallOutcome ConvertVariant(Variant&& value, ValueKind kind, Variant& out);

// True when converting `value` to `kind` gives `value` itself, unchanged: to Variant, or to the
// kind it already holds (an Empty value only to Variant; Void never counts).
bool ConvertsUnchanged(const Variant& value, ValueKind kind);

}  // namespace kelvaro::platform
