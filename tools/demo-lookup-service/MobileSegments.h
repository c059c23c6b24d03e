// Mainland China mobile numbers: their format, and the operator that holds each number segment.
#pragma once

#include <optional>
#include <string_view>

namespace kelvaro::demo {

enum class Carrier { kTelecom, kMobile, kUnicom, kBroadnet };

// True when `number` is exactly 11 ASCII digits and begins with "1". Nothing is trimmed.
bool HasMobileNumberFormat(std::string_view number);

// The operator that holds the number's segment: the longest prefix of the number found in the
// segment table (three digits; four or five where a three-digit segment is shared). nullopt when
// the number lacks the mobile format or its segment is allocated to no operator.
std::optional<Carrier> CarrierOfNumber(std::string_view number);

// The carrier code the service answers with: 1 China Telecom, 2 China Mobile, 3 China Unicom,
// 4 China Broadnet (a code the program names no carrier for).
int CarrierCode(Carrier carrier);

}  // namespace kelvaro::demo
