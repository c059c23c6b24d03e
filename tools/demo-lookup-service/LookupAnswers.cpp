#include "tools/demo-lookup-service/LookupAnswers.h"

#include <array>

#include "tools/demo-lookup-service/Balance.h"
#include "tools/demo-lookup-service/MobileSegments.h"
#include "tools/demo-lookup-service/RequestTarget.h"

namespace kelvaro::demo {

namespace {

// Messages, UTF-8.
constexpr std::string_view kFound = "\xE6\x9F\xA5\xE8\xAF\xA2\xE6\x88\x90\xE5\x8A\x9F";  // 查询成功
// 号码格式错误，请输入11位手机号码
constexpr std::string_view kBadFormat =
    "\xE5\x8F\xB7\xE7\xA0\x81\xE6\xA0\xBC\xE5\xBC\x8F\xE9\x94\x99\xE8\xAF\xAF\xEF\xBC\x8C\xE8\xAF"
    "\xB7\xE8\xBE\x93\xE5\x85\xA5"
    "11"
    "\xE4\xBD\x8D\xE6\x89\x8B\xE6\x9C\xBA\xE5\x8F\xB7\xE7\xA0\x81";
// 号段不存在，请检查手机号码
constexpr std::string_view kUnknownSegment =
    "\xE5\x8F\xB7\xE6\xAE\xB5\xE4\xB8\x8D\xE5\xAD\x98\xE5\x9C\xA8\xEF\xBC\x8C\xE8\xAF\xB7\xE6\xA3"
    "\x80\xE6\x9F\xA5\xE6\x89\x8B\xE6\x9C\xBA\xE5\x8F\xB7\xE7\xA0\x81";
// 参数编码错误
constexpr std::string_view kBadEncoding =
    "\xE5\x8F\x82\xE6\x95\xB0\xE7\xBC\x96\xE7\xA0\x81\xE9\x94\x99\xE8\xAF\xAF";
// 运营商与号码不符
constexpr std::string_view kWrongCarrier =
    "\xE8\xBF\x90\xE8\x90\xA5\xE5\x95\x86\xE4\xB8\x8E\xE5\x8F\xB7\xE7\xA0\x81\xE4\xB8\x8D\xE7\xAC"
    "\xA6";
// 归属地与号码不符
constexpr std::string_view kWrongRegion =
    "\xE5\xBD\x92\xE5\xB1\x9E\xE5\x9C\xB0\xE4\xB8\x8E\xE5\x8F\xB7\xE7\xA0\x81\xE4\xB8\x8D\xE7\xAC"
    "\xA6";

constexpr std::string_view kMaskedUsername = "*";

struct CarrierTerms {
  std::string_view tradeInterfaceNo;
  std::string_view payDiscount;
  bool showsBalance;
};

// Per carrier, in the order of Carrier: the top-up interface and discount the service reports.
constexpr std::array<CarrierTerms, 4> kCarrierTerms{{
    {"1001", "0.998", true},   // China Telecom
    {"1002", "0.995", true},   // China Mobile
    {"1003", "0.990", false},  // China Unicom: the balance is not shown
    {"1004", "1.000", true},   // China Broadnet
}};

const CarrierTerms& TermsOf(Carrier carrier) {
  return kCarrierTerms[static_cast<std::size_t>(carrier)];
}

UbInfoAnswer Refused(std::string_view message) {
  return {std::string(message), "1", "", ""};
}

}  // namespace

BaseInfoAnswer AnswerBaseInfo(std::string_view number, const HomeRegionFinder& regions) {
  if (!HasMobileNumberFormat(number)) return {"1001", std::string(kBadFormat), 0, "", "", "", ""};
  const std::optional<Carrier> carrier = CarrierOfNumber(number);
  if (!carrier) return {"1002", std::string(kUnknownSegment), 0, "", "", "", ""};
  const CarrierTerms& terms = TermsOf(*carrier);
  HomeRegion region = regions.Find(number);
  return {"0000",
          std::string(kFound),
          CarrierCode(*carrier),
          std::string(terms.tradeInterfaceNo),
          std::move(region.province),
          std::move(region.city),
          std::string(terms.payDiscount)};
}

UbInfoAnswer AnswerUbInfo(const UbInfoQuery& query, const HomeRegionFinder& regions) {
  if (!HasMobileNumberFormat(query.number)) return Refused(kBadFormat);
  const std::optional<Carrier> carrier = CarrierOfNumber(query.number);
  if (!carrier) return Refused(kUnknownSegment);
  if (!IsValidUtf8(query.province) || !IsValidUtf8(query.city)) return Refused(kBadEncoding);
  if (query.carrierCode != std::to_string(CarrierCode(*carrier))) return Refused(kWrongCarrier);
  if (regions.Find(query.number) != HomeRegion{query.province, query.city}) {
    return Refused(kWrongRegion);
  }
  std::string balance = TermsOf(*carrier).showsBalance ? BalanceOf(query.number) : std::string();
  return {std::string(kFound), "0", std::move(balance), std::string(kMaskedUsername)};
}

std::string JsonString(std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string quoted = "\"";
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      quoted += '\\';
      quoted += c;
    } else if (byte < 0x20U) {
      quoted += "\\u00";
      quoted += kHex[byte >> 4U];
      quoted += kHex[byte & 0x0FU];
    } else {
      quoted += c;
    }
  }
  quoted += '"';
  return quoted;
}

std::string BaseInfoJson(const BaseInfoAnswer& answer) {
  return "{\"code\":" + JsonString(answer.code) + ",\"message\":" + JsonString(answer.message) +
         ",\"data\":{\"businessId\":" + std::to_string(answer.businessId) +
         ",\"tradeInterfaceNo\":" + JsonString(answer.tradeInterfaceNo) +
         ",\"province\":" + JsonString(answer.province) + ",\"city\":" + JsonString(answer.city) +
         ",\"payDiscount\":" + JsonString(answer.payDiscount) + "}}";
}

std::string UbInfoJson(const UbInfoAnswer& answer) {
  return "{\"message\":" + JsonString(answer.message) + ",\"result\":" + JsonString(answer.result) +
         ",\"data\":{\"balance\":" + JsonString(answer.balance) +
         ",\"username\":" + JsonString(answer.username) + "}}";
}

}  // namespace kelvaro::demo
