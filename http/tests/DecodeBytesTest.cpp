// DecodeBytes: the stream calls it makes, in order, and what it gives for real inputs.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "http/HttpClient.h"
#include "http/tests/RecordingRequest.h"
#include "platform/automation/Automation.h"
#include "platform/stream/StreamClass.h"
#include "text/CodePage.h"

namespace kelvaro {
namespace {

using platform::Member;
using platform::MemberKind;
using platform::ValueKind;

// Stands in for the charset stream: records its calls and answers ReadText as scripted.
class RecordingStream final : public platform::AutomationObject {
 public:
  static std::vector<std::string>& Calls() {
    static std::vector<std::string> calls;
    return calls;
  }

  std::span<const Member> Members() const override {
    using K = ValueKind;
    static const std::vector<Member> members = {
        {"Type", MemberKind::PropertyPut, {{K::Int32}}, K::Void},
        {"Mode", MemberKind::PropertyPut, {{K::Int32}}, K::Void},
        {"Position", MemberKind::PropertyPut, {{K::Int32}}, K::Void},
        {"Charset", MemberKind::PropertyPut, {{K::String}}, K::Void},
        {"Open", MemberKind::Method, {{K::Variant, true}, {K::Int32, true}}, K::Void},
        {"Write", MemberKind::Method, {{K::Variant}}, K::Void},
        {"ReadText", MemberKind::Method, {{K::Int32, true}}, K::String},
        {"Close", MemberKind::Method, {}, K::Void},
    };
    return members;
  }

  platform::Variant Invoke(const Member& member, const platform::Arguments& arguments) override {
    std::string call = (member.kind == MemberKind::PropertyPut ? "put " : "") + member.name + "(";
    for (std::size_t i = 0; i < arguments.size(); ++i) {
      if (i > 0) call += ",";
      call += arguments.Given(i) ? testing::Describe(arguments.Value(i)) : "-";
    }
    Calls().push_back(call + ")");
    if (member.name == "ReadText") return platform::Variant(u"decoded");
    if (member.name == "Close") throw platform::AutomationError(3704, u"scripted");
    return {};
  }
};

class DecodeBytesTest : public ::testing::Test {
 protected:
  void SetUp() override { platform::CoInitialize(); }
  void TearDown() override {
    platform::RegisterCharsetStreamClass();
    platform::CoUninitialize();
  }
};

TEST_F(DecodeBytesTest, DrivesAFreshStreamStepByStep) {
  platform::RegisterClass("adodb.stream", [] { return std::make_shared<RecordingStream>(); });
  RecordingStream::Calls().clear();
  EXPECT_EQ(DecodeBytes(Bytes{'a', 'b', 'c'}, Text("gb2312")).bytes(), "decoded");
  const std::vector<std::string> expected = {
      "put Type(i:1)",     "put Mode(i:3)",          "Open(-,-)",
      "Write(bytes[3])",   "put Position(i:0)",      "put Type(i:2)",
      "put Charset(gb2312)", "ReadText(-)",          "Close()",
  };
  EXPECT_EQ(RecordingStream::Calls(), expected);
  EXPECT_EQ(platform::LastCallOutcome(), platform::CallOutcome::Exception)
      << "the outcome left behind is the Close's";

  RecordingStream::Calls().clear();
  DecodeBytes(Bytes{});
  ASSERT_EQ(RecordingStream::Calls().size(), 9u);
  EXPECT_EQ(RecordingStream::Calls()[3], "Write(bytes[0])") << "no bytes: an array of none";
  EXPECT_EQ(RecordingStream::Calls()[6], "put Charset(UTF-8)") << "the charset defaults to UTF-8";

  RecordingStream::Calls().clear();
  DecodeBytes(Bytes{'x'}, Text(""));
  EXPECT_EQ(RecordingStream::Calls()[6], "put Charset()") << "a given empty name is used";
}

Bytes BytesOf(std::string_view s) { return Bytes(s.begin(), s.end()); }

TEST_F(DecodeBytesTest, DecodesWithTheRealStream) {
  platform::RegisterCharsetStreamClass();
  const struct {
    const char* label;
    Bytes bytes;
    std::optional<Text> charset;
    Text expected;
  } cases[] = {
      {"Chinese UTF-8", BytesOf("余额：12.5元"), Text("UTF-8"), FromUtf8("余额：12.5元")},
      {"charset omitted means UTF-8", BytesOf("广东"), std::nullopt, FromUtf8("广东")},
      {"a character the code page lacks becomes ?", BytesOf("a\xE0\xB8\x81z"), std::nullopt,
       "a?z"},
      {"the text ends at a zero byte", Bytes{'a', 'b', 0, 'c'}, std::nullopt, "ab"},
      {"no bytes", Bytes{}, std::nullopt, ""},
      {"a UTF-8 byte-order mark is not part of the text", BytesOf("\xEF\xBB\xBFok"),
       std::nullopt, "ok"},
      {"gb2312 bytes", Bytes{0xD6, 0xD0, 0xCE, 0xC4}, Text("gb2312"), "\xD6\xD0\xCE\xC4"},
      {"UTF-16 little-endian", Bytes{0x2D, 0x4E, 0x87, 0x65}, Text("unicode"),
       "\xD6\xD0\xCE\xC4"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(DecodeBytes(c.bytes, c.charset), c.expected);
  }
}

TEST_F(DecodeBytesTest, AnUnknownCharsetIsNotFatal) {
  platform::RegisterCharsetStreamClass();
  // The charset write fails and the stream keeps its own default; whatever ReadText then gives
  // comes back, and the last outcome is the Close's.
  DecodeBytes(BytesOf("abcd"), Text("no-such-charset"));
  EXPECT_EQ(platform::LastCallOutcome(), platform::CallOutcome::Success);
}

TEST_F(DecodeBytesTest, WithoutTheStreamClassEverythingIsEmpty) {
  platform::UnregisterClass("adodb.stream");
  EXPECT_EQ(DecodeBytes(BytesOf("abc")), Text());
  EXPECT_EQ(platform::LastCallOutcome(), platform::CallOutcome::NoObject);
}

}  // namespace
}  // namespace kelvaro
