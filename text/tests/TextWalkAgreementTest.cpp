// The searching operations skip ahead with memchr and settle character boundaries from the bytes
// before a candidate. These tests hold them against a plain character-by-character walk on many
// generated texts full of lead bytes, second bytes that look like ASCII, and incomplete endings.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "text/TextOps.h"
#include "text/tests/TextTestSupport.h"

namespace kelvaro {
namespace {

using testing::Show;

// ---- The plain walk, one character at a time ------------------------------------------------

bool IsLead(char c) {
  return static_cast<unsigned char>(c) >= 0x80;
}

char FoldByte(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

bool MatchesAt(const std::string& text, std::size_t i, const std::string& sought, bool ignoreCase) {
  if (text.size() - i < sought.size()) return false;
  for (std::size_t k = 0; k < sought.size(); ++k) {
    const char a = text[i + k];
    const char b = sought[k];
    if (ignoreCase ? FoldByte(a) != FoldByte(b) : a != b) return false;
  }
  return true;
}

// The next character start after i, or nullopt when i is an incomplete last character.
std::optional<std::size_t> Step(const std::string& text, std::size_t i) {
  if (!IsLead(text[i])) return i + 1;
  if (i + 1 >= text.size()) return std::nullopt;
  return i + 2;
}

std::int32_t PlainFind(const std::string& text, const std::string& sought,
                       std::optional<std::int32_t> start, bool ignoreCase) {
  std::size_t i = 0;
  if (start && *start > 1) {
    if (static_cast<std::size_t>(*start) > text.size()) return -1;
    i = static_cast<std::size_t>(*start) - 1;
  }
  if (i >= text.size()) return -1;
  if (sought.empty()) return 1;
  while (i < text.size()) {
    if (MatchesAt(text, i, sought, ignoreCase)) return static_cast<std::int32_t>(i + 1);
    const auto next = Step(text, i);
    if (!next) break;
    i = *next;
  }
  return -1;
}

std::int32_t PlainFindReverse(const std::string& text, const std::string& sought,
                              std::optional<std::int32_t> start, bool ignoreCase) {
  std::int64_t range = start ? std::int64_t{*start} - 1 : static_cast<std::int64_t>(text.size());
  range = std::min<std::int64_t>(range, static_cast<std::int64_t>(text.size()));
  if (range <= 0) return -1;
  if (sought.empty()) return 1;
  std::int32_t last = -1;
  std::size_t i = 0;
  while (i < text.size()) {
    if (static_cast<std::int64_t>(i + sought.size()) <= range &&
        MatchesAt(text, i, sought, ignoreCase)) {
      last = static_cast<std::int32_t>(i + 1);
    }
    const auto next = Step(text, i);
    if (!next) break;
    i = *next;
  }
  return last;
}

std::string PlainReplace(const std::string& text, const std::string& sought,
                         const std::optional<std::string>& replacement,
                         std::optional<std::int32_t> start, std::optional<std::int32_t> count,
                         bool caseSensitive) {
  const std::int64_t b = start ? std::max<std::int64_t>(std::int64_t{*start} - 1, 0) : 0;
  if (text.empty() || sought.empty() || b >= static_cast<std::int64_t>(text.size()) ||
      (count && *count == 0)) {
    return text;
  }
  const std::int64_t limit =
      count && *count > 0 ? *count : std::numeric_limits<std::int64_t>::max();
  std::size_t i = static_cast<std::size_t>(b);
  std::string out = text.substr(0, i);
  std::int64_t done = 0;
  while (text.size() - i >= sought.size()) {
    if (MatchesAt(text, i, sought, !caseSensitive)) {
      out += replacement.value_or("");
      i += sought.size();
      if (++done == limit) break;
      continue;
    }
    const auto next = Step(text, i);
    if (!next) {  // an incomplete last character is dropped
      i = text.size();
      break;
    }
    out += text.substr(i, *next - i);
    i = *next;
  }
  return out + text.substr(i);
}

std::vector<std::string> PlainSplit(const std::string& text, const std::string& delimiter,
                                    std::optional<std::int32_t> maxCount) {
  const std::size_t limit = !maxCount ? std::numeric_limits<std::size_t>::max()
                                      : static_cast<std::size_t>(std::max(*maxCount, 0));
  if (text.empty() || limit == 0) return {};
  if (delimiter.empty()) return {text};
  std::vector<std::string> pieces;
  std::size_t pieceStart = 0;
  std::size_t i = 0;
  while (text.size() - i >= delimiter.size()) {
    if (MatchesAt(text, i, delimiter, false)) {
      pieces.push_back(text.substr(pieceStart, i - pieceStart));
      if (pieces.size() == limit) return pieces;
      i += delimiter.size();
      pieceStart = i;
      continue;
    }
    const auto next = Step(text, i);
    if (!next) break;
    i = *next;
  }
  if (pieceStart < text.size()) pieces.push_back(text.substr(pieceStart));
  return pieces;
}

Text AsText(const std::string& bytes) {
  return Text(std::string_view(bytes));
}

// ---- Generated cases ------------------------------------------------------------------------

class Generator {
 public:
  explicit Generator(std::uint32_t seed) : random_(seed) {}

  // Few distinct bytes, so that matches, lead runs and look-alike second bytes are frequent.
  std::string Bytes(std::size_t maxLength) {
    static constexpr char kAlphabet[] = {'a', 'A', 'b', ';', ' ', '\x81', '\xA1', '\xB0', '\xD6'};
    std::string out(Below(maxLength + 1), ' ');
    for (char& c : out) c = kAlphabet[Below(sizeof kAlphabet)];
    return out;
  }

  // Often a piece of the text itself, so that searches succeed.
  std::string Sought(const std::string& text) {
    if (!text.empty() && Below(2) == 0) {
      const std::size_t from = Below(text.size());
      return text.substr(from, 1 + Below(3));
    }
    return Bytes(3);
  }

  std::optional<std::int32_t> Position(std::size_t length) {
    if (Below(4) == 0) return std::nullopt;
    return static_cast<std::int32_t>(Below(length + 5)) - 2;
  }

  std::optional<std::int32_t> Count() {
    if (Below(3) == 0) return std::nullopt;
    return static_cast<std::int32_t>(Below(5)) - 1;
  }

  bool Flag() { return Below(2) == 0; }

  std::size_t Below(std::size_t bound) {
    return std::uniform_int_distribution<std::size_t>(0, bound - 1)(random_);
  }

 private:
  std::mt19937 random_;
};

struct Shape {
  std::size_t maxLength;
  int rounds;
};

void PrintTo(const Shape& shape, std::ostream* out) {
  *out << "texts up to " << shape.maxLength << " bytes, " << shape.rounds << " rounds";
}

class TextWalkAgreementTest : public ::testing::TestWithParam<Shape> {};

TEST_P(TextWalkAgreementTest, SearchesAgreeWithThePlainWalk) {
  Generator gen(12345u + static_cast<std::uint32_t>(GetParam().maxLength));
  for (int round = 0; round < GetParam().rounds; ++round) {
    const std::string text = gen.Bytes(GetParam().maxLength);
    const std::string sought = gen.Sought(text);
    const auto start = gen.Position(text.size());
    const bool ignoreCase = gen.Flag();
    SCOPED_TRACE(::testing::Message() << Show(text) << " sought " << Show(sought) << " start "
                                      << (start ? std::to_string(*start) : "none")
                                      << (ignoreCase ? " ignoring case" : ""));
    ASSERT_EQ(FindText(AsText(text), AsText(sought), start, ignoreCase),
              PlainFind(text, sought, start, ignoreCase));
    ASSERT_EQ(FindTextReverse(AsText(text), AsText(sought), start, ignoreCase),
              PlainFindReverse(text, sought, start, ignoreCase));
  }
}

TEST_P(TextWalkAgreementTest, ReplaceAgreesWithThePlainWalk) {
  Generator gen(777u + static_cast<std::uint32_t>(GetParam().maxLength));
  for (int round = 0; round < GetParam().rounds; ++round) {
    const std::string text = gen.Bytes(GetParam().maxLength);
    const std::string sought = gen.Sought(text);
    const std::optional<std::string> replacement =
        gen.Flag() ? std::optional<std::string>(gen.Bytes(2)) : std::nullopt;
    const auto start = gen.Position(text.size());
    const auto count = gen.Count();
    const bool caseSensitive = gen.Flag();
    SCOPED_TRACE(::testing::Message() << Show(text) << " sought " << Show(sought) << " by "
                                      << (replacement ? Show(*replacement) : "none") << " start "
                                      << (start ? std::to_string(*start) : "none") << " count "
                                      << (count ? std::to_string(*count) : "none")
                                      << (caseSensitive ? "" : " ignoring case"));
    const std::optional<Text> replacementText =
        replacement ? std::optional<Text>(AsText(*replacement)) : std::nullopt;
    ASSERT_EQ(
        ReplaceText(AsText(text), AsText(sought), replacementText, start, count, caseSensitive)
            .bytes(),
        PlainReplace(text, sought, replacement, start, count, caseSensitive));
  }
}

TEST_P(TextWalkAgreementTest, SplitAgreesWithThePlainWalk) {
  Generator gen(4242u + static_cast<std::uint32_t>(GetParam().maxLength));
  for (int round = 0; round < GetParam().rounds; ++round) {
    const std::string text = gen.Bytes(GetParam().maxLength);
    const std::string delimiter = gen.Sought(text);
    const auto maxCount = gen.Count();
    SCOPED_TRACE(::testing::Message() << Show(text) << " delimiter " << Show(delimiter) << " max "
                                      << (maxCount ? std::to_string(*maxCount) : "none"));
    std::vector<std::string> got;
    for (const Text& piece : SplitText(AsText(text), AsText(delimiter), maxCount)) {
      got.emplace_back(piece.bytes());
    }
    ASSERT_EQ(got, PlainSplit(text, delimiter, maxCount));
  }
}

INSTANTIATE_TEST_SUITE_P(ShortAndLongTexts, TextWalkAgreementTest,
                         ::testing::Values(Shape{12, 20000}, Shape{64, 5000}, Shape{4000, 200}),
                         [](const auto& shape) {
                           return "UpTo" + std::to_string(shape.param.maxLength) + "Bytes";
                         });

}  // namespace
}  // namespace kelvaro
