// The stream driven through the automation call boundary, the way the HTTP client drives it.
#include "platform/stream/CharsetStream.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/automation/Automation.h"
#include "platform/stream/StreamClass.h"
#include "text/Text.h"

namespace kelvaro::platform {
namespace {

constexpr std::int32_t kInvalidArgument = 3001;
constexpr std::int32_t kNotAllowedInContext = 3219;
constexpr std::int32_t kNotCapable = 3251;
constexpr std::int32_t kObjectClosed = 3704;
constexpr std::int32_t kObjectOpen = 3705;

// What each step of one decoding gave: the text and the outcome of every call.
struct Decoding {
  Text text;
  std::vector<CallOutcome> outcomes;  // Type, Mode, Open, Write, Position, Type, Charset,
                                      // ReadText, Close
  ExceptionInfo charsetError;
};

class CharsetStreamTest : public testing::Test {
 protected:
  void SetUp() override {
    CoInitialize();
    RegisterCharsetStreamClass();
  }
  void TearDown() override { CoUninitialize(); }

  static ObjectRef NewStream() {
    ObjectRef stream = CreateObjectByProgId("adodb.stream");
    if (stream.IsEmpty()) ADD_FAILURE() << "no stream object";
    return stream;
  }

  // The decoding routine's sequence of calls, step for step.
  static Decoding Decode(const Bytes& bytes, const Text& charset) {
    Decoding result;
    ObjectRef stream = NewStream();
    auto step = [&result] { result.outcomes.push_back(LastCallOutcome()); };
    PutProperty(stream, "Type", 1);
    step();
    PutProperty(stream, "Mode", 3);
    step();
    CallMethod(stream, "Open");
    step();
    Variant buffer(bytes);
    CallMethod(stream, "Write", {buffer});
    step();
    PutProperty(stream, "Position", 0);
    step();
    PutProperty(stream, "Type", 2);
    step();
    PutProperty(stream, "Charset", charset);
    step();
    result.charsetError = LastCallException();
    result.text = CallText(stream, "ReadText");
    step();
    CallMethod(stream, "Close");
    step();
    return result;
  }

  // Expects the last call to have raised the stream error `number`.
  static void ExpectRaised(std::int32_t number) {
    EXPECT_EQ(LastCallOutcome(), CallOutcome::Exception);
    EXPECT_EQ(LastCallException().code, number);
    EXPECT_FALSE(LastCallException().description.empty());
  }

  static std::u16string ReadText(const ObjectRef& stream, const ArgumentList& arguments = {}) {
    const Variant text = CallVariant(stream, "ReadText", arguments);
    return text.IfString() ? *text.IfString() : u"<not a string>";
  }

  static ObjectRef OpenStream(std::int32_t type) {
    ObjectRef stream = NewStream();
    PutProperty(stream, "Type", type);
    CallMethod(stream, "Open");
    EXPECT_EQ(LastCallOutcome(), CallOutcome::Success);
    return stream;
  }

