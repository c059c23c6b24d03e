// Fuzzes the cookie texts (http/CookieTexts.h): CollectSetCookiesIn and CookieValueIn over an
// arbitrary header text, MergeCookieTexts over arbitrary old and new cookie texts.
//
// Input: the old cookie text, the new cookie text and a cookie name from the front (each ended
// by "\" and one other byte), the header text from the rest. cookies.dict holds the words worth
// combining.
//
// Checks: nothing crashes and no result holds a zero byte; MergeCookieTexts writes the merged text
// back into the old text and returns the same, writes the trimmed new text with ";" appended back
// into the new text, and its merged text is trimmed and ends with ";" when it is not empty;
// CollectSetCookiesIn gives the empty text when no "Set-Cookie:" occurs (in any letter case), and
// otherwise a trimmed-at-the-start text no longer than the header text; CookieValueIn gives the
// bytes that stand between "Set-Cookie: " (or "Set-Cookie:") with the name and "=", and ";".
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/FuzzSupport.h"
#include "http/CookieTexts.h"
#include "text/Text.h"
#include "text/TextOps.h"

namespace {

using kelvaro::Text;
using kelvaro::fuzz::HoldsNoZeroByte;

std::string AsciiLower(std::string_view bytes) {
  std::string lower(bytes);
  std::transform(lower.begin(), lower.end(), lower.begin(), [](char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  });
  return lower;
}

void CheckMerge(const Text& oldIn, const Text& newIn) {
  Text oldCookies = oldIn;
  Text newCookies = newIn;
  const Text merged = kelvaro::MergeCookieTexts(oldCookies, newCookies);
  KELVARO_FUZZ_CHECK(HoldsNoZeroByte(merged) && HoldsNoZeroByte(oldCookies) &&
                     HoldsNoZeroByte(newCookies));
  KELVARO_FUZZ_CHECK(oldCookies == merged);

  Text expectedNew = kelvaro::TrimBoth(newIn);
  if (!expectedNew.empty() && expectedNew.bytes().back() != ';') expectedNew.Append(";");
  KELVARO_FUZZ_CHECK(newCookies == expectedNew);

  KELVARO_FUZZ_CHECK(merged.empty() || merged.bytes().back() == ';');
  KELVARO_FUZZ_CHECK(kelvaro::TrimStart(merged) == merged);
}

void CheckCollect(const Text& header) {
  const Text collected = kelvaro::CollectSetCookiesIn(header);
  KELVARO_FUZZ_CHECK(HoldsNoZeroByte(collected));
  if (AsciiLower(header.bytes()).find("set-cookie:") == std::string::npos) {
    KELVARO_FUZZ_CHECK(collected.empty());
  }
  KELVARO_FUZZ_CHECK(collected.size() <= header.size());
  KELVARO_FUZZ_CHECK(kelvaro::TrimStart(collected) == collected);
}

void CheckValue(const Text& header, const Text& name) {
  const Text value = kelvaro::CookieValueIn(header, name);
  KELVARO_FUZZ_CHECK(HoldsNoZeroByte(value));
  if (value.empty()) return;
  const std::string tail = std::string(name.bytes()) + "=" + std::string(value.bytes()) + ";";
  const std::string_view bytes = header.bytes();
  KELVARO_FUZZ_CHECK(bytes.find("Set-Cookie: " + tail) != std::string_view::npos ||
                     bytes.find("Set-Cookie:" + tail) != std::string_view::npos);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  const Text oldCookies = kelvaro::fuzz::ConsumeText(in, 512);
  const Text newCookies = kelvaro::fuzz::ConsumeText(in, 512);
  const Text name = kelvaro::fuzz::ConsumeText(in, 32);
  const Text header(in.ConsumeRemainingBytesAsString());

  CheckMerge(oldCookies, newCookies);
  CheckCollect(header);
  CheckValue(header, name);
  return 0;
}
