#include "tools/demo-lookup-service/HomeRegion.h"

#include <phonenumbers/geocoding/phonenumber_offline_geocoder.h>
#include <phonenumbers/phonenumber.pb.h>
#include <unicode/locid.h>

#include <array>
#include <cstdint>

#include "tools/demo-lookup-service/MobileSegments.h"

namespace kelvaro::demo {

namespace {

// All literals are UTF-8.
constexpr std::string_view kProvinceSuffix = "\xE7\x9C\x81";  // 省
constexpr std::string_view kCitySuffix = "\xE5\xB8\x82";      // 市

constexpr std::array<std::string_view, 4> kMunicipalities{
    "\xE5\x8C\x97\xE4\xBA\xAC",  // 北京
    "\xE5\xA4\xA9\xE6\xB4\xA5",  // 天津
    "\xE4\xB8\x8A\xE6\xB5\xB7",  // 上海
    "\xE9\x87\x8D\xE5\xBA\x86",  // 重庆
};

struct AutonomousRegion {
  std::string_view fullName;
  std::string_view shortName;
};

// The geocoding data names them by their short names; the full names are accepted as well.
constexpr std::array<AutonomousRegion, 5> kAutonomousRegions{{
    // 内蒙古自治区, 内蒙古
    {"\xE5\x86\x85\xE8\x92\x99\xE5\x8F\xA4\xE8\x87\xAA\xE6\xB2\xBB\xE5\x8C\xBA",
     "\xE5\x86\x85\xE8\x92\x99\xE5\x8F\xA4"},
    // 广西壮族自治区, 广西
    {"\xE5\xB9\xBF\xE8\xA5\xBF\xE5\xA3\xAE\xE6\x97\x8F\xE8\x87\xAA\xE6\xB2\xBB\xE5\x8C\xBA",
     "\xE5\xB9\xBF\xE8\xA5\xBF"},
    // 西藏自治区, 西藏
    {"\xE8\xA5\xBF\xE8\x97\x8F\xE8\x87\xAA\xE6\xB2\xBB\xE5\x8C\xBA", "\xE8\xA5\xBF\xE8\x97\x8F"},
    // 宁夏回族自治区, 宁夏
    {"\xE5\xAE\x81\xE5\xA4\x8F\xE5\x9B\x9E\xE6\x97\x8F\xE8\x87\xAA\xE6\xB2\xBB\xE5\x8C\xBA",
     "\xE5\xAE\x81\xE5\xA4\x8F"},
    // 新疆维吾尔自治区, 新疆
    {"\xE6\x96\xB0\xE7\x96\x86\xE7\xBB\xB4\xE5\x90\xBE\xE5\xB0\x94\xE8\x87\xAA\xE6\xB2\xBB\xE5\x8C"
     "\xBA",
     "\xE6\x96\xB0\xE7\x96\x86"},
}};

// Number of UTF-8 characters (bytes that do not continue a sequence).
std::size_t CharacterCount(std::string_view text) {
  std::size_t count = 0;
  for (char c : text) {
    if ((static_cast<unsigned char>(c) & 0xC0U) != 0x80U) ++count;
  }
  return count;
}

std::string ShortCityName(std::string_view city) {
  if (city.ends_with(kCitySuffix)) {
    std::string_view stem = city.substr(0, city.size() - kCitySuffix.size());
    if (CharacterCount(stem) >= 2) return std::string(stem);
  }
  return std::string(city);
}

}  // namespace

HomeRegion SplitRegionDescription(std::string_view description) {
  for (std::string_view municipality : kMunicipalities) {
    if (description.starts_with(municipality)) {
      return {std::string(municipality), std::string(municipality)};
    }
  }
  if (std::size_t suffix = description.find(kProvinceSuffix);
      suffix != std::string_view::npos && suffix > 0) {
    return {std::string(description.substr(0, suffix)),
            ShortCityName(description.substr(suffix + kProvinceSuffix.size()))};
  }
  for (const AutonomousRegion& region : kAutonomousRegions) {
    for (std::string_view name : {region.fullName, region.shortName}) {
      if (description.starts_with(name)) {
        return {std::string(region.shortName), ShortCityName(description.substr(name.size()))};
      }
    }
  }
  return {};
}

HomeRegionFinder::HomeRegionFinder()
    : geocoder_(std::make_unique<i18n::phonenumbers::PhoneNumberOfflineGeocoder>()) {}

HomeRegionFinder::~HomeRegionFinder() = default;

HomeRegion HomeRegionFinder::Find(std::string_view number) const {
  if (!HasMobileNumberFormat(number)) return {};
  std::uint64_t national = 0;
  for (char digit : number) national = national * 10 + static_cast<std::uint64_t>(digit - '0');

  i18n::phonenumbers::PhoneNumber phoneNumber;
  phoneNumber.set_country_code(86);
  phoneNumber.set_national_number(national);
  // The segment table, not the library's own validity rules, decides what is a mobile number;
  // the data is asked for the prefix alone. For a prefix it does not know it names the country.
  return SplitRegionDescription(
      geocoder_->GetDescriptionForValidNumber(phoneNumber, icu::Locale("zh")));
}

}  // namespace kelvaro::demo
