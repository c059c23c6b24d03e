// Fuzzes the charset stream ("adodb.stream", platform/stream/) and DecodeBytes (http/HttpClient.h)
// reading arbitrary bytes under arbitrary charset names.
//
// The process prepares once what start-up prepares: COM on the thread, the stream class
// registered, and one stream object made by its ProgID through the automation layer. Each input
// then runs the decoding sequence on that object, late-bound by member name: Type = 1, Mode = 3,
// Open, Write(bytes), Position = 0, Type = 2, Charset = name, ReadText, Close; and afterwards
// Charset = "Unicode" (the value a new stream has), so that a name the stream refuses leaves no
// trace for the next input.
//
// Input: the last byte picks the charset name: an even byte takes a name from the front of the
// input (ended by "\" and one other byte), an odd one a name from the list below (so that seeds
// reach every converter family); it also gives the characters per read of the piecewise read.
// The rest of the input is the bytes.
//
// Checks: no text that comes back holds a zero byte; the stream's Size after Write is the number
// of bytes written; reading the same bytes again as a Variant gives the same text; for stateless
// charsets, reading in pieces of n characters gives the same characters as one read; and
// DecodeBytes with the same name (a fresh stream of its own) gives the same text as the sequence.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "fuzz/FuzzSupport.h"
#include "http/HttpClient.h"
#include "platform/automation/Automation.h"
#include "platform/stream/StreamClass.h"
#include "text/CodePage.h"
#include "text/Text.h"

namespace {

namespace platform = kelvaro::platform;
using kelvaro::Text;
using kelvaro::fuzz::HoldsNoZeroByte;

struct NamedCharset {
  const char* name;
  bool stateless;  // no shift state: decoding may resume at any character boundary
};

constexpr NamedCharset kCharsets[] = {
    {"UTF-8", true},
    {"utf-8", true},
    {"Unicode", true},
    {"utf-16be", true},
    {"unicodeFFFE", true},
    {"utf-32", true},
    {"utf-32be", true},
    {"gb2312", true},
    {"GBK", true},
    {"gb18030", true},
    {"big5", true},
    {"shift_jis", true},
    {"euc-jp", true},
    {"ks_c_5601-1987", true},
    {"iso-8859-1", true},
    {"windows-1252", true},
    {"koi8-r", true},
    {"us-ascii", true},
    {"iso-2022-jp", false},
    {"utf-7", false},
    {"hz-gb-2312", false},
    {"x-unknown", false},
    {"", false},
    {"UTF-8,version=1", false},
};

constexpr std::int32_t kBinary = 1;
constexpr std::int32_t kTextType = 2;
constexpr std::int32_t kReadWrite = 3;

const platform::ObjectRef& SharedStream() {
  static const platform::ObjectRef stream = [] {
    platform::CoInitialize();
    platform::RegisterCharsetStreamClass();
    platform::ObjectRef made = platform::CreateObjectByProgId(platform::kCharsetStreamProgId);
    KELVARO_FUZZ_CHECK(!made.IsEmpty());
    return made;
  }();
  return stream;
}

// Opens the stream in text mode under `charset` with `bytes` in it, at Position 0.
void OpenWith(const platform::ObjectRef& stream, const platform::Bytes& bytes,
              const Text& charset) {
  platform::PutProperty(stream, "Type", kBinary);
  platform::PutProperty(stream, "Mode", kReadWrite);
  platform::CallMethod(stream, "Open");
  platform::Variant buffer(bytes);
  platform::CallMethod(stream, "Write", {buffer});
  KELVARO_FUZZ_CHECK(platform::GetInt32(stream, "Size") == static_cast<std::int32_t>(bytes.size()));
  platform::PutProperty(stream, "Position", std::int32_t{0});
  platform::PutProperty(stream, "Type", kTextType);
  platform::PutProperty(stream, "Charset", charset);
}

void CloseAndReset(const platform::ObjectRef& stream) {
  platform::CallMethod(stream, "Close");
  platform::PutProperty(stream, "Charset", "Unicode");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const platform::ObjectRef& stream = SharedStream();
  FuzzedDataProvider in(data, size);
  const auto pick = in.ConsumeIntegral<std::uint8_t>();
  Text charset;
  bool stateless = false;
  if ((pick & 1) == 0) {
    charset = kelvaro::fuzz::ConsumeText(in, 40);
  } else {
    const NamedCharset& named = kCharsets[(pick >> 1) % std::size(kCharsets)];
    charset = Text(named.name);
    stateless = named.stateless;
  }
  const std::int32_t piece = 1 + (pick >> 1) % 7;  // characters per read in the piecewise read
  const std::string rest = in.ConsumeRemainingBytesAsString();
  const platform::Bytes bytes(rest.begin(), rest.end());

  // The decoding sequence, as DecodeBytes runs it.
  OpenWith(stream, bytes, charset);
  const Text decoded = platform::CallText(stream, "ReadText");
  KELVARO_FUZZ_CHECK(HoldsNoZeroByte(decoded));
  KELVARO_FUZZ_CHECK(platform::GetBool(stream, "EOS"));

  // The same bytes read again, this time as the Variant the stream returns.
  platform::PutProperty(stream, "Position", std::int32_t{0});
  const platform::Variant whole = platform::CallVariant(stream, "ReadText");
  const std::u16string* wholeText = whole.IfString();
  KELVARO_FUZZ_CHECK(wholeText != nullptr);
  KELVARO_FUZZ_CHECK(kelvaro::FromUtf16(*wholeText) == decoded);

  // Piece by piece: the characters come out the same, and the reads end at the end.
  if (stateless) {
    platform::PutProperty(stream, "Position", std::int32_t{0});
    std::u16string pieces;
    for (std::size_t reads = 0; !platform::GetBool(stream, "EOS"); ++reads) {
      KELVARO_FUZZ_CHECK(reads <= bytes.size());
      const platform::Variant part = platform::CallVariant(stream, "ReadText", {piece});
      KELVARO_FUZZ_CHECK(part.IfString() != nullptr);
      pieces += *part.IfString();
    }
    KELVARO_FUZZ_CHECK(pieces == *wholeText);
  }
  CloseAndReset(stream);

  const Text viaDecodeBytes = kelvaro::DecodeBytes(bytes, charset);
  KELVARO_FUZZ_CHECK(HoldsNoZeroByte(viaDecodeBytes));
  KELVARO_FUZZ_CHECK(viaDecodeBytes == decoded);
  return 0;
}
