#include "tools/demo-lookup-service/LookupAnswers.h"

#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string>

#include "lookup/LookupProtocol.h"
#include "text/CodePage.h"
#include "tools/demo-lookup-service/Balance.h"
#include "tools/demo-lookup-service/tests/Utf8Texts.h"

namespace kelvaro::demo {
namespace {

using namespace utf8;

// The fixture's finder is shared: building one per test would repeat the same work.
class LookupAnswersTest : public ::testing::Test {
 protected:
  static const HomeRegionFinder& Regions() {
    static const HomeRegionFinder finder;
    return finder;
  }
};

TEST(BalanceOfTest, IsTheSameForANumberEveryTimeAndLooksLikeMoney) {
  const std::regex money(R"([0-9]{1,3}\.[0-9]{2})");
  std::set<std::string> seen;
  for (std::string_view number : {"13800138000", "13800138001", "13912345678", "18912345678",
                                  "19212345678", "15012345678", "13312345678", "17712345678"}) {
    SCOPED_TRACE(std::string(number));
    const std::string balance = BalanceOf(number);
    EXPECT_TRUE(std::regex_match(balance, money)) << balance;
    EXPECT_LT(std::stod(balance), 300.0);
    EXPECT_EQ(BalanceOf(number), balance);
    seen.insert(balance);
  }
  // Made up per number, not one figure for all.
  EXPECT_GE(seen.size(), 6U);
  // Pinned: the same number shows the same balance in every build and on every machine.
  EXPECT_EQ(BalanceOf("13800138000"), "246.67");
}

TEST_F(LookupAnswersTest, BaseInfoOfAMobileNumber) {
  const BaseInfoAnswer answer = AnswerBaseInfo("13800138000", Regions());
  EXPECT_EQ(answer.code, "0000");
  EXPECT_EQ(answer.message, kFound);
  EXPECT_EQ(answer.businessId, 2);
  EXPECT_EQ(answer.province, kBeijing);
  EXPECT_EQ(answer.city, kBeijing);
  EXPECT_FALSE(answer.tradeInterfaceNo.empty());
  EXPECT_FALSE(answer.payDiscount.empty());
}

TEST_F(LookupAnswersTest, BaseInfoOfWhatIsNoMobileNumberHasOnlyTheError) {
  struct Case {
    std::string_view number;
    std::string_view code;
    std::string_view message;
  };
  const Case cases[] = {
      {"", "1001", kBadFormat},
      {"1380013800", "1001", kBadFormat},
      {"&", "1001", kBadFormat},
      {"abcdefghijk", "1001", kBadFormat},
      {"23800138000", "1001", kBadFormat},
      {"15412345678", "1002", kUnknownSegment},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.number));
    const BaseInfoAnswer answer = AnswerBaseInfo(c.number, Regions());
    EXPECT_EQ(answer.code, c.code);
    EXPECT_EQ(answer.message, c.message);
    EXPECT_EQ(answer.businessId, 0);
    EXPECT_EQ(answer.tradeInterfaceNo + answer.province + answer.city + answer.payDiscount, "");
  }
}

struct UbInfoCase {
  std::string_view name;
  UbInfoQuery query;
  std::string_view message;
  std::string_view balance;  // "=" for the number's own balance
};

TEST_F(LookupAnswersTest, UbInfoAnswersOrRefusesAsTheQueryDeserves) {
  const std::string beijing(kBeijing);
  const std::string gbkBeijing = "\xB1\xB1\xBE\xA9";  // 北京 in code page 936, not UTF-8
  const UbInfoCase cases[] = {
      {"mobile", {"13800138000", beijing, beijing, "2"}, kFound, "="},
      {"telecom", {"13312345678", std::string(kGuizhou), std::string(kZunyi), "1"}, kFound, "="},
      {"unicom shows no balance", {"18612345678", beijing, beijing, "3"}, kFound, ""},
      {"broadnet", {"19212345678", "", "", "4"}, kFound, "="},
      {"region unknown to the data", {"19912345678", "", "", "1"}, kFound, "="},
      {"bad format", {"1380013800", beijing, beijing, "2"}, kBadFormat, ""},
      {"empty number", {"", "", "", ""}, kBadFormat, ""},
      {"unallocated segment", {"15412345678", "", "", ""}, kUnknownSegment, ""},
      {"province not UTF-8", {"13800138000", gbkBeijing, beijing, "2"}, kBadEncoding, ""},
      {"city not UTF-8", {"13800138000", beijing, gbkBeijing, "2"}, kBadEncoding, ""},
      {"another carrier's code", {"13800138000", beijing, beijing, "1"}, kWrongCarrier, ""},
      {"empty carrier code", {"13800138000", beijing, beijing, ""}, kWrongCarrier, ""},
      {"quoted carrier code", {"13800138000", beijing, beijing, "\"2\""}, kWrongCarrier, ""},
      {"another province", {"13800138000", std::string(kJiangsu), beijing, "2"}, kWrongRegion, ""},
      {"another city", {"13912345678", std::string(kJiangsu), beijing, "2"}, kWrongRegion, ""},
      {"no region", {"13800138000", "", "", "2"}, kWrongRegion, ""},
  };
  for (const UbInfoCase& c : cases) {
    SCOPED_TRACE(std::string(c.name));
    const UbInfoAnswer answer = AnswerUbInfo(c.query, Regions());
    const bool found = c.message == kFound;
    EXPECT_EQ(answer.message, c.message);
    EXPECT_EQ(answer.result, found ? "0" : "1");
    EXPECT_EQ(answer.balance, c.balance == "=" ? BalanceOf(c.query.number) : c.balance);
    EXPECT_EQ(answer.username, found ? "*" : "");
  }
}

