#include "http/CookieTexts.h"

#include <array>
#include <string_view>

#include "text/TextBetween.h"
#include "text/TextOps.h"

namespace kelvaro {

namespace {

constexpr std::string_view kSetCookie = "Set-Cookie:";

bool EndsWithDeletion(const Text& piece) {
  static const std::array<Text, 3> kDeletions{"=deleted;", "=DELETED;", "=Deleted;"};
  const Text tail = TextRight(piece, 9);
  for (const Text& deletion : kDeletions) {
    if (TextEquals(tail, deletion)) return true;
  }
  return false;
}

Text WithTrailingSemicolon(const Text& text) {
  if (text.empty() || text.bytes().back() == ';') return text;
  return JoinTexts({text, ";"});
}

}  // namespace

Text CookieValueIn(const Text& headerText, const Text& name) {
  if (headerText.empty()) return {};
  Text value = TextBetween(headerText, JoinTexts({"Set-Cookie: ", name, "="}), ";");
  if (value.empty()) value = TextBetween(headerText, JoinTexts({"Set-Cookie:", name, "="}), ";");
  return value;
}

Text CollectSetCookiesIn(const Text& headerText) {
  const Text setCookie(kSetCookie);
  const auto markerLength = static_cast<std::int32_t>(kSetCookie.size());
  Text result;
  std::int32_t a = FindText(headerText, setCookie, std::nullopt, true);
  std::int32_t b = 0;
  while (a != kNotFound && b != kNotFound) {
    a += markerLength;
    b = FindText(headerText, ";", a);
    if (b == kNotFound) break;
    const Text piece = TrimStart(TextMid(headerText, a, b - a + 1));
    if (!EndsWithDeletion(piece)) result.Append(piece).Append(" ");
    a = FindText(headerText, setCookie, b + 1, true);
  }
  if (!result.empty()) result = TextLeft(result, TextLength(result) - 2);
  return result;
}

Text MergeCookieTexts(Text& oldCookies, Text& newCookies) {
  Text merged = WithTrailingSemicolon(TrimBoth(oldCookies));
  newCookies = WithTrailingSemicolon(TrimBoth(newCookies));

  for (const Text& item : SplitText(newCookies, Text(";"))) {
    const std::int32_t equals = FindText(item, "=");
    if (equals == kNotFound) continue;
    const Text name = TextLeft(item, equals - 1);
    if (FindText(merged, name, std::nullopt, true) == kNotFound) {
      merged = JoinTexts({merged, item, ";"});
      continue;
    }
    const Text oldValue = TextBetween(merged, name, ";", false, false, true);
    merged = ReplaceText(merged, JoinTexts({name, oldValue}), item, std::nullopt, std::nullopt,
                         false);
  }

  Text rebuilt;
  for (const Text& entry : SplitText(merged, Text(";"))) {
    if (TextEquals(TextRight(entry, 1), "=") || TextEquals(TextRight(entry, 8), "=deleted")) {
      continue;
    }
    rebuilt.Append(TrimBoth(entry)).Append("; ");
  }
  oldCookies = TrimBoth(rebuilt);
  return oldCookies;
}

}  // namespace kelvaro
