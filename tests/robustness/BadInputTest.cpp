// Whatever a user gets into 编辑框1, by typing or by pasting: a query is still exactly two
// requests on the wire, each one request line with every unsafe byte escaped and only the
// program's own header lines, and the label is written. The number goes into the URLs as it is
// (not trimmed, not checked); the request object escapes control bytes, spaces and bytes above
// 0x7F, and leaves the URL's own syntax ("&", "=", "?", "+", "%", "#") as written.
#include <gtest/gtest.h>

#include <QString>
#include <ostream>
#include <string>

#include "tests/robustness/ProgramFixture.h"
#include "tests/robustness/WireRequest.h"
#include "text/CodePage.h"

namespace kelvaro::robustness {
namespace {

enum class Entry {
  Typed,   // key by key, as a user types
  Pasted,  // the whole text at once, as a paste over the selection puts it
};

struct InputCase {
  const char* name;
  Entry entry;
  QString input;
  std::string numberText;  // what the program reads from the box (UTF-8)
  std::string escaped;     // the number as it appears in both request lines
  bool referer = true;     // false: the URL holds a control byte no header value may carry
  // When the number holds "#", what follows it is a fragment, never sent: the ubInfo request
  // line then ends where the number does.
  bool ubInfoCutAtNumber = false;
};

// Names the case in test listings.
void PrintTo(const InputCase& c, std::ostream* out) {
  *out << c.name;
}

std::string Repeat(std::string_view piece, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += piece;
  return out;
}

QString QRepeat(const char* utf8, int times) {
  return QString::fromUtf8(utf8).repeated(times);
}

std::vector<InputCase> Cases() {
  return {
      {"Nothing", Entry::Typed, "", "", ""},
      {"TenThousandDigits", Entry::Pasted, QRepeat("1234567890", 1000), Repeat("1234567890", 1000),
       Repeat("1234567890", 1000)},
      {"TenThousandChineseCharacters", Entry::Pasted, QRepeat("中", 10000), Repeat("中", 10000),
       Repeat("%E4%B8%AD", 10000)},
      // Return and Tab keys put nothing into a single-line box.
      {"TypedReturnAndTab", Entry::Typed, "138\r\n00\t138000", "13800138000", "13800138000"},
      // A paste keeps CR LF: they go out escaped, and no Referer can carry them.
      {"PastedCrLf", Entry::Pasted, "138\r\n0013\r\n8000", "138\r\n0013\r\n8000",
       "138%0D%0A0013%0D%0A8000", false},
      {"PastedHeaderAndSecondRequest", Entry::Pasted,
       "1\r\nHost: evil.example\r\nX-Evil: 1\r\n\r\nGET /smuggled HTTP/1.1\r\n\r\n",
       "1\r\nHost: evil.example\r\nX-Evil: 1\r\n\r\nGET /smuggled HTTP/1.1\r\n\r\n",
       "1%0D%0AHost:%20evil.example%0D%0AX-Evil:%201%0D%0A%0D%0AGET%20/smuggled%20HTTP/"
       "1.1%0D%0A%0D%0A",
       false},
      {"PastedControlCharacters", Entry::Pasted, QString("1\t2") + QChar(7) + "3" + QChar(0x7F),
       "1\t2\a3\x7F", "1%092%073%7F", false},
      // The program reads the box up to a NUL character.
      {"PastedNul", Entry::Pasted, QString("138") + QChar(0) + "00138000", "138", "138"},
      {"UrlSyntax", Entry::Typed, "&=#%?+", "&=#%?+", "&=", true, true},
      {"PercentEscapesTypedLiterally", Entry::Typed, "%0D%0AX:%201", "%0D%0AX:%201",
       "%0D%0AX:%201"},
      {"LeadingAndTrailingSpaces", Entry::Typed, "  13800138000  ", "  13800138000  ",
       "%20%2013800138000%20%20"},
      {"Chinese", Entry::Typed, QString::fromUtf8("一三八零零"), "一三八零零",
       "%E4%B8%80%E4%B8%89%E5%85%AB%E9%9B%B6%E9%9B%B6"},
      // Characters code page 936 lacks become "?", which the query keeps as it is.
      {"OutsideCodePage936", Entry::Typed, QString::fromUtf8("138กᚠ"), "138??", "138??"},
      {"OutsideCodePage936Pasted", Entry::Pasted, QString::fromUtf8("😀138"), "?138", "?138"},
  };
}

class BadInputTest : public ProgramFixture, public ::testing::WithParamInterface<InputCase> {};

TEST_P(BadInputTest, ExactlyTwoCleanRequestsAndTheLabelWritten) {
  const InputCase& c = GetParam();
  if (c.entry == Entry::Typed) {
    TypeNumber(c.input);
  } else {
    SetNumber(c.input);
  }
  ASSERT_EQ(ToUtf8(NumberText()), c.numberText);

  EXPECT_EQ(ClickQuery(), kGoodLine);
  const std::string base = LookupUrl("/web/phone/baseInfo?type=3&number=") + c.escaped;
  const std::string ub =
      LookupUrl("/web/phone/ubInfo?type=3&number=") + c.escaped +
      (c.ubInfoCutAtNumber ? "" : "&province=%E5%8C%97%E4%BA%AC&city=%E5%8C%97%E4%BA%AC&p_type=2");
  ExpectQueryOnTheWire(service_.Heads(), {base, c.referer}, {ub, c.referer});

  ExpectGoodQueryStillWorks();
}

INSTANTIATE_TEST_SUITE_P(Inputs, BadInputTest, ::testing::ValuesIn(Cases()),
                         [](const ::testing::TestParamInfo<InputCase>& param) {
                           return std::string(param.param.name);
                         });

}  // namespace
}  // namespace kelvaro::robustness
