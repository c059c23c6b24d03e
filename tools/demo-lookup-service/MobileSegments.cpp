#include "tools/demo-lookup-service/MobileSegments.h"

#include <algorithm>
#include <array>

namespace kelvaro::demo {

namespace {

struct Segment {
  std::string_view prefix;
  Carrier carrier;
};

using enum Carrier;

// Mobile number segments as allocated in mainland China (11-digit numbers only; the 13-digit
// machine-to-machine segments 140, 141, 144 and others never match the mobile format).
// Sources: the operators' published segment lists and the regulator's allocations up to the
// 5G segments of 2019 (190/196/197/192). Virtual operators' segments (162, 165, 167, 170, 171)
// count for the operator whose network carries them. A longer prefix overrides its
// three-digit segment. Segments not listed (154, 160, 161, 163, 164, 168, 169, 179, 194, the
// rest of 174, ...) are not allocated.
// clang-format off
constexpr std::array kSegments = std::to_array<Segment>({
    // China Unicom; 145 data cards, 146 data, 167 and 171 virtual operators
    {"130", kUnicom}, {"131", kUnicom}, {"132", kUnicom}, {"145", kUnicom}, {"146", kUnicom},
    {"155", kUnicom}, {"156", kUnicom}, {"166", kUnicom}, {"167", kUnicom}, {"171", kUnicom},
    {"175", kUnicom}, {"176", kUnicom}, {"185", kUnicom}, {"186", kUnicom}, {"196", kUnicom},
    {"1704", kUnicom}, {"1707", kUnicom}, {"1708", kUnicom}, {"1709", kUnicom},
    // China Mobile; 134 is 1340-1348 (1349 below), 147 data cards, 148 data, 165 virtual
    {"134", kMobile}, {"135", kMobile}, {"136", kMobile}, {"137", kMobile}, {"138", kMobile},
    {"139", kMobile}, {"147", kMobile}, {"148", kMobile}, {"150", kMobile}, {"151", kMobile},
    {"152", kMobile}, {"157", kMobile}, {"158", kMobile}, {"159", kMobile}, {"165", kMobile},
    {"172", kMobile}, {"178", kMobile}, {"182", kMobile}, {"183", kMobile}, {"184", kMobile},
    {"187", kMobile}, {"188", kMobile}, {"195", kMobile}, {"197", kMobile}, {"198", kMobile},
    {"1703", kMobile}, {"1705", kMobile}, {"1706", kMobile},
    // China Telecom; 1349 and 17400-17405 satellite telephony, 149 data cards, 162 virtual
    {"133", kTelecom}, {"1349", kTelecom}, {"149", kTelecom}, {"153", kTelecom},
    {"162", kTelecom}, {"173", kTelecom}, {"177", kTelecom}, {"180", kTelecom},
    {"181", kTelecom}, {"189", kTelecom}, {"190", kTelecom}, {"191", kTelecom},
    {"193", kTelecom}, {"199", kTelecom},
    {"1700", kTelecom}, {"1701", kTelecom}, {"1702", kTelecom},
    {"17400", kTelecom}, {"17401", kTelecom}, {"17402", kTelecom}, {"17403", kTelecom},
    {"17404", kTelecom}, {"17405", kTelecom},
    // China Broadnet
    {"192", kBroadnet},
});
// clang-format on

}  // namespace

bool HasMobileNumberFormat(std::string_view number) {
  return number.size() == 11 && number.front() == '1' &&
         std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::optional<Carrier> CarrierOfNumber(std::string_view number) {
  if (!HasMobileNumberFormat(number)) return std::nullopt;
  std::optional<Carrier> found;
  std::size_t foundLength = 0;
  for (const Segment& segment : kSegments) {
    if (number.starts_with(segment.prefix) && segment.prefix.size() > foundLength) {
      found = segment.carrier;
      foundLength = segment.prefix.size();
    }
  }
  return found;
}

int CarrierCode(Carrier carrier) {
  switch (carrier) {
    case kTelecom:
      return 1;
    case kMobile:
      return 2;
    case kUnicom:
      return 3;
    case kBroadnet:
      return 4;
  }
  return 4;
}

}  // namespace kelvaro::demo
