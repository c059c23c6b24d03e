#include "tools/demo-lookup-service/MobileSegments.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>

namespace kelvaro::demo {
namespace {

struct SegmentCase {
  std::string_view number;
  std::optional<int> code;  // nullopt: no operator
};

constexpr int kTelecom = 1;
constexpr int kMobile = 2;
constexpr int kUnicom = 3;
constexpr int kBroadnet = 4;

TEST(CarrierOfNumberTest, GivesTheOperatorOfEachSegment) {
  const SegmentCase cases[] = {
      // China Telecom
      {"13312345678", kTelecom},
      {"13490001234", kTelecom},
      {"14912345678", kTelecom},
      {"15312345678", kTelecom},
      {"16212345678", kTelecom},
      {"17001234567", kTelecom},
      {"17021234567", kTelecom},
      {"17312345678", kTelecom},
      {"17400123456", kTelecom},
      {"17405999999", kTelecom},
      {"17712345678", kTelecom},
      {"18012345678", kTelecom},
      {"18112345678", kTelecom},
      {"18912345678", kTelecom},
      {"19012345678", kTelecom},
      {"19112345678", kTelecom},
      {"19312345678", kTelecom},
      {"19912345678", kTelecom},
      // China Mobile
      {"13400000000", kMobile},
      {"13489999999", kMobile},
      {"13512345678", kMobile},
      {"13800138000", kMobile},
      {"13912345678", kMobile},
      {"14712345678", kMobile},
      {"14812345678", kMobile},
      {"15012345678", kMobile},
      {"15212345678", kMobile},
      {"15712345678", kMobile},
      {"15912345678", kMobile},
      {"16512345678", kMobile},
      {"17031234567", kMobile},
      {"17051234567", kMobile},
      {"17061234567", kMobile},
      {"17212345678", kMobile},
      {"17812345678", kMobile},
      {"18212345678", kMobile},
      {"18412345678", kMobile},
      {"18712345678", kMobile},
      {"18812345678", kMobile},
      {"19512345678", kMobile},
      {"19712345678", kMobile},
      {"19812345678", kMobile},
      // China Unicom
      {"13012345678", kUnicom},
      {"13112345678", kUnicom},
      {"13212345678", kUnicom},
      {"14512345678", kUnicom},
      {"14612345678", kUnicom},
      {"15512345678", kUnicom},
      {"15612345678", kUnicom},
      {"16612345678", kUnicom},
      {"16712345678", kUnicom},
      {"17041234567", kUnicom},
      {"17071234567", kUnicom},
      {"17091234567", kUnicom},
      {"17112345678", kUnicom},
      {"17512345678", kUnicom},
      {"17612345678", kUnicom},
      {"18512345678", kUnicom},
      {"18612345678", kUnicom},
      {"19612345678", kUnicom},
      // China Broadnet: a code outside the program's three carriers
      {"19212345678", kBroadnet},
      // Unallocated segments
      {"12012345678", std::nullopt},
      {"14012345678", std::nullopt},
      {"15412345678", std::nullopt},
      {"16012345678", std::nullopt},
      {"16912345678", std::nullopt},
      {"17406123456", std::nullopt},
      {"17491234567", std::nullopt},
      {"17912345678", std::nullopt},
      {"19412345678", std::nullopt},
  };
  for (const SegmentCase& c : cases) {
    SCOPED_TRACE(std::string(c.number));
    EXPECT_TRUE(HasMobileNumberFormat(c.number));
    const std::optional<Carrier> carrier = CarrierOfNumber(c.number);
    ASSERT_EQ(carrier.has_value(), c.code.has_value());
    if (carrier) {
      EXPECT_EQ(CarrierCode(*carrier), *c.code);
    }
  }
}

TEST(CarrierOfNumberTest, EveryNumberOfTheOldestSegmentsHasAnOperator) {
  // 130-139, 150-153, 155-159 and 180-189 are allocated in full: a gap in the table would leave
  // ordinary numbers without a carrier.
  for (int segment : {130, 131, 132, 133, 134, 135, 136, 137, 138, 139, 150, 151, 152, 153, 155,
                      156, 157, 158, 159, 180, 181, 182, 183, 184, 185, 186, 187, 188, 189}) {
    for (int fourth = 0; fourth <= 9; ++fourth) {
      const std::string number = std::to_string(segment) + std::to_string(fourth) + "0001234";
      SCOPED_TRACE(number);
      EXPECT_TRUE(CarrierOfNumber(number).has_value());
    }
  }
}

TEST(HasMobileNumberFormatTest, WantsElevenDigitsBeginningWithOne) {
  const std::string_view wrong[] = {
      "",
      "1380013800",
      "138001380001",
      "1380013800a",
      "&",
      "23800138000",
      " 13800138000",
      "13800138000 ",
      "+8613800138000",
      "138 0013 800",
      "1380013800\n",
      "13800138000&x=1",
      "1380013800.",
      "\xA3\xB1"
      "3800138000",
  };
  for (std::string_view number : wrong) {
    SCOPED_TRACE(std::string(number));
    EXPECT_FALSE(HasMobileNumberFormat(number));
    EXPECT_FALSE(CarrierOfNumber(number).has_value());
  }
}

}  // namespace
}  // namespace kelvaro::demo
