#include "tools/demo-lookup-service/DemoService.h"

#include <gtest/gtest.h>

#include <string>

#include "tools/demo-lookup-service/Balance.h"
#include "tools/demo-lookup-service/tests/Utf8Texts.h"

namespace kelvaro::demo {
namespace {

using namespace utf8;

// Percent-escapes every byte above 127, as the program's request object writes a URL's
// non-ASCII characters (as UTF-8).
std::string EscapeHighBytes(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string escaped;
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80U) {
      escaped += c;
    } else {
      escaped += '%';
      escaped += kHex[byte >> 4U];
      escaped += kHex[byte & 0x0FU];
    }
  }
  return escaped;
}

class DemoServiceTest : public ::testing::Test {
 protected:
  static const DemoService& Service() {
    static const DemoService service;
    return service;
  }
};

TEST_F(DemoServiceTest, AnswersBaseInfoInBothTargetForms) {
  const std::string expected =
      R"({"code":"0000","message":")" + std::string(kFound) +
      R"(","data":{"businessId":2,"tradeInterfaceNo":"1002","province":")" + std::string(kBeijing) +
      R"(","city":")" + std::string(kBeijing) + R"(","payDiscount":"0.995"}})";
  for (std::string_view target :
       {"/web/phone/baseInfo?type=3&number=13800138000",
        "http://lookup.kelvaro.invalid/web/phone/baseInfo?type=3&number=13800138000",
        "http://other.example:8080/web/phone/baseInfo?type=3&number=13800138000"}) {
    SCOPED_TRACE(std::string(target));
    const Reply reply = Service().Answer("GET", target);
    EXPECT_EQ(reply.status, 200);
    EXPECT_EQ(reply.contentType, "application/json;charset=UTF-8");
    EXPECT_EQ(reply.body, expected);
  }
}

TEST_F(DemoServiceTest, ReadsProvinceAndCityAsEscapedUtf8) {
  const std::string province = EscapeHighBytes(kJiangsu);
  const std::string city = EscapeHighBytes(kChangzhou);
  const std::string target =
      "http://lookup.kelvaro.invalid/web/phone/ubInfo?type=3&number=" + std::string("13912345678") +
      "&province=" + province + "&city=" + city + "&p_type=2";
  const Reply reply = Service().Answer("GET", target);
  EXPECT_EQ(reply.status, 200);
  EXPECT_EQ(reply.body, R"({"message":")" + std::string(kFound) +
                            R"(","result":"0","data":{"balance":")" + BalanceOf("13912345678") +
                            R"(","username":"*"}})");

  // The same values unescaped arrive as the same bytes.
  const Reply raw = Service().Answer(
      "GET", "/web/phone/ubInfo?type=3&number=13912345678&province=" + std::string(kJiangsu) +
                 "&city=" + std::string(kChangzhou) + "&p_type=2");
  EXPECT_EQ(raw.body, reply.body);

  // Code page 936 bytes are not UTF-8: the service says so rather than guessing.
  const Reply gbk = Service().Answer(
      "GET",
      "/web/phone/ubInfo?type=3&number=13800138000&province=%B1%B1%BE%A9&city=%B1%B1%BE%A9"
      "&p_type=2");
  EXPECT_NE(gbk.body.find(kBadEncoding), std::string::npos) << gbk.body;
}

TEST_F(DemoServiceTest, MissingParametersCountAsEmpty) {
  const Reply base = Service().Answer("GET", "/web/phone/baseInfo");
  EXPECT_EQ(base.status, 200);
  EXPECT_NE(base.body.find(kBadFormat), std::string::npos) << base.body;
  const Reply ub = Service().Answer("GET", "/web/phone/ubInfo?number=13800138000");
  EXPECT_NE(ub.body.find(kWrongCarrier), std::string::npos) << ub.body;
}

TEST_F(DemoServiceTest, ServesThePrimingPageForAnyPageIdentifier) {
  for (std::string_view target :
       {"/web/5f0c3a9e7b214d68a1e4c2b97d30f816", "/web/00000000000000000000000000000000",
        "http://lookup.kelvaro.invalid/web/0123456789abcdef0123456789abcdef"}) {
    SCOPED_TRACE(std::string(target));
    const Reply reply = Service().Answer("GET", target);
    EXPECT_EQ(reply.status, 200);
    EXPECT_EQ(reply.contentType, "text/html;charset=UTF-8");
    EXPECT_NE(reply.body.find("<html"), std::string::npos);
  }
}

TEST_F(DemoServiceTest, RefusesWhatIsNotALookupRequest) {
  struct Case {
    std::string_view method;
    std::string_view target;
    int status;
  };
  const Case cases[] = {
      {"GET", "/web/5F0C3A9E7B214D68A1E4C2B97D30F816", 404},  // upper-case identifier
      {"GET", "/web/5f0c3a9e7b214d68a1e4c2b97d30f81", 404},   // 31 characters
      {"GET", "/web/5f0c3a9e7b214d68a1e4c2b97d30f8166", 404},
      {"GET", "/web/", 404},
      {"GET", "/", 404},
      {"GET", "/web/phone/baseInfo/", 404},
      {"GET", "/WEB/phone/baseInfo", 404},
      {"GET", "*", 400},
      {"GET", "lookup.kelvaro.invalid:80", 400},
      {"POST", "/web/phone/baseInfo?type=3&number=13800138000", 405},
      {"DELETE", "/web/5f0c3a9e7b214d68a1e4c2b97d30f816", 405},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.method) + " " + std::string(c.target));
    const Reply reply = Service().Answer(c.method, c.target);
    EXPECT_EQ(reply.status, c.status);
    EXPECT_EQ(reply.contentType, "text/plain;charset=UTF-8");
    EXPECT_FALSE(reply.body.empty());
  }
  const Reply post = Service().Answer("POST", "/web/phone/baseInfo");
  ASSERT_EQ(post.headers.size(), 1U);
  EXPECT_EQ(post.headers[0].first, "Allow");
  EXPECT_EQ(post.headers[0].second, "GET, HEAD");
}

TEST_F(DemoServiceTest, AnswersHeadLikeGet) {
  const Reply head = Service().Answer("HEAD", "/web/phone/baseInfo?type=3&number=13800138000");
  const Reply get = Service().Answer("GET", "/web/phone/baseInfo?type=3&number=13800138000");
  EXPECT_EQ(head.status, 200);
  EXPECT_EQ(head.body, get.body);
}

TEST_F(DemoServiceTest, PathsAreComparedDecoded) {
  const Reply reply = Service().Answer("GET", "/web/phone/base%49nfo?type=3&number=13800138000");
  EXPECT_EQ(reply.status, 200);
  EXPECT_NE(reply.body.find(R"("businessId":2,)"), std::string::npos);
}

}  // namespace
}  // namespace kelvaro::demo
