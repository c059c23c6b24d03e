#include "platform/automation/CallBoundary.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/automation/tests/TestObjects.h"

namespace kelvaro::platform {
namespace {

using testing::Probe;

class CallBoundaryTest : public ::testing::Test {
 protected:
  CallBoundaryTest() : probeObject_(std::make_shared<Probe>()), probe(probeObject_) {}

  Probe& object() { return *probeObject_; }

  std::shared_ptr<Probe> probeObject_;
  ObjectRef probe;
};

// ---- Argument coercion ----------------------------------------------------------------------

TEST_F(CallBoundaryTest, NumberForATextParameterArrivesAsItsDecimalText) {
  CallMethod(probe, "EchoText", {0});
  EXPECT_EQ(LastCallOutcome(), CallOutcome::Success);
  EXPECT_EQ(object().lastArguments.Value(0), Variant(u"0"));

  EXPECT_EQ(CallText(probe, "EchoText", {-17}), Text("-17"));
  EXPECT_EQ(CallText(probe, "EchoText", {1.5}), Text("1.5"));
  EXPECT_EQ(CallText(probe, "EchoText", {true}), Text("True"));
}

TEST_F(CallBoundaryTest, ArgumentsAreCoercedToTheDeclaredKinds) {
  struct Case {
    const char* member;
    Argument argument;
    Variant received;
  };
  const Case cases[] = {
      {"EchoInt", true, Variant(-1)},
      {"EchoInt", false, Variant(0)},
      {"EchoInt", "42", Variant(42)},
      {"EchoInt", 2.5, Variant(2)},
      {"EchoDouble", 3, Variant(3.0)},
      {"EchoDouble", Text(" 0.25 "), Variant(0.25)},
      {"EchoBool", 5, Variant(true)},
      {"EchoBool", "false", Variant(false)},
      {"EchoText", Variant(), Variant(u"")},
      // A Variant parameter receives the content as passed, bytes included.
      {"Echo", Variant(Bytes{1, 0, 2}), Variant(Bytes{1, 0, 2})},
      {"Echo", 7, Variant(7)},
      {"Echo", Variant(), Variant()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.member);
    CallMethod(probe, c.member, {c.argument});
    EXPECT_EQ(LastCallOutcome(), CallOutcome::Success);
    EXPECT_EQ(object().lastArguments.Value(0), c.received);
  }
}

TEST_F(CallBoundaryTest, ArgumentThatCannotBeCoercedFailsWithoutReachingTheObject) {
  struct Case {
    const char* member;
    Argument argument;
    CallOutcome outcome;
  };
  const Case cases[] = {
      {"EchoInt", "abc", CallOutcome::TypeMismatch},
      {"EchoInt", "", CallOutcome::TypeMismatch},
      {"EchoInt", 1e10, CallOutcome::Overflow},
      {"EchoInt", "3000000000", CallOutcome::Overflow},
      {"EchoText", Variant(Bytes{0x41}), CallOutcome::TypeMismatch},
      {"EchoBool", ObjectRef(std::make_shared<Probe>()), CallOutcome::TypeMismatch},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.member);
    const int before = object().invocations;
    EXPECT_EQ(CallInt32(probe, c.member, {c.argument}), 0);
    EXPECT_EQ(LastCallOutcome(), c.outcome);
    EXPECT_EQ(object().invocations, before);
  }
}

TEST_F(CallBoundaryTest, TextsCrossAsUtf16AndComeBackInTheCodePage) {
  // "中文" in code page 936.
  const Text chinese("\xD6\xD0\xCE\xC4");
  EXPECT_EQ(CallText(probe, "EchoText", {chinese}), chinese);
  EXPECT_EQ(object().lastArguments.Value(0), Variant(u"\u4E2D\u6587"));

  // A character the code page lacks becomes "?"; the text ends at the first NUL.
  const std::u16string returned = std::u16string(u"a\u0E01b") + u'\0' + u"tail";
  EXPECT_EQ(CallText(probe, "Echo", {Variant(returned)}), Text("a?b"));
}

TEST_F(CallBoundaryTest, BareByteArrayIsRefusedWhileWrappedBytesPass) {
  CallMethod(probe, "Echo", {Bytes{1, 2, 3}});
  EXPECT_EQ(LastCallOutcome(), CallOutcome::BadArgumentKind);
  EXPECT_EQ(object().invocations, 0);

  // Also as the value of a property write: nothing changes at the object.
  object().option6 = Variant(5);
  PutProperty(probe, "Option", {6}, Bytes{9});
  EXPECT_EQ(LastCallOutcome(), CallOutcome::BadArgumentKind);
  EXPECT_EQ(object().option6, Variant(5));

  EXPECT_EQ(CallBytes(probe, "Echo", {Variant(Bytes{1, 2, 3})}), (Bytes{1, 2, 3}));
  EXPECT_EQ(LastCallOutcome(), CallOutcome::Success);
}

// A body of many megabytes crosses the boundary: a Variant handed over must reach the object as
// it is, while a Variant the caller keeps is copied, never shared with the object.
TEST_F(CallBoundaryTest, VariantHandedOverReachesTheObjectWithoutACopy) {
  Bytes handedOver(4096, 7);
  const std::uint8_t* const storage = handedOver.data();
  CallMethod(probe, "Echo", {Variant(std::move(handedOver))});
  ASSERT_EQ(LastCallOutcome(), CallOutcome::Success);
  const Bytes* received = object().lastArguments.Value(0).IfBytes();
  ASSERT_NE(received, nullptr);
  EXPECT_EQ(received->data(), storage);
  EXPECT_EQ(*received, Bytes(4096, 7));

  const Variant kept(Bytes(16, 1));
  CallMethod(probe, "Echo", {kept});
  received = object().lastArguments.Value(0).IfBytes();
  ASSERT_NE(received, nullptr);
  const Bytes* keptBytes = kept.IfBytes();
  ASSERT_NE(keptBytes, nullptr);
  EXPECT_NE(received->data(), keptBytes->data());
  EXPECT_EQ(*received, Bytes(16, 1));

  // A list built once may be passed to several calls; each finds the same value.
  const ArgumentList twice = {Variant(Bytes{4, 5})};
  EXPECT_EQ(CallBytes(probe, "Echo", twice), (Bytes{4, 5}));
  EXPECT_EQ(CallBytes(probe, "Echo", twice), (Bytes{4, 5}));
}

// ---- Optional, omitted and surplus arguments -------------------------------------------------

TEST_F(CallBoundaryTest, OmittedOptionalArgumentsAreMarkedAsNotGiven) {
  struct Case {
    const char* name;
    ArgumentList arguments;
    std::int32_t result;
    bool secondGiven;
    bool thirdGiven;
  };
  const std::optional<std::int32_t> none;
  const std::optional<std::int32_t> ten = 10;
  const Case cases[] = {
      {"only required", {5}, 6, false, false},
      {"explicitly omitted", {5, kOmitted}, 6, false, false},
      {"empty optional", {5, none}, 6, false, false},
      {"given optional", {5, ten}, 15, true, false},
      {"given zero", {5, 0}, 5, true, false},
      {"gap", {5, kOmitted, "x"}, 6, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(CallInt32(probe, "Add", c.arguments), c.result);
    EXPECT_EQ(LastCallOutcome(), CallOutcome::Success);
    const Arguments& received = object().lastArguments;
    ASSERT_EQ(received.size(), 3u) << "one entry per declared parameter";
    EXPECT_TRUE(received.Given(0));
    EXPECT_EQ(received.Given(1), c.secondGiven);
    EXPECT_EQ(received.Given(2), c.thirdGiven);
    if (!c.secondGiven) {
      EXPECT_TRUE(received.Value(1).IsEmpty());
    }
  }
}

TEST_F(CallBoundaryTest, ArgumentCountFailures) {
  struct Case {
    const char* name;
    ArgumentList arguments;
    CallOutcome outcome;
  };
  const Case cases[] = {
      {"required omitted", {kOmitted}, CallOutcome::ParamNotOptional},
      {"required missing", {}, CallOutcome::ParamNotOptional},
      {"one too many", {1, 2, "x", 4}, CallOutcome::TooManyArguments},
      {"surplus omitted still counts", {1, 2, "x", kOmitted}, CallOutcome::TooManyArguments},
      // The count is checked before the kinds.
      {"too many and a bare array", {Bytes{}, 2, "x", 4}, CallOutcome::TooManyArguments},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(CallInt32(probe, "Add", c.arguments), 0);
    EXPECT_EQ(LastCallOutcome(), c.outcome);
  }
  EXPECT_EQ(object().invocations, 0);
}

// ---- Binding ---------------------------------------------------------------------------------

TEST_F(CallBoundaryTest, MemberNamesIgnoreAsciiCase) {
  EXPECT_EQ(CallText(probe, "eChOtExT", {"a"}), Text("a"));
  EXPECT_EQ(LastCallOutcome(), CallOutcome::Success);
  PutProperty(probe, "VALUE", 3);
  EXPECT_EQ(GetInt32(probe, "value"), 3);
}

TEST_F(CallBoundaryTest, BindingFailures) {
  struct Case {
    const char* name;
    std::function<void(const ObjectRef&)> call;
    CallOutcome outcome;
  };
  const Case cases[] = {
      {"unknown method", [](const ObjectRef& o) { CallMethod(o, "NoSuch"); },
       CallOutcome::NameNotFound},
      {"unknown property", [](const ObjectRef& o) { GetText(o, "NoSuch"); },
       CallOutcome::NameNotFound},
      {"name with a suffix", [](const ObjectRef& o) { CallMethod(o, "EchoTextX", {"a"}); },
       CallOutcome::NameNotFound},
      {"write to a read-only property", [](const ObjectRef& o) { PutProperty(o, "Label", "x"); },
       CallOutcome::MemberNotFound},
      {"property called as a method", [](const ObjectRef& o) { CallMethod(o, "Value"); },
       CallOutcome::MemberNotFound},
      {"method read as a property", [](const ObjectRef& o) { GetInt32(o, "Add", {1}); },
       CallOutcome::MemberNotFound},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    c.call(probe);
    EXPECT_EQ(LastCallOutcome(), c.outcome);
  }
  EXPECT_EQ(object().invocations, 0);
  EXPECT_EQ(object().label, u"probe");
}

TEST(CallBoundary, ObjectsWithoutDispatchOrTypeInformation) {
  const ObjectRef noDispatch(std::make_shared<Probe>(Probe::Options{.offersDispatch = false}));
  CallMethod(noDispatch, "EchoText", {"a"});
  EXPECT_EQ(LastCallOutcome(), CallOutcome::NoDispatch);
  CallMethod(noDispatch, "NoSuch");
  EXPECT_EQ(LastCallOutcome(), CallOutcome::NoDispatch);

  const ObjectRef noTypeInfo(std::make_shared<Probe>(Probe::Options{.offersTypeInfo = false}));
  EXPECT_EQ(CallText(noTypeInfo, "EchoText", {"a"}), Text());
  EXPECT_EQ(LastCallOutcome(), CallOutcome::NoTypeInfo);
  CallMethod(noTypeInfo, "NoSuch");
  EXPECT_EQ(LastCallOutcome(), CallOutcome::NameNotFound);
  const Probe* probe = noTypeInfo.As<Probe>();
  ASSERT_NE(probe, nullptr);
  EXPECT_EQ(probe->invocations, 0);
}

TEST(CallBoundary, EveryFormOnAnEmptyReferenceFailsWithNoObjectAndTheEmptyValue) {
  const ObjectRef empty;
  struct Case {
    const char* name;
    std::function<bool()> callGivesEmptyValue;
  };
  const Case cases[] = {
      {"GetVariant", [&] { return GetVariant(empty, "Value").IsEmpty(); }},
      {"GetText", [&] { return GetText(empty, "Label").empty(); }},
      {"GetInt32", [&] { return GetInt32(empty, "Value") == 0; }},
      {"GetDouble", [&] { return GetDouble(empty, "Value") == 0.0; }},
      {"GetBool", [&] { return !GetBool(empty, "Value"); }},
      {"GetBytes", [&] { return GetBytes(empty, "Value").empty(); }},
      {"GetObjectRef", [&] { return GetObjectRef(empty, "Value").IsEmpty(); }},
      {"PutProperty", [&] { return PutProperty(empty, "Value", 1), true; }},
      {"PutProperty indexed", [&] { return PutProperty(empty, "Option", {6}, 1), true; }},
      {"CallMethod", [&] { return CallMethod(empty, "Throw"), true; }},
      {"CallVariant", [&] { return CallVariant(empty, "Echo", {1}).IsEmpty(); }},
      {"CallText", [&] { return CallText(empty, "EchoText", {"a"}).empty(); }},
      {"CallInt32", [&] { return CallInt32(empty, "EchoInt", {1}) == 0; }},
      {"CallDouble", [&] { return CallDouble(empty, "EchoDouble", {1.0}) == 0.0; }},
      {"CallBool", [&] { return !CallBool(empty, "EchoBool", {true}); }},
      {"CallBytes", [&] { return CallBytes(empty, "ReturnBytes").empty(); }},
      {"CallObjectRef", [&] { return CallObjectRef(empty, "ReturnChild").IsEmpty(); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RecordCallOutcome(CallOutcome::Success);
    EXPECT_TRUE(c.callGivesEmptyValue());
    EXPECT_EQ(LastCallOutcome(), CallOutcome::NoObject);
  }
}

// ---- Results ---------------------------------------------------------------------------------

TEST_F(CallBoundaryTest, ResultsConvertToTheKindAskedFor) {
  object().value = 7;
  EXPECT_EQ(GetText(probe, "Value"), Text("7"));
  EXPECT_EQ(GetDouble(probe, "Value"), 7.0);
  EXPECT_TRUE(GetBool(probe, "Value"));
  EXPECT_EQ(GetVariant(probe, "Value"), Variant(7));
  EXPECT_EQ(CallInt32(probe, "EchoText", {" 12 "}), 12);
  EXPECT_EQ(CallBytes(probe, "ReturnBytes"), (Bytes{1, 2, 0, 3}));
  EXPECT_EQ(LastCallOutcome(), CallOutcome::Success);

  const ObjectRef child = CallObjectRef(probe, "ReturnChild");
  EXPECT_FALSE(child.IsEmpty());
  EXPECT_EQ(CallObjectRef(probe, "ReturnChild"), child) << "the same child both times";
  EXPECT_NE(child, probe);
}

TEST_F(CallBoundaryTest, ResultThatCannotBeConvertedGivesTheEmptyValueAndItsOutcome) {
  struct Case {
    const char* name;
    std::function<bool()> callGivesEmptyValue;
  };
  object().label = u"not a number";
  const Case cases[] = {
      {"bytes as text", [&] { return CallText(probe, "ReturnBytes").empty(); }},
      {"bytes as int", [&] { return CallInt32(probe, "ReturnBytes") == 0; }},
      {"int as bytes", [&] { return GetBytes(probe, "Value").empty(); }},
      {"text as int", [&] { return GetInt32(probe, "Label") == 0; }},
      {"text as bool", [&] { return !GetBool(probe, "Label"); }},
      {"object as text", [&] { return CallText(probe, "ReturnChild").empty(); }},
      {"text as object", [&] { return GetObjectRef(probe, "Label").IsEmpty(); }},
      {"too large for int", [&] { return CallInt32(probe, "EchoDouble", {1e12}) == 0; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const int before = object().invocations;
    EXPECT_TRUE(c.callGivesEmptyValue());
    EXPECT_EQ(LastCallOutcome(), CallOutcome::ResultNotConvertible);
    EXPECT_EQ(object().invocations, before + 1) << "the call itself was made";
  }
  // Discarding the result never fails for its kind.
  CallMethod(probe, "ReturnBytes");
  EXPECT_EQ(LastCallOutcome(), CallOutcome::Success);
}

TEST_F(CallBoundaryTest, ObjectReturningAnUndeclaredKindFailsAsOther) {
  EXPECT_TRUE(CallVariant(probe, "Lie").IsEmpty());
  EXPECT_EQ(LastCallOutcome(), CallOutcome::Other);
}

// ---- Properties ------------------------------------------------------------------------------

TEST_F(CallBoundaryTest, IndexedPropertyWritesThenReadsBack) {
  PutProperty(probe, "Option", {6}, true);
  EXPECT_EQ(LastCallOutcome(), CallOutcome::Success);
  EXPECT_EQ(GetVariant(probe, "Option", {6}), Variant(true));
  EXPECT_EQ(GetInt32(probe, "Option", {6}), -1);

  // The index is coerced like any argument; the value of a Variant goes in as its content.
  PutProperty(probe, "option", {"6"}, Variant(u"text"));
  EXPECT_EQ(GetText(probe, "Option", {6.0}), Text("text"));

  // An index the object rejects is its own error.
  EXPECT_TRUE(GetVariant(probe, "Option", {7}).IsEmpty());
  EXPECT_EQ(LastCallOutcome(), CallOutcome::Exception);
  EXPECT_EQ(LastCallException().code, 12018);

  // A missing index is a missing required argument.
  PutProperty(probe, "Option", Variant(1));
  EXPECT_EQ(LastCallOutcome(), CallOutcome::ParamNotOptional);
  EXPECT_EQ(GetVariant(probe, "Option", {6}), Variant(u"text"));
}

TEST_F(CallBoundaryTest, PropertyWriteCoercesItsValue) {
  PutProperty(probe, "Value", "41");
  EXPECT_EQ(LastCallOutcome(), CallOutcome::Success);
  EXPECT_EQ(object().value, 41);
  PutProperty(probe, "Value", true);
  EXPECT_EQ(object().value, -1);
  PutProperty(probe, "Value", "forty");
  EXPECT_EQ(LastCallOutcome(), CallOutcome::TypeMismatch);
  EXPECT_EQ(object().value, -1);
}

// ---- Errors raised by the object ----------------------------------------------------------------

TEST_F(CallBoundaryTest, RaisedErrorIsAnExceptionWithItsNumberAndDescription) {
  CallMethod(probe, "Raise", {12002});
  EXPECT_EQ(LastCallOutcome(), CallOutcome::Exception);
  EXPECT_EQ(LastCallException(), (ExceptionInfo{12002, u"raised 12002"}));

  // The next success clears both.
  CallMethod(probe, "EchoInt", {1});
  EXPECT_EQ(LastCallOutcome(), CallOutcome::Success);
  EXPECT_EQ(LastCallException(), ExceptionInfo{});
}

TEST_F(CallBoundaryTest, ObjectMayFailWithOtherOutcomes) {
  for (const CallOutcome outcome :
       {CallOutcome::BadParamCount, CallOutcome::BadVarType, CallOutcome::NoNamedArgs,
        CallOutcome::ParamNotFound, CallOutcome::Overflow, CallOutcome::TypeMismatch}) {
    SCOPED_TRACE(static_cast<int>(outcome));
    CallMethod(probe, "RaiseOutcome", {static_cast<std::int32_t>(outcome)});
    EXPECT_EQ(LastCallOutcome(), outcome);
    EXPECT_EQ(LastCallException(), ExceptionInfo{});
  }
  // "Failing" with Success is no success.
  CallMethod(probe, "RaiseOutcome", {static_cast<std::int32_t>(CallOutcome::Success)});
  EXPECT_EQ(LastCallOutcome(), CallOutcome::Other);
}

TEST_F(CallBoundaryTest, UnexpectedExceptionInsideTheObjectIsOtherAndDoesNotEscape) {
  EXPECT_NO_THROW(CallMethod(probe, "Throw"));
  EXPECT_EQ(LastCallOutcome(), CallOutcome::Other);
}

// ---- Lifetime and re-entrancy ----------------------------------------------------------------

TEST(CallBoundary, ObjectOutlivesACallThatDropsTheCallersLastShare) {
  bool destroyed = false;
  auto made = std::make_shared<Probe>();
  made->onDestroy = [&] { destroyed = true; };
  ObjectRef only(std::move(made));
  only.As<Probe>()->holder = &only;

  CallMethod(only, "DropHolder");  // the object runs on after `only` gave up its share
  EXPECT_EQ(LastCallOutcome(), CallOutcome::Success);
  EXPECT_TRUE(only.IsEmpty());
  EXPECT_TRUE(destroyed) << "released once the call returned";
}

TEST_F(CallBoundaryTest, OutcomeOfANestedCallDoesNotLeakIntoTheOuterCall) {
  CallMethod(probe, "CallChildBadly");
  EXPECT_EQ(LastCallOutcome(), CallOutcome::Success);
}

}  // namespace
}  // namespace kelvaro::platform
