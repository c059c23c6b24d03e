// The lookup service's protocol: its three request URLs, the delimiters that cut the answer
// fields out of its JSON answers, and the carrier codes.
//
// URLs are plain concatenations: values go in exactly as given, with no escaping, trimming or
// checking (the HTTP request object escapes what must not go on the wire raw).
#pragma once

#include <string_view>

#include "text/Text.h"

namespace kelvaro {

// Base address, "/web/", then the fixed page identifier.
Text PrimingUrl();

// Base address, "/web/phone/baseInfo?type=3&number=", then `number`.
Text BaseInfoUrl(const Text& number);

// Base address, "/web/phone/ubInfo?type=3&number=", number, "&province=", province,
// "&city=", city, "&p_type=", carrierCode.
Text UbInfoUrl(const Text& number, const Text& province, const Text& city,
               const Text& carrierCode);

// " 中国电信；", " 中国移动；" or " 中国联通；" (11 bytes each) for the codes "1", "2" and "3";
// the empty text for any other code, the empty code included. The code must match exactly.
Text CarrierName(const Text& carrierCode);

// A field of an answer: the bytes between the first `left` and the first `right` after it.
struct FieldDelimiters {
  std::string_view left;
  std::string_view right;
};

// baseInfo answer.
inline constexpr FieldDelimiters kCarrierCodeField{"businessId\":", ",\"tradeInterfaceNo"};
inline constexpr FieldDelimiters kProvinceField{"province\":\"", "\",\"city"};
inline constexpr FieldDelimiters kCityField{"\"city\":\"", "\",\"payDiscount"};
// ubInfo answer.
inline constexpr FieldDelimiters kMessageField{"\"message\":\"", "\",\"result"};
inline constexpr FieldDelimiters kBalanceField{"balance\":\"", "\",\"username"};

// TextBetween(answer, left, right) with every option at its default, fresh positions each call;
// the empty text when either delimiter is missing.
Text CutField(const Text& answer, const FieldDelimiters& field);

}  // namespace kelvaro
