// What the demo service answers to the baseInfo and ubInfo requests, and the JSON it sends.
// All texts are UTF-8.
//
// The JSON keeps the keys in the order, and without the white space, that the program's field
// delimiters rely on: businessId's bare number directly before ,"tradeInterfaceNo"; province,
// city and payDiscount in that order; in the ubInfo answer message directly before "result" and
// balance directly before "username".
#pragma once

#include <string>
#include <string_view>

#include "tools/demo-lookup-service/HomeRegion.h"

namespace kelvaro::demo {

struct BaseInfoAnswer {
  std::string code;     // "0000" found; "1001" not a mobile number; "1002" unallocated segment
  std::string message;  // "查询成功", or what is wrong with the number
  int businessId = 0;   // the carrier code (MobileSegments.h); 0 when nothing was found
  std::string tradeInterfaceNo;  // the carrier's top-up interface; empty when nothing was found
  std::string province;          // HomeRegion.h; empty when unknown or nothing was found
  std::string city;
  std::string payDiscount;  // the carrier's top-up discount, e.g. "0.995"; empty when not found
};

struct UbInfoAnswer {
  std::string message;   // "查询成功", or why the query was refused
  std::string result;    // "0" answered, "1" refused
  std::string balance;   // Balance.h; empty when refused and for China Unicom numbers
  std::string username;  // the masked account holder, "*"; empty when refused
};

// What the ubInfo request carries besides the number: the baseInfo answer's fields, decoded
// from the query but otherwise as received.
struct UbInfoQuery {
  std::string number;
  std::string province;
  std::string city;
  std::string carrierCode;  // the p_type value
};

// The answer for `number`: a number without the mobile format, or in an unallocated segment, gets
// its error code and message with empty fields (businessId 0).
BaseInfoAnswer AnswerBaseInfo(std::string_view number, const HomeRegionFinder& regions);

// The answer for a balance query, refused (result "1", empty balance and username) with the
// first of these that applies, checked in this order: the number lacks the mobile format; its
// segment is unallocated; province or city is not valid UTF-8; the carrier code is not the
// number's ("4" for China Broadnet); province and city are not the number's home region (both
// empty for a number whose region is unknown). Otherwise "查询成功" with the number's balance,
// which is empty for China Unicom numbers (their balance is not shown).
UbInfoAnswer AnswerUbInfo(const UbInfoQuery& query, const HomeRegionFinder& regions);

// {"code":...,"message":...,"data":{"businessId":N,"tradeInterfaceNo":...,"province":...,
// "city":...,"payDiscount":...}}; strings are JSON-escaped (quote, backslash, control characters).
std::string BaseInfoJson(const BaseInfoAnswer& answer);

// {"message":...,"result":...,"data":{"balance":...,"username":...}}, escaped as above.
std::string UbInfoJson(const UbInfoAnswer& answer);

// A JSON string literal (with its quotes) for UTF-8 `text`: quote and backslash escaped, control
// characters below U+0020 as \u00XX, everything else unchanged.
std::string JsonString(std::string_view text);

}  // namespace kelvaro::demo
