#include "platform/automation/Coercion.h"

#include <charconv>
#include <cmath>
#include <optional>
#include <string>
#include <system_error>
#include <utility>

namespace kelvaro::platform {
namespace {

// A string as a number: ASCII spaces and tabs around a decimal number with optional sign,
// fraction and exponent. Anything else (hex, "inf", "nan", other characters) is no number.
std::optional<double> ParseNumber(const std::u16string& text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  auto blank = [](char16_t c) { return c == u' ' || c == u'\t'; };
  while (begin < end && blank(text[begin])) ++begin;
  while (end > begin && blank(text[end - 1])) --end;

  std::string ascii;
  for (std::size_t i = begin; i < end; ++i) {
    const char16_t c = text[i];
    const bool allowed =
        (c >= u'0' && c <= u'9') || c == u'.' || c == u'e' || c == u'E' || c == u'+' || c == u'-';
    if (!allowed) return std::nullopt;
    ascii.push_back(static_cast<char>(c));
  }
  // from_chars takes no leading '+'.
  std::size_t start = 0;
  if (!ascii.empty() && ascii[0] == '+') {
    start = 1;
    if (ascii.size() > 1 && (ascii[1] == '-' || ascii[1] == '+')) return std::nullopt;
  }
  if (start == ascii.size()) return std::nullopt;

  double value = 0.0;
  const char* first = ascii.data() + start;
  const char* last = ascii.data() + ascii.size();
  const auto [ptr, error] = std::from_chars(first, last, value);
  if (ptr != last) return std::nullopt;
  if (error == std::errc::result_out_of_range) {
    // A well-formed number beyond the range of double: a negative exponent means it is too small
    // and reads as 0; otherwise it is too large and reads as an infinity (an overflow later).
    const std::size_t exponent = ascii.find_first_of("eE");
    if (exponent != std::string::npos && exponent + 1 < ascii.size() &&
        ascii[exponent + 1] == '-') {
      return 0.0;
    }
    return ascii[start] == '-' ? -HUGE_VAL : HUGE_VAL;
  }
  if (error != std::errc{}) return std::nullopt;
  return value;
}

CallOutcome DoubleToInt32(double value, Variant& out) {
  if (!std::isfinite(value)) return CallOutcome::Overflow;
  const double rounded = std::nearbyint(value);  // default rounding: to nearest, ties to even
  if (rounded < -2147483648.0 || rounded > 2147483647.0) return CallOutcome::Overflow;
  out = Variant(static_cast<std::int32_t>(rounded));
  return CallOutcome::Success;
}

std::u16string Ascii(const std::string& text) {
  return std::u16string(text.begin(), text.end());
}

std::u16string DoubleToString(double value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return Ascii(std::string(buffer, result.ptr));
}

bool EqualsIgnoringAsciiCase(const std::u16string& text, std::u16string_view word) {
  if (text.size() != word.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char16_t c = text[i];
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    if (c != word[i]) return false;
  }
  return true;
}

// The empty value of each kind. Copied from constants rather than built as temporaries: GCC 12
// at -O3 misreads the destruction of such a temporary as freeing memory never allocated.
const Variant& EmptyValueOf(ValueKind kind) {
  static const Variant empty;
  static const Variant int32{std::int32_t{0}};
  static const Variant real{0.0};
  static const Variant boolean{false};
  static const Variant string{std::u16string()};
  static const Variant bytes{Bytes{}};
  static const Variant object{ObjectRef{}};
  switch (kind) {
    case ValueKind::Int32:
      return int32;
    case ValueKind::Double:
      return real;
    case ValueKind::Bool:
      return boolean;
    case ValueKind::String:
      return string;
    case ValueKind::ByteArray:
      return bytes;
    case ValueKind::Object:
      return object;
    case ValueKind::Void:
    case ValueKind::Variant:
      break;
  }
  return empty;
}

CallOutcome FromEmpty(ValueKind kind, Variant& out) {
  out = EmptyValueOf(kind);
  return CallOutcome::Success;
}

CallOutcome FromInt32(std::int32_t value, ValueKind kind, Variant& out) {
  switch (kind) {
    case ValueKind::Double:
      out = Variant(static_cast<double>(value));
      return CallOutcome::Success;
    case ValueKind::Bool:
      out = Variant(value != 0);
      return CallOutcome::Success;
    case ValueKind::String:
      out = Variant(Ascii(std::to_string(value)));
      return CallOutcome::Success;
    default:
      return CallOutcome::TypeMismatch;
  }
}

CallOutcome FromDouble(double value, ValueKind kind, Variant& out) {
  switch (kind) {
    case ValueKind::Int32:
      return DoubleToInt32(value, out);
    case ValueKind::Bool:
      out = Variant(value != 0.0);
      return CallOutcome::Success;
    case ValueKind::String:
      out = Variant(DoubleToString(value));
      return CallOutcome::Success;
    default:
      return CallOutcome::TypeMismatch;
  }
}

CallOutcome FromBool(bool value, ValueKind kind, Variant& out) {
  switch (kind) {
    case ValueKind::Int32:
      out = Variant(std::int32_t{value ? -1 : 0});
      return CallOutcome::Success;
    case ValueKind::Double:
      out = Variant(value ? -1.0 : 0.0);
      return CallOutcome::Success;
    case ValueKind::String:
      out = Variant(value ? u"True" : u"False");
      return CallOutcome::Success;
    default:
      return CallOutcome::TypeMismatch;
  }
}

CallOutcome FromString(const std::u16string& value, ValueKind kind, Variant& out) {
  if (kind == ValueKind::Bool) {
    if (EqualsIgnoringAsciiCase(value, u"true")) {
      out = Variant(true);
      return CallOutcome::Success;
    }
    if (EqualsIgnoringAsciiCase(value, u"false")) {
      out = Variant(false);
      return CallOutcome::Success;
    }
  }
  if (kind != ValueKind::Int32 && kind != ValueKind::Double && kind != ValueKind::Bool) {
    return CallOutcome::TypeMismatch;
  }
  const std::optional<double> number = ParseNumber(value);
  if (!number) return CallOutcome::TypeMismatch;
  if (std::isinf(*number)) return CallOutcome::Overflow;
  if (kind == ValueKind::Double) {
    out = Variant(*number);
    return CallOutcome::Success;
  }
  return FromDouble(*number, kind, out);
}

}  // namespace

bool ConvertsUnchanged(const Variant& value, ValueKind kind) {
  switch (value.kind()) {
    case VariantKind::Empty:
      return kind == ValueKind::Variant;
    case VariantKind::Int32:
      return kind == ValueKind::Variant || kind == ValueKind::Int32;
    case VariantKind::Double:
      return kind == ValueKind::Variant || kind == ValueKind::Double;
    case VariantKind::Bool:
      return kind == ValueKind::Variant || kind == ValueKind::Bool;
    case VariantKind::String:
      return kind == ValueKind::Variant || kind == ValueKind::String;
    case VariantKind::ByteArray:
      return kind == ValueKind::Variant || kind == ValueKind::ByteArray;
    case VariantKind::Object:
      return kind == ValueKind::Variant || kind == ValueKind::Object;
  }
  return false;
}

CallOutcome ConvertVariant(const Variant& value, ValueKind kind, Variant& out) {
  if (kind == ValueKind::Void) {
    out.Clear();
    return CallOutcome::Success;
  }
  if (ConvertsUnchanged(value, kind)) {
    out = value;
    return CallOutcome::Success;
  }
  switch (value.kind()) {
    case VariantKind::Empty:
      return FromEmpty(kind, out);
    case VariantKind::Int32:
      return FromInt32(*value.IfInt32(), kind, out);
    case VariantKind::Double:
      return FromDouble(*value.IfDouble(), kind, out);
    case VariantKind::Bool:
      return FromBool(*value.IfBool(), kind, out);
    case VariantKind::String:
      return FromString(*value.IfString(), kind, out);
    case VariantKind::ByteArray:
    case VariantKind::Object:
      break;
  }
  return CallOutcome::TypeMismatch;
}

CallOutcome ConvertVariant(Variant&& value, ValueKind kind, Variant& out) {
  if (kind != ValueKind::Void && ConvertsUnchanged(value, kind)) {
    out = std::move(value);
    return CallOutcome::Success;
  }
  return ConvertVariant(std::as_const(value), kind, out);
}

}  // namespace kelvaro::platform
