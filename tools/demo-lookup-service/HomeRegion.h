// The home region (province and city) of a mobile number, from the phone number library's
// offline geocoding data in Chinese. All texts are UTF-8.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace i18n::phonenumbers {
class PhoneNumberOfflineGeocoder;
}

namespace kelvaro::demo {

// Province and city in the service's short style: "广东" and "深圳" (no 省 or 市 suffix). For a
// municipality both are its name ("北京", "北京"); for an autonomous region the province is its
// short name ("新疆", "内蒙古"). Both empty when the region is unknown.
struct HomeRegion {
  std::string province;
  std::string city;

  friend bool operator==(const HomeRegion&, const HomeRegion&) = default;
};

// Splits a geocoder description such as "广东省深圳市", "内蒙古呼和浩特市", "广西壮族自治区南宁市",
// "北京市" or "天津" into the short style above:
//  - a description that begins with a municipality's name gives that name for both;
//  - otherwise the province is the text before the first 省, or an autonomous region named by its
//    full or short name at the start; the city is the rest, without a trailing 市 (kept when
//    only one character would remain), and other kinds (自治州, 地区, 盟, 林区) unchanged;
//  - a province with nothing after it gives an empty city;
//  - anything else (the country name alone, an empty text) gives an empty region.
HomeRegion SplitRegionDescription(std::string_view description);

// Looks home regions up in the geocoding data compiled into the library. Safe to use from several
// threads at once.
class HomeRegionFinder {
 public:
  HomeRegionFinder();
  ~HomeRegionFinder();
  HomeRegionFinder(const HomeRegionFinder&) = delete;
  HomeRegionFinder& operator=(const HomeRegionFinder&) = delete;

  // The region of a number with the mobile format (11 digits beginning with 1; see
  // MobileSegments.h); empty for any other text, and for a number whose prefix the data does not
  // place more precisely than the country.
  HomeRegion Find(std::string_view number) const;

 private:
  std::unique_ptr<i18n::phonenumbers::PhoneNumberOfflineGeocoder> geocoder_;
};

}  // namespace kelvaro::demo
