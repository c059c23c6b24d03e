// Variant: one automation value of any kind, as it crosses the automation call boundary.
//
// Invariants:
//  - A Variant holds exactly one of: nothing (Empty), a 32-bit signed integer, a double, a
//    boolean, a string (UTF-16, as the platform holds wide strings), a one-dimensional array of
//    bytes (possibly of zero elements), or an object reference (ObjectRef.h).
//  - Value semantics: copying copies the content; a copy of a Variant holding an object adds one
//    share of that object (the object is never copied). Clear() makes it Empty and gives up any
//    share it held.
//  - A default-constructed Variant is Empty. A Variant holding an empty ObjectRef is of kind
//    Object, not Empty.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "platform/automation/ObjectRef.h"

namespace kelvaro::platform {

using Bytes = std::vector<std::uint8_t>;

enum class VariantKind { Empty, Int32, Double, Bool, String, ByteArray, Object };

// The kinds a member declares for its parameters and result. `Variant` accepts / returns any
// content unchanged; `Void` is only meaningful as a result kind ("returns nothing").
enum class ValueKind { Void, Int32, Double, Bool, String, ByteArray, Object, Variant };

class Variant {
 public:
  Variant() = default;
  explicit Variant(std::int32_t value) : value_(value) {}
  explicit Variant(double value) : value_(value) {}
  explicit Variant(bool value) : value_(value) {}
  explicit Variant(std::u16string value) : value_(std::move(value)) {}
  // Without this overload a UTF-16 literal would silently become a bool.
  explicit Variant(const char16_t* value) : value_(std::u16string(value ? value : u"")) {}
  explicit Variant(Bytes value) : value_(std::move(value)) {}
  explicit Variant(ObjectRef value) : value_(std::move(value)) {}
  // Narrow strings are code page 936 texts; they must go through the call boundary (Argument),
  // never straight into a Variant.
  Variant(const char*) = delete;

  VariantKind kind() const { return static_cast<VariantKind>(value_.index()); }
  bool IsEmpty() const { return kind() == VariantKind::Empty; }

  // The content when it is of the named kind, else nullptr. The pointer stays valid until the
  // Variant is changed or destroyed.
  const std::int32_t* IfInt32() const { return std::get_if<std::int32_t>(&value_); }
  const double* IfDouble() const { return std::get_if<double>(&value_); }
  const bool* IfBool() const { return std::get_if<bool>(&value_); }
  const std::u16string* IfString() const { return std::get_if<std::u16string>(&value_); }
  const Bytes* IfBytes() const { return std::get_if<Bytes>(&value_); }
  const ObjectRef* IfObject() const { return std::get_if<ObjectRef>(&value_); }

  // Moves the content out when it is a T (one of the content types above), leaving the Variant
  // Empty; nullopt, with the Variant unchanged, when it holds another kind.
  template <typename T>
  std::optional<T> Take() {
    T* content = std::get_if<T>(&value_);
    if (content == nullptr) return std::nullopt;
    std::optional<T> taken(std::move(*content));
    value_ = std::monostate{};
    return taken;
  }

  // Becomes Empty; a held object share is given up.
  void Clear() { value_ = std::monostate{}; }

  // Same kind and equal content; objects compare equal when they are the same object.
  friend bool operator==(const Variant& a, const Variant& b) = default;

 private:
  // The alternatives' order matches VariantKind.
  std::variant<std::monostate, std::int32_t, double, bool, std::u16string, Bytes, ObjectRef> value_;
};

}  // namespace kelvaro::platform
