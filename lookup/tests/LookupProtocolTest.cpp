#include "lookup/LookupProtocol.h"

#include <gtest/gtest.h>

#include <string>

#include "lookup/LookupSettings.h"
#include "text/CodePage.h"
#include "text/TextOps.h"

namespace kelvaro {
namespace {

// Test texts are written in UTF-8 here and brought into the code page like every other text.
Text Gbk(std::string_view utf8) { return FromUtf8(utf8); }

std::string Base() { return settings::kLookupBase; }

TEST(LookupSettingsTest, BaseAddressAndPageIdentifierHaveTheirFixedForm) {
  const std::string base = settings::kLookupBase;
  EXPECT_EQ(base.rfind("http://", 0), 0u);
  EXPECT_EQ(base.find('/', 7), std::string::npos) << "no path or trailing slash";
  EXPECT_EQ(base.find(':', 7), std::string::npos) << "no port";
  const std::string page = settings::kPrimingPage;
  ASSERT_EQ(page.size(), 32u);
  EXPECT_EQ(page.find_first_not_of("0123456789abcdef"), std::string::npos);
}

TEST(LookupUrlTest, PrimingUrlIsBaseWebAndPage) {
  EXPECT_EQ(PrimingUrl().bytes(), Base() + "/web/" + settings::kPrimingPage);
}

TEST(LookupUrlTest, BaseInfoUrlInsertsTheNumberUnchanged) {
  const struct {
    std::string number;
    std::string tail;
  } cases[] = {
      {"13800138000", "/web/phone/baseInfo?type=3&number=13800138000"},
      {"", "/web/phone/baseInfo?type=3&number="},
      {"138&type=4=x", "/web/phone/baseInfo?type=3&number=138&type=4=x"},
      {" 138 0013 ", "/web/phone/baseInfo?type=3&number= 138 0013 "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.number);
    EXPECT_EQ(BaseInfoUrl(Text(c.number)).bytes(), Base() + c.tail);
  }
}

TEST(LookupUrlTest, UbInfoUrlPutsKeysInOrderWithValuesUnescaped) {
  const struct {
    const char* label;
    Text number, province, city, code;
    Text tail;
  } cases[] = {
      {"all values", "13800138000", Gbk("广东"), Gbk("深圳"), "2",
       Gbk("/web/phone/ubInfo?type=3&number=13800138000&province=广东&city=深圳&p_type=2")},
      {"empty carrier code", "1", Gbk("广东"), Gbk("深圳"), "",
       Gbk("/web/phone/ubInfo?type=3&number=1&province=广东&city=深圳&p_type=")},
      {"empty city", "1", Gbk("北京"), "", "1",
       Gbk("/web/phone/ubInfo?type=3&number=1&province=北京&city=&p_type=1")},
      {"everything empty", "", "", "", "",
       "/web/phone/ubInfo?type=3&number=&province=&city=&p_type="},
      {"number with & = and spaces", "1 3&a=b", "", "", "",
       "/web/phone/ubInfo?type=3&number=1 3&a=b&province=&city=&p_type="},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(UbInfoUrl(c.number, c.province, c.city, c.code), JoinTexts({Text(Base()), c.tail}));
  }
}

TEST(CarrierNameTest, OnlyTheExactCodesHaveNames) {
  const struct {
    Text code;
    Text name;
  } cases[] = {
      {"1", Gbk(" 中国电信；")}, {"2", Gbk(" 中国移动；")}, {"3", Gbk(" 中国联通；")},
      {"", ""},   {"0", ""},    {"4", ""},    {" 2", ""},   {"2 ", ""},
      {"\"2\"", ""}, {"02", ""}, {"12", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.code.bytes());
    EXPECT_EQ(CarrierName(c.code), c.name);
  }
  for (const char* code : {"1", "2", "3"}) EXPECT_EQ(TextLength(CarrierName(code)), 11);
  EXPECT_EQ(CarrierName("2").bytes(), "\x20\xD6\xD0\xB9\xFA\xD2\xC6\xB6\xAF\xA3\xBB");
}

// A baseInfo answer shaped like the service's, with the keys in the order the delimiters need.
Text BaseInfoAnswer(std::string_view businessId, std::string_view province, std::string_view city) {
  return Gbk(std::string("{\"code\":\"0000\",\"data\":{\"businessId\":") + std::string(businessId) +
             ",\"tradeInterfaceNo\":\"QRY01\",\"province\":\"" + std::string(province) +
             "\",\"city\":\"" + std::string(city) + "\",\"payDiscount\":\"0.98\"}}");
}

Text UbInfoAnswer(std::string_view message, std::string_view balance) {
  return Gbk(std::string("{\"message\":\"") + std::string(message) +
             "\",\"result\":\"0\",\"data\":{\"balance\":\"" + std::string(balance) +
             "\",\"username\":\"*\"}}");
}

TEST(CutFieldTest, CutsEachFieldOfShapedAnswers) {
  const struct {
    const char* label;
    Text answer;
    FieldDelimiters field;
    Text expected;
  } cases[] = {
      {"carrier code", BaseInfoAnswer("2", "广东", "深圳"), kCarrierCodeField, "2"},
      {"province", BaseInfoAnswer("2", "广东", "深圳"), kProvinceField, Gbk("广东")},
      {"city", BaseInfoAnswer("2", "广东", "深圳"), kCityField, Gbk("深圳")},
      {"empty city", BaseInfoAnswer("1", "北京", ""), kCityField, ""},
      {"carrier code with spaces", BaseInfoAnswer(" 2 ", "a", "b"), kCarrierCodeField, " 2 "},
      {"quoted carrier code", BaseInfoAnswer("\"3\"", "a", "b"), kCarrierCodeField, "\"3\""},
      {"message", UbInfoAnswer("查询成功", "12.50"), kMessageField, Gbk("查询成功")},
      {"balance", UbInfoAnswer("ok", "12.50"), kBalanceField, "12.50"},
      {"empty balance", UbInfoAnswer("ok", ""), kBalanceField, ""},
      {"escaped quote stays in the balance", UbInfoAnswer("ok", "1\\\"2"), kBalanceField,
       "1\\\"2"},
      {"value holding its own right delimiter is cut at it",
       UbInfoAnswer("a\",\"result b", "1"), kMessageField, "a"},
      {"missing right delimiter", Gbk("{\"balance\":\"12.50\",\"user\":\"x\"}"), kBalanceField,
       ""},
      {"missing left delimiter", Gbk("<html>502 Bad Gateway</html>"), kProvinceField, ""},
      {"the first occurrence wins, also inside a longer key",
       Gbk("{\"homeprovince\":\"A\",\"city\":\"x\",\"province\":\"B\",\"city\":\"y\"}"),
       kProvinceField, "A"},
      {"empty answer", "", kMessageField, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(CutField(c.answer, c.field), c.expected);
  }
}

TEST(CutFieldTest, EachCutStartsAfresh) {
  // The city comes before the province in this answer: a cut that carried the province's
  // position over would miss it.
  const Text answer = Gbk("{\"city\":\"C\",\"payDiscount\":1,\"province\":\"P\",\"city\":\"D\"}");
  EXPECT_EQ(CutField(answer, kProvinceField), "P");
  EXPECT_EQ(CutField(answer, kCityField), "C");
}

}  // namespace
}  // namespace kelvaro