  // An open text stream holding `bytes` at position 0, read in `charset`.
  static ObjectRef TextStreamOf(const Bytes& bytes, const Text& charset) {
    ObjectRef stream = OpenStream(1);
    CallMethod(stream, "Write", {Variant(bytes)});
    PutProperty(stream, "Position", 0);
    PutProperty(stream, "Type", 2);
    PutProperty(stream, "Charset", charset);
    EXPECT_EQ(LastCallOutcome(), CallOutcome::Success);
    return stream;
  }
};

struct DecodeCase {
  const char* label;
  const char* charset;
  Bytes bytes;
  std::string_view text;  // code page 936
};

TEST_F(CharsetStreamTest, DecodesBodiesIntoCodePageText) {
  const DecodeCase cases[] = {
      {"Chinese in UTF-8", "UTF-8", {0xE4, 0xB8, 0xAD, 0xE6, 0x96, 0x87}, "\xD6\xD0\xCE\xC4"},
      // U+1F600 is not in code page 936.
      {"missing character", "UTF-8", {0x41, 0xF0, 0x9F, 0x98, 0x80, 0x42}, "A?B"},
      {"zero byte ends the text", "UTF-8", {0x41, 0x42, 0x00, 0x43, 0x44}, "AB"},
      {"empty body", "UTF-8", {}, ""},
      {"UTF-8 byte-order mark dropped", "utf-8", {0xEF, 0xBB, 0xBF, 0xE4, 0xB8, 0xAD}, "\xD6\xD0"},
      {"invalid UTF-8", "UTF-8", {0x41, 0xFF, 0x42}, "A?B"},
      {"GB2312",
       "gb2312",
       {0xD6, 0xD0, 0xCE, 0xC4, 0x31},
       "\xD6\xD0\xCE\xC4"
       "1"},
      {"GBK beyond GB2312", "GBK", {0x81, 0x40}, "\x81\x40"},
      {"UTF-16 with its mark", "unicode", {0xFF, 0xFE, 0x2D, 0x4E, 0x87, 0x65}, "\xD6\xD0\xCE\xC4"},
      {"UTF-16 without a mark",
       "Unicode",
       {0x2D, 0x4E, 0x41, 0x00},
       "\xD6\xD0"
       "A"},
      {"UTF-16 big-endian", "unicodeFFFE", {0xFE, 0xFF, 0x4E, 0x2D}, "\xD6\xD0"},
      {"Big5", "big5", {0xA4, 0xA4, 0xA4, 0xE5}, "\xD6\xD0\xCE\xC4"},
      {"GB18030", "gb18030", {0xD6, 0xD0, 0x81, 0x30, 0x81, 0x30}, "\xD6\xD0?"},
  };
  for (const DecodeCase& c : cases) {
    SCOPED_TRACE(c.label);
    const Decoding decoding = Decode(c.bytes, c.charset);
    EXPECT_EQ(decoding.text.bytes(), c.text);
    EXPECT_EQ(decoding.outcomes, std::vector<CallOutcome>(9, CallOutcome::Success));
  }
}

TEST_F(CharsetStreamTest, RefusesAnUnknownCharsetAndReadsInTheCharsetItHad) {
  for (const char* charset : {"no-such-charset", "", "utf-8,version=1"}) {
    SCOPED_TRACE(charset);
    // "AB" in UTF-16, the stream's charset before the refused write.
    const Decoding decoding = Decode({0x41, 0x00, 0x42, 0x00}, charset);
    EXPECT_EQ(decoding.outcomes[6], CallOutcome::Exception);
    EXPECT_EQ(decoding.charsetError.code, kInvalidArgument);
    EXPECT_EQ(decoding.text.bytes(), "AB");
    EXPECT_EQ(decoding.outcomes[7], CallOutcome::Success);
    EXPECT_EQ(decoding.outcomes[8], CallOutcome::Success);
  }

  ObjectRef stream = TextStreamOf({0xD6, 0xD0}, "gb2312");
  PutProperty(stream, "Charset", "bogus");
  ExpectRaised(kInvalidArgument);
  EXPECT_EQ(GetText(stream, "Charset").bytes(), "gb2312");
  EXPECT_EQ(ReadText(stream), u"\u4E2D");
}

TEST_F(CharsetStreamTest, StartsAsTheDocumentedDefaults) {
  ObjectRef stream = CreateObjectByProgId("ADODB.Stream");
  ASSERT_FALSE(stream.IsEmpty());
  EXPECT_EQ(GetInt32(stream, "Type"), 2);
  EXPECT_EQ(GetInt32(stream, "Mode"), 0);
  EXPECT_EQ(GetText(stream, "Charset").bytes(), "Unicode");
  EXPECT_EQ(GetInt32(stream, "LineSeparator"), -1);
  EXPECT_EQ(GetInt32(stream, "State"), 0);
  CallMethod(stream, "Open");
  EXPECT_EQ(GetInt32(stream, "State"), 1);
  EXPECT_EQ(GetInt32(stream, "Size"), 0);
  EXPECT_EQ(GetInt32(stream, "Position"), 0);
  EXPECT_TRUE(GetBool(stream, "EOS"));
}

TEST_F(CharsetStreamTest, ChangesTypeAndCharsetOnlyAtPositionZero) {
  ObjectRef stream = OpenStream(1);
  CallMethod(stream, "Write", {Variant(Bytes{0xD6, 0xD0, 0xCE, 0xC4})});
  ASSERT_EQ(GetInt32(stream, "Position"), 4);

  PutProperty(stream, "Type", 2);
  ExpectRaised(kNotAllowedInContext);
  EXPECT_EQ(GetInt32(stream, "Type"), 1);
  PutProperty(stream, "Charset", "gb2312");
  ExpectRaised(kNotAllowedInContext);
  EXPECT_EQ(GetText(stream, "Charset").bytes(), "Unicode");

  PutProperty(stream, "Position", 0);
  PutProperty(stream, "Type", 2);
  EXPECT_EQ(LastCallOutcome(), CallOutcome::Success);
  PutProperty(stream, "Charset", "gb2312");
  EXPECT_EQ(LastCallOutcome(), CallOutcome::Success);
  EXPECT_EQ(ReadText(stream), u"\u4E2D\u6587");
}

TEST_F(CharsetStreamTest, RefusesEveryStreamOperationWhileClosed) {
  struct Operation {
    const char* label;
    void (*call)(const ObjectRef&);
  };
  const Operation operations[] = {
      {"ReadText", [](const ObjectRef& s) { CallText(s, "ReadText"); }},
      {"Read", [](const ObjectRef& s) { CallBytes(s, "Read"); }},
      {"Write", [](const ObjectRef& s) { CallMethod(s, "Write", {Variant(Bytes{1})}); }},
      {"WriteText", [](const ObjectRef& s) { CallMethod(s, "WriteText", {"a"}); }},
      {"Close", [](const ObjectRef& s) { CallMethod(s, "Close"); }},
      {"Position read", [](const ObjectRef& s) { GetInt32(s, "Position"); }},
      {"Position write", [](const ObjectRef& s) { PutProperty(s, "Position", 0); }},
      {"Size", [](const ObjectRef& s) { GetInt32(s, "Size"); }},
      {"EOS", [](const ObjectRef& s) { GetBool(s, "EOS"); }},
  };
  ObjectRef neverOpened = NewStream();
  ObjectRef closed = TextStreamOf({0x41, 0x00}, "unicode");
  CallMethod(closed, "Close");
  ASSERT_EQ(LastCallOutcome(), CallOutcome::Success);
  for (const Operation& operation : operations) {
    SCOPED_TRACE(operation.label);
    operation.call(neverOpened);
    ExpectRaised(kObjectClosed);
    operation.call(closed);
    ExpectRaised(kObjectClosed);
  }

  // Settings stay writable while closed, and reopening gives an empty stream.
  PutProperty(closed, "Charset", "utf-8");
  EXPECT_EQ(LastCallOutcome(), CallOutcome::Success);
  PutProperty(closed, "Mode", 3);
  EXPECT_EQ(LastCallOutcome(), CallOutcome::Success);
  CallMethod(closed, "Open");
  EXPECT_EQ(GetInt32(closed, "Size"), 0);
  EXPECT_EQ(GetInt32(closed, "Type"), 2);
}

TEST_F(CharsetStreamTest, KeepsBytesAndTextToTheirModes) {
  ObjectRef text = OpenStream(2);
  CallMethod(text, "Write", {Variant(Bytes{0x41})});
  ExpectRaised(kInvalidArgument);
  CallBytes(text, "Read");
  ExpectRaised(kNotAllowedInContext);
  EXPECT_EQ(GetInt32(text, "Size"), 0);

  ObjectRef binary = OpenStream(1);
  CallText(binary, "ReadText");
  ExpectRaised(kNotAllowedInContext);
  CallMethod(binary, "WriteText", {"a"});
  ExpectRaised(kNotAllowedInContext);
  CallMethod(binary, "Write", {Variant(u"text")});
  ExpectRaised(kInvalidArgument);
  CallMethod(binary, "Write", {Variant()});
  ExpectRaised(kInvalidArgument);
  // A bare byte array never reaches the stream.
  CallMethod(binary, "Write", {Bytes{0x41}});
  EXPECT_EQ(LastCallOutcome(), CallOutcome::BadArgumentKind);
  EXPECT_EQ(GetInt32(binary, "Size"), 0);
}

TEST_F(CharsetStreamTest, RefusesBadValuesAndLeavesTheStreamAsItWas) {
  ObjectRef stream = NewStream();
  PutProperty(stream, "Type", 3);
  ExpectRaised(kInvalidArgument);
  PutProperty(stream, "Mode", 0x400000);
  ExpectRaised(kInvalidArgument);
  PutProperty(stream, "LineSeparator", 11);
  ExpectRaised(kInvalidArgument);
  EXPECT_EQ(GetInt32(stream, "Type"), 2);
  EXPECT_EQ(GetInt32(stream, "Mode"), 0);
  EXPECT_EQ(GetInt32(stream, "LineSeparator"), -1);

  CallMethod(stream, "Open", {"http://127.0.0.1/file"});
  ExpectRaised(kNotCapable);
  EXPECT_EQ(GetInt32(stream, "State"), 0);
  CallMethod(stream, "Open", {kOmitted, 3, -1, "", ""});
  EXPECT_EQ(LastCallOutcome(), CallOutcome::Success);
  CallMethod(stream, "Open");
  ExpectRaised(kObjectOpen);
  PutProperty(stream, "Mode", 1);
  ExpectRaised(kObjectOpen);
  PutProperty(stream, "Position", -1);
  ExpectRaised(kInvalidArgument);
  CallText(stream, "ReadText", {-3});
  ExpectRaised(kInvalidArgument);
  CallMethod(stream, "WriteText", {"a", 2});
  ExpectRaised(kInvalidArgument);
  EXPECT_EQ(GetInt32(stream, "Size"), 0);
  EXPECT_EQ(GetInt32(stream, "Position"), 0);
}

TEST_F(CharsetStreamTest, HonoursReadOnlyAndWriteOnlyModes) {
  ObjectRef readOnly = NewStream();
  PutProperty(readOnly, "Type", 1);
  CallMethod(readOnly, "Open", {kOmitted, 1});
  EXPECT_EQ(GetInt32(readOnly, "Mode"), 1);
  CallMethod(readOnly, "Write", {Variant(Bytes{0x41})});
  ExpectRaised(kNotAllowedInContext);
  PutProperty(readOnly, "Position", 5);
  ExpectRaised(kNotAllowedInContext);
  EXPECT_EQ(GetInt32(readOnly, "Size"), 0);

  ObjectRef writeOnly = NewStream();
  PutProperty(writeOnly, "Mode", 2);
  CallMethod(writeOnly, "Open");
  CallMethod(writeOnly, "WriteText", {"a"});
  EXPECT_EQ(LastCallOutcome(), CallOutcome::Success);
  PutProperty(writeOnly, "Position", 0);
  CallText(writeOnly, "ReadText");
  ExpectRaised(kNotAllowedInContext);
}

TEST_F(CharsetStreamTest, ReadsTextInPartsAndMovesThePosition) {
  // "zhong" CR LF "a" LF "b" in UTF-8 after a byte-order mark.
  ObjectRef stream =
      TextStreamOf({0xEF, 0xBB, 0xBF, 0xE4, 0xB8, 0xAD, 0x0D, 0x0A, 0x61, 0x0A, 0x62}, "utf-8");
  EXPECT_EQ(ReadText(stream, {0}), u"");
  EXPECT_EQ(GetInt32(stream, "Position"), 0);
  EXPECT_EQ(ReadText(stream, {1}), u"\u4E2D");
  EXPECT_EQ(GetInt32(stream, "Position"), 6);
  EXPECT_EQ(ReadText(stream, {-2}), u"");  // the rest of the first line
  EXPECT_EQ(GetInt32(stream, "Position"), 8);

  PutProperty(stream, "Position", 0);
  PutProperty(stream, "LineSeparator", 10);
  EXPECT_EQ(ReadText(stream, {-2}), u"\u4E2D\r");
  EXPECT_EQ(ReadText(stream, {-2}), u"a");
  EXPECT_FALSE(GetBool(stream, "EOS"));
  EXPECT_EQ(ReadText(stream, {-2}), u"b");
  EXPECT_TRUE(GetBool(stream, "EOS"));
  EXPECT_EQ(ReadText(stream), u"");
  EXPECT_EQ(LastCallOutcome(), CallOutcome::Success);

  // Away from position 0 a byte-order mark is text like any other.
  PutProperty(stream, "Position", 0);
  PutProperty(stream, "Type", 1);
  PutProperty(stream, "Position", 11);
  CallMethod(stream, "Write", {Variant(Bytes{0xEF, 0xBB, 0xBF})});
  PutProperty(stream, "Position", 0);
  PutProperty(stream, "Type", 2);
  PutProperty(stream, "Position", 10);
  EXPECT_EQ(ReadText(stream), u"b\uFEFF");
}

TEST_F(CharsetStreamTest, WritesTextWithTheCharsetsMarkAndReadsItBack) {
  ObjectRef stream = OpenStream(2);
  PutProperty(stream, "Charset", "utf-8");
  CallMethod(stream, "WriteText", {"\xD6\xD0"});  // zhong, as the system holds it
  CallMethod(stream, "WriteText", {"a", 1});
  EXPECT_EQ(LastCallOutcome(), CallOutcome::Success);
  EXPECT_EQ(GetInt32(stream, "Size"), 3 + 3 + 3);

  PutProperty(stream, "Position", 0);
  PutProperty(stream, "Type", 1);
  EXPECT_EQ(CallBytes(stream, "Read", {4}), (Bytes{0xEF, 0xBB, 0xBF, 0xE4}));
  EXPECT_EQ(CallBytes(stream, "Read"), (Bytes{0xB8, 0xAD, 0x61, 0x0D, 0x0A}));
  EXPECT_EQ(CallBytes(stream, "Read"), Bytes{});
  EXPECT_EQ(LastCallOutcome(), CallOutcome::Success);

  PutProperty(stream, "Position", 0);
  PutProperty(stream, "Type", 2);
  EXPECT_EQ(CallText(stream, "ReadText").bytes(),
            "\xD6\xD0"
            "a\r\n");

  ObjectRef unicode = OpenStream(2);
  CallMethod(unicode, "WriteText", {"A"});
  PutProperty(unicode, "Position", 0);
  PutProperty(unicode, "Type", 1);
  EXPECT_EQ(CallBytes(unicode, "Read"), (Bytes{0xFF, 0xFE, 0x41, 0x00}));
}

TEST_F(CharsetStreamTest, WritesOverAndBeyondTheBytesAtThePosition) {
  ObjectRef stream = OpenStream(1);
  CallMethod(stream, "Write", {Variant(Bytes{1, 2, 3, 4})});
  PutProperty(stream, "Position", 2);
  CallMethod(stream, "Write", {Variant(Bytes{7, 8, 9})});
  EXPECT_EQ(GetInt32(stream, "Position"), 5);
  PutProperty(stream, "Position", 7);  // beyond the end: the gap is zero bytes
  EXPECT_EQ(GetInt32(stream, "Size"), 7);
  CallMethod(stream, "Write", {Variant(Bytes{})});
  EXPECT_EQ(LastCallOutcome(), CallOutcome::Success);
  PutProperty(stream, "Position", 1);
  EXPECT_EQ(CallBytes(stream, "Read"), (Bytes{2, 7, 8, 9, 0, 0}));
}

TEST_F(CharsetStreamTest, DecodesALargeBodyWhole) {
  // A few MiB of mixed Chinese and ASCII, as a large service answer would be.
  Bytes body;
  std::string expected;
  for (int i = 0; i < 400000; ++i) {
    body.insert(body.end(), {0xE4, 0xB8, 0xAD, 0xE6, 0x96, 0x87, 0x20, 0x61});
    expected += "\xD6\xD0\xCE\xC4 a";
  }
  const Decoding decoding = Decode(body, "UTF-8");
  EXPECT_EQ(decoding.outcomes, std::vector<CallOutcome>(9, CallOutcome::Success));
  EXPECT_EQ(decoding.text.size(), expected.size());
  EXPECT_TRUE(decoding.text.bytes() == expected);
}

}  // namespace
}  // namespace kelvaro::platform
