// The baseInfo answer carries province and city values meant to break the ubInfo request: CR LF
// with a header and a second request behind it, spaces, "#", "%", "&", characters code page 936
// lacks. The values go into the ubInfo URL as they are (the query escapes nothing), and the
// request object escapes every byte that may not go raw: on the wire there are still exactly two
// requests, each one request line and the program's own header lines, nothing injected. The label
// shows the values as the answer gave them.
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "tests/robustness/ProcessMemory.h"
#include "tests/robustness/ProgramFixture.h"
#include "tests/robustness/WireRequest.h"

namespace kelvaro::robustness {
namespace {

// "北京" and "海淀" as the request object escapes them (UTF-8, the URL code page).
#define BEIJING "%E5%8C%97%E4%BA%AC"
#define HAIDIAN "%E6%B5%B7%E6%B7%80"

const std::string kBaseTarget = LookupUrl("/web/phone/baseInfo?type=3&number=13800138000");

std::string UbTarget(std::string_view rest) {
  return LookupUrl("/web/phone/ubInfo?type=3&number=13800138000&province=") + std::string(rest);
}

struct FieldCase {
  const char* name;
  std::string province;  // UTF-8, as the service sends it
  std::string city;
  std::string line;  // what 标签3 shows (UTF-8)
  ExpectedRequest ubInfo;
};

// Names the case in test listings.
void PrintTo(const FieldCase& c, std::ostream* out) {
  *out << c.name;
}

std::string Line(std::string_view provinceAndCity) {
  return "查询成功 中国移动；手机号归属地：" + std::string(provinceAndCity) + "！ 余额：12.34";
}

class HostileFieldTest : public ProgramFixture, public ::testing::WithParamInterface<FieldCase> {};

TEST_P(HostileFieldTest, TwoRequestsEveryUnsafeByteEscapedAndTheLabelWritten) {
  const FieldCase& c = GetParam();
  service_.Script(RequestKind::BaseInfo, Send(HttpResponse(BaseInfoJson("2", c.province, c.city))));
  SetNumber("13800138000");
  EXPECT_EQ(ClickQuery(), c.line);
  ExpectQueryOnTheWire(service_.Heads(), {kBaseTarget, true}, c.ubInfo);
  ExpectGoodQueryStillWorks();
}

INSTANTIATE_TEST_SUITE_P(
    Values, HostileFieldTest,
    ::testing::Values(
        // CR LF become %0D%0A: no header, no second request. The Referer header would carry the
        // URL raw, so it is refused and left out.
        FieldCase{"CrLfWithAHeaderAndARequestBehind",
                  "北京\r\nHost: evil.example\r\n\r\nGET http://evil.example/ HTTP/1.1",
                  "海淀\r\nX-Evil: 1",
                  Line("北京\r\nHost: evil.example\r\n\r\nGET http://evil.example/ HTTP/1.1"
                       "海淀\r\nX-Evil: 1"),
                  {UbTarget(BEIJING "%0D%0AHost:%20evil.example%0D%0A%0D%0AGET%20http://"
                                    "evil.example/%20HTTP/1.1&city=" HAIDIAN
                                    "%0D%0AX-Evil:%201&p_type=2"),
                   false}},
        FieldCase{"LoneCrAndLf",
                  "北\r京",
                  "海\n淀",
                  Line("北\r京海\n淀"),
                  {UbTarget("%E5%8C%97%0D%E4%BA%AC&city=%E6%B5%B7%0A%E6%B7%80&p_type=2"), false}},
        FieldCase{
            "Spaces",
            " 北 京 ",
            "海  淀",
            Line(" 北 京 海  淀"),
            {UbTarget("%20%E5%8C%97%20%E4%BA%AC%20&city=%E6%B5%B7%20%20%E6%B7%80&p_type=2"), true}},
        // "#" begins the fragment, which is never sent: the rest of the URL stays home.
        FieldCase{"Hash", "北京#top", "海淀", Line("北京#top海淀"), {UbTarget(BEIJING), true}},
        // "%" is sent as written, a lone one too.
        FieldCase{"Percent",
                  "100%",
                  "%41%zz%",
                  Line("100%%41%zz%"),
                  {UbTarget("100%&city=%41%zz%&p_type=2"), true}},
        // "&" and "=" change the query, as they would in a typed number.
        FieldCase{"Ampersand",
                  "北京&p_type=1",
                  "x=y&z",
                  Line("北京&p_type=1x=y&z"),
                  {UbTarget(BEIJING "&p_type=1&city=x=y&z&p_type=2"), true}},
        // The answer is decoded into code page 936: what it lacks becomes "?".
        FieldCase{"OutsideCodePage936",
                  "😀ก",
                  "ᚠ北",
                  Line("???北"),
                  {UbTarget("??&city=?%E5%8C%97&p_type=2"), true}},
        FieldCase{"AsciiPunctuation",
                  "<b>'x'</b>",
                  "`{|}\\^",
                  Line("<b>'x'</b>`{|}\\^"),
                  {UbTarget("%3Cb%3E'x'%3C/b%3E&city=`{|}\\^&p_type=2"), true}},
        FieldCase{"ControlBytes",
                  "a\tb\x01",
                  "c\x7F",
                  Line("a\tb\x01"
                       "c\x7F"),
                  {UbTarget("a%09b%01&city=c%7F&p_type=2"), false}}),
    [](const ::testing::TestParamInfo<FieldCase>& param) { return std::string(param.param.name); });

// A province of 16 MiB: the label gets the whole line but draws only its start, the ubInfo URL
// is too long for the request object to send (nothing goes out for it, and its answer is empty),
// and memory stays within a fixed multiple of the answer.
class HugeFieldTest : public ProgramFixture {};

TEST_F(HugeFieldTest, SixteenMiBProvinceIsShownInPartAndMemoryStaysBounded) {
  const std::size_t size = 16 * 1024 * 1024;
  service_.Script(RequestKind::BaseInfo,
                  Send(HttpResponse(BaseInfoJson("2", std::string(size, 'p'), "c"))));
  SetNumber("13800138000");
  const std::size_t baseline = ResidentKiB();
  ResetPeakResident();
  const std::string line = ClickQuery();
  const std::size_t peak = PeakResidentKiB() - std::min(PeakResidentKiB(), baseline);
  std::printf("[figure] 16 MiB province: peak +%zu MiB over %zu MiB\n", peak / 1024,
              baseline / 1024);
  // No ubInfo answer, so no message and no balance. (Compared whole, printed only in part.)
  const std::string expected = " 中国移动；手机号归属地：" + std::string(size, 'p') + "c！ 余额：";
  EXPECT_TRUE(line == expected) << "label starts " << line.substr(0, 80) << ", " << line.size()
                                << " bytes";
  EXPECT_LE(label_->text().size(), 4096);
  EXPECT_EQ(service_.Heads(RequestKind::BaseInfo).size(), 1U);
  EXPECT_EQ(service_.Heads(RequestKind::UbInfo).size(), 0U);
  if (!UnderAddressSanitizer()) {
    EXPECT_LE(peak, 24U * size / 1024) << "KiB at the peak";
  }
  ExpectGoodQueryStillWorks();
}

}  // namespace
}  // namespace kelvaro::robustness