TEST_F(LookupAnswersTest, TheBaseInfoAnswersOwnFieldsAreAcceptedByUbInfo) {
  // What the program does: the second request carries the first answer's fields.
  for (std::string_view number :
       {"13800138000", "13912345678", "18612345678", "13804711234", "19212345678", "19912345678"}) {
    SCOPED_TRACE(std::string(number));
    const BaseInfoAnswer base = AnswerBaseInfo(number, Regions());
    const UbInfoAnswer ub = AnswerUbInfo(
        {std::string(number), base.province, base.city, std::to_string(base.businessId)},
        Regions());
    EXPECT_EQ(ub.message, kFound);
  }
}

TEST(AnswerJsonTest, HasTheExactShape) {
  const BaseInfoAnswer base{"0000", "ok", 2, "1002", "P", "C", "0.995"};
  EXPECT_EQ(BaseInfoJson(base),
            R"({"code":"0000","message":"ok","data":{"businessId":2,"tradeInterfaceNo":"1002",)"
            R"("province":"P","city":"C","payDiscount":"0.995"}})");
  const UbInfoAnswer ub{"ok", "0", "36.20", "*"};
  EXPECT_EQ(UbInfoJson(ub),
            R"({"message":"ok","result":"0","data":{"balance":"36.20","username":"*"}})");
}

TEST(AnswerJsonTest, EscapesWhatJsonStringsCannotHoldRaw) {
  EXPECT_EQ(JsonString(""), R"("")");
  EXPECT_EQ(JsonString(R"(a"b\c)"), R"("a\"b\\c")");
  EXPECT_EQ(JsonString(std::string("\x01\n\x1F", 3)), R"("\u0001\u000a\u001f")");
  // Built by appending: GCC 12 at -O3 warns falsely (-Wrestrict) about "literal" + std::string.
  std::string quotedBeijing = "\"";
  quotedBeijing.append(kBeijing).append("\"");
  EXPECT_EQ(JsonString(kBeijing), quotedBeijing);
}

// The five fields as the program cuts them: the answer converted from UTF-8 to code page 936, then
// each field between its two delimiters.
struct ProgramFields {
  Text carrierCode, province, city, message, balance;
};

ProgramFields CutAsTheProgramDoes(const std::string& baseJson, const std::string& ubJson) {
  const Text base = FromUtf8(baseJson);
  const Text ub = FromUtf8(ubJson);
  return {CutField(base, kCarrierCodeField), CutField(base, kProvinceField),
          CutField(base, kCityField), CutField(ub, kMessageField), CutField(ub, kBalanceField)};
}

TEST_F(LookupAnswersTest, TheProgramCutsTheFieldsOutOfTheAnswers) {
  struct Case {
    std::string_view number;
    std::string_view carrierCode;
    std::string_view province;
    std::string_view city;
    std::string_view message;
    bool hasBalance;
  };
  const Case cases[] = {
      {"13800138000", "2", kBeijing, kBeijing, kFound, true},
      {"13804711234", "2", kInnerMongolia, kHohhot, kFound, true},
      {"13312345678", "1", kGuizhou, kZunyi, kFound, true},
      {"18612345678", "3", kBeijing, kBeijing, kFound, false},
      {"19212345678", "4", "", "", kFound, true},
      {"1380013800", "0", "", "", kBadFormat, false},
      {"&", "0", "", "", kBadFormat, false},
      {"15412345678", "0", "", "", kUnknownSegment, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.number));
    const BaseInfoAnswer base = AnswerBaseInfo(c.number, Regions());
    const UbInfoAnswer ub = AnswerUbInfo(
        {std::string(c.number), base.province, base.city, std::to_string(base.businessId)},
        Regions());
    const ProgramFields fields = CutAsTheProgramDoes(BaseInfoJson(base), UbInfoJson(ub));
    EXPECT_EQ(fields.carrierCode, Text(c.carrierCode));
    EXPECT_EQ(fields.province, FromUtf8(c.province));
    EXPECT_EQ(fields.city, FromUtf8(c.city));
    EXPECT_EQ(fields.message, FromUtf8(c.message));
    EXPECT_EQ(fields.balance, c.hasBalance ? Text(BalanceOf(c.number)) : Text());
    EXPECT_FALSE(fields.message.empty());
  }
}

TEST_F(LookupAnswersTest, TheProgramNamesTheCarrierOfTheCodeItCuts) {
  const ProgramFields mobile =
      CutAsTheProgramDoes(BaseInfoJson(AnswerBaseInfo("13800138000", Regions())), UbInfoJson({}));
  EXPECT_EQ(CarrierName(mobile.carrierCode), CarrierName("2"));
  EXPECT_FALSE(CarrierName(mobile.carrierCode).empty());
  const ProgramFields broadnet =
      CutAsTheProgramDoes(BaseInfoJson(AnswerBaseInfo("19212345678", Regions())), UbInfoJson({}));
  EXPECT_TRUE(CarrierName(broadnet.carrierCode).empty());
}

}  // namespace
}  // namespace kelvaro::demo
