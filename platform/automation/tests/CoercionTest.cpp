#include "platform/automation/Coercion.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>

#include "platform/automation/tests/TestObjects.h"

namespace kelvaro::platform {
namespace {

using K = ValueKind;
using O = CallOutcome;

struct ConversionCase {
  const char* name;
  Variant from;
  ValueKind to;
  CallOutcome outcome;
  Variant expected;  // only checked on Success
};

std::string Trace(const ConversionCase& c) {
  return c.name;
}

TEST(ConvertVariant, FollowsTheDocumentedRules) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const ConversionCase cases[] = {
      // Numbers to strings: decimal text (a header value of 0 arrives as "0").
      {"int 0 -> text", Variant(0), K::String, O::Success, Variant(u"0")},
      {"int min -> text", Variant(std::numeric_limits<std::int32_t>::min()), K::String, O::Success,
       Variant(u"-2147483648")},
      {"double -> text", Variant(0.5), K::String, O::Success, Variant(u"0.5")},
      {"whole double -> text", Variant(100.0), K::String, O::Success, Variant(u"100")},
      {"large double -> text", Variant(1e20), K::String, O::Success, Variant(u"1e+20")},
      {"true -> text", Variant(true), K::String, O::Success, Variant(u"True")},
      {"false -> text", Variant(false), K::String, O::Success, Variant(u"False")},
      // Booleans as numbers.
      {"true -> int", Variant(true), K::Int32, O::Success, Variant(-1)},
      {"false -> int", Variant(false), K::Int32, O::Success, Variant(0)},
      {"true -> double", Variant(true), K::Double, O::Success, Variant(-1.0)},
      {"int -> bool", Variant(7), K::Bool, O::Success, Variant(true)},
      {"zero -> bool", Variant(0), K::Bool, O::Success, Variant(false)},
      {"double -> bool", Variant(0.25), K::Bool, O::Success, Variant(true)},
      // Doubles to integers: nearest, ties to even; out of range overflows.
      {"2.5 -> 2", Variant(2.5), K::Int32, O::Success, Variant(2)},
      {"3.5 -> 4", Variant(3.5), K::Int32, O::Success, Variant(4)},
      {"-2.5 -> -2", Variant(-2.5), K::Int32, O::Success, Variant(-2)},
      {"2.6 -> 3", Variant(2.6), K::Int32, O::Success, Variant(3)},
      {"max fits", Variant(2147483647.4), K::Int32, O::Success, Variant(2147483647)},
      {"min fits", Variant(-2147483648.0), K::Int32, O::Success,
       Variant(std::numeric_limits<std::int32_t>::min())},
      {"above max", Variant(2147483647.5), K::Int32, O::Overflow, {}},
      {"below min", Variant(-2147483649.0), K::Int32, O::Overflow, {}},
      {"nan", Variant(nan), K::Int32, O::Overflow, {}},
      {"infinity", Variant(HUGE_VAL), K::Int32, O::Overflow, {}},
      {"int -> double", Variant(-12), K::Double, O::Success, Variant(-12.0)},
      // Strings to numbers and booleans.
      {"text -> int", Variant(u"42"), K::Int32, O::Success, Variant(42)},
      {"blanks around", Variant(u" \t42 "), K::Int32, O::Success, Variant(42)},
      {"plus sign", Variant(u"+5"), K::Int32, O::Success, Variant(5)},
      {"minus sign", Variant(u"-5"), K::Int32, O::Success, Variant(-5)},
      {"fraction rounds", Variant(u"2.5"), K::Int32, O::Success, Variant(2)},
      {"exponent", Variant(u"4.5e1"), K::Double, O::Success, Variant(45.0)},
      {"text too big for int", Variant(u"4e9"), K::Int32, O::Overflow, {}},
      {"text too big for double", Variant(u"1e400"), K::Double, O::Overflow, {}},
      {"text too small for double", Variant(u"1e-400"), K::Double, O::Success, Variant(0.0)},
      {"empty text", Variant(u""), K::Int32, O::TypeMismatch, {}},
      {"word", Variant(u"abc"), K::Int32, O::TypeMismatch, {}},
      {"trailing garbage", Variant(u"12px"), K::Int32, O::TypeMismatch, {}},
      {"hex", Variant(u"0x10"), K::Int32, O::TypeMismatch, {}},
      {"two signs", Variant(u"+-5"), K::Int32, O::TypeMismatch, {}},
      {"sign only", Variant(u"-"), K::Double, O::TypeMismatch, {}},
      {"inf word", Variant(u"inf"), K::Double, O::TypeMismatch, {}},
      {"full-width digit", Variant(u"\uFF11"), K::Int32, O::TypeMismatch, {}},
      {"TRUE -> bool", Variant(u"TRUE"), K::Bool, O::Success, Variant(true)},
      {"false -> bool", Variant(u"false"), K::Bool, O::Success, Variant(false)},
      {"number text -> bool", Variant(u"0"), K::Bool, O::Success, Variant(false)},
      {"yes -> bool", Variant(u"yes"), K::Bool, O::TypeMismatch, {}},
      {"True -> int", Variant(u"True"), K::Int32, O::TypeMismatch, {}},
      // Empty becomes the empty value of every kind.
      {"empty -> text", Variant(), K::String, O::Success, Variant(u"")},
      {"empty -> int", Variant(), K::Int32, O::Success, Variant(0)},
      {"empty -> bool", Variant(), K::Bool, O::Success, Variant(false)},
      {"empty -> bytes", Variant(), K::ByteArray, O::Success, Variant(Bytes{})},
      {"empty -> object", Variant(), K::Object, O::Success, Variant(ObjectRef{})},
      // Bytes and objects only become themselves.
      {"bytes -> text", Variant(Bytes{0x41}), K::String, O::TypeMismatch, {}},
      {"text -> bytes", Variant(u"A"), K::ByteArray, O::TypeMismatch, {}},
      {"object -> int", Variant(ObjectRef{}), K::Int32, O::TypeMismatch, {}},
      {"int -> object", Variant(1), K::Object, O::TypeMismatch, {}},
      {"bytes -> bytes", Variant(Bytes{1, 0, 2}), K::ByteArray, O::Success,
       Variant(Bytes{1, 0, 2})},
      // Variant keeps anything; Void drops it.
      {"bytes -> variant", Variant(Bytes{1}), K::Variant, O::Success, Variant(Bytes{1})},
      {"empty -> variant", Variant(), K::Variant, O::Success, Variant()},
      {"text -> void", Variant(u"x"), K::Void, O::Success, Variant()},
  };
  for (const ConversionCase& c : cases) {
    SCOPED_TRACE(Trace(c));
    const Variant untouched(u"untouched");
    Variant out = untouched;
    EXPECT_EQ(ConvertVariant(c.from, c.to, out), c.outcome);
    if (c.outcome == O::Success) {
      EXPECT_EQ(out, c.expected);
    } else {
      EXPECT_EQ(out, untouched) << "a failed conversion must leave the output alone";
    }
  }
}

TEST(ConvertVariant, TakenOverValueMovesWhenItStaysAsItIs) {
  // To its own kind or to Variant, the content moves: the string's storage ends up in `out`.
  for (const ValueKind kind : {K::String, K::Variant}) {
    std::u16string content(1000, u'x');
    const char16_t* const storage = content.data();
    Variant text(std::move(content));
    Variant out;
    ASSERT_EQ(ConvertVariant(std::move(text), kind, out), O::Success);
    const std::u16string* moved = out.IfString();
    ASSERT_NE(moved, nullptr);
    EXPECT_EQ(moved->data(), storage);
    EXPECT_EQ(moved->size(), 1000u);
  }
  // Any other conversion leaves the value as it was, whether it succeeds or fails.
  Variant number(u"42");
  Variant out;
  ASSERT_EQ(ConvertVariant(std::move(number), K::Int32, out), O::Success);
  EXPECT_EQ(out, Variant(42));
  EXPECT_EQ(number, Variant(u"42"));
  const Variant untouched(u"untouched");
  out = untouched;
  EXPECT_EQ(ConvertVariant(std::move(number), K::ByteArray, out), O::TypeMismatch);
  EXPECT_EQ(out, untouched);
  EXPECT_EQ(number, Variant(u"42"));
  ASSERT_EQ(ConvertVariant(std::move(number), K::Void, out), O::Success);
  EXPECT_EQ(out, Variant());
  EXPECT_EQ(number, Variant(u"42"));
}

TEST(ConvertVariant, ConvertsUnchangedOnlyToVariantOrItsOwnKind) {
  const struct {
    const char* name;
    Variant value;
    ValueKind kind;
    bool unchanged;
  } cases[] = {
      {"int -> int", Variant(1), K::Int32, true},
      {"int -> double", Variant(1), K::Double, false},
      {"text -> text", Variant(u"a"), K::String, true},
      {"text -> int", Variant(u"1"), K::Int32, false},
      {"bytes -> bytes", Variant(Bytes{1}), K::ByteArray, true},
      {"object -> object", Variant(ObjectRef{}), K::Object, true},
      {"anything -> variant", Variant(2.5), K::Variant, true},
      {"empty -> variant", Variant(), K::Variant, true},
      {"empty -> text", Variant(), K::String, false},
      {"int -> void", Variant(1), K::Void, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ConvertsUnchanged(c.value, c.kind), c.unchanged);
  }
}

TEST(ConvertVariant, KeepsTheSameObject) {
  const ObjectRef object(std::make_shared<testing::Probe>());
  Variant out;
  ASSERT_EQ(ConvertVariant(Variant(object), K::Object, out), O::Success);
  const ObjectRef* held = out.IfObject();
  ASSERT_NE(held, nullptr);
  EXPECT_TRUE(*held == object);
  EXPECT_EQ(object.ShareCount(), 2);
}

}  // namespace
}  // namespace kelvaro::platform
