#include "tools/demo-lookup-service/HomeRegion.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "tools/demo-lookup-service/tests/Utf8Texts.h"

namespace kelvaro::demo {
namespace {

using namespace utf8;

std::string Join(std::initializer_list<std::string_view> parts) {
  std::string joined;
  for (std::string_view part : parts) joined += part;
  return joined;
}

HomeRegion Region(std::string_view province, std::string_view city) {
  return {std::string(province), std::string(city)};
}

struct SplitCase {
  std::string description;
  HomeRegion expected;
};

TEST(SplitRegionDescriptionTest, GivesTheShortProvinceAndCity) {
  const SplitCase cases[] = {
      // 广东省深圳市
      {Join({kGuangdong, kProvinceMark, kShenzhen, kCityMark}), Region(kGuangdong, kShenzhen)},
      // Municipalities, with and without 市: the name for both.
      {Join({kBeijing, kCityMark}), Region(kBeijing, kBeijing)},
      {Join({kTianjin}), Region(kTianjin, kTianjin)},
      {Join({kChongqing, kCityMark}), Region(kChongqing, kChongqing)},
      // Autonomous regions, by short and by full name.
      {Join({kInnerMongolia, kHohhot, kCityMark}), Region(kInnerMongolia, kHohhot)},
      {Join({kGuangxiFull, kNanning, kCityMark}), Region(kGuangxi, kNanning)},
      {Join({kXinjiangFull, kYili}), Region(kXinjiang, kYili)},
      {Join({kXinjiang, kUrumqi, kCityMark}), Region(kXinjiang, kUrumqi)},
      // Other kinds of city keep their name whole.
      {Join({kHubei, kProvinceMark, kEnshi}), Region(kHubei, kEnshi)},
      {Join({kHubei, kProvinceMark, kShennongjia}), Region(kHubei, kShennongjia)},
      // 沙市 keeps its 市: one character alone would not name it.
      {Join({kHubei, kProvinceMark, kSha, kCityMark}), Region(kHubei, Join({kSha, kCityMark}))},
      // A province alone.
      {Join({kHubei, kProvinceMark}), Region(kHubei, "")},
      {Join({kXinjiang}), Region(kXinjiang, "")},
      // Nothing more precise than the country, or nothing at all.
      {Join({kChina}), HomeRegion{}},
      {"", HomeRegion{}},
      {"Beijing", HomeRegion{}},
  };
  for (const SplitCase& c : cases) {
    SCOPED_TRACE(c.description);
    EXPECT_EQ(SplitRegionDescription(c.description), c.expected);
  }
}

struct FindCase {
  std::string_view number;
  HomeRegion expected;
};

// Numbers whose region the library's Chinese geocoding data gives (checked against the data).
const std::vector<FindCase>& KnownNumbers() {
  static const std::vector<FindCase> cases = {
      {"13800138000", Region(kBeijing, kBeijing)},
      {"18612345678", Region(kBeijing, kBeijing)},
      {"13800211234", Region(kShanghai, kShanghai)},
      {"17726001234", Region(kTianjin, kTianjin)},
      {"13912345678", Region(kJiangsu, kChangzhou)},
      {"13312345678", Region(kGuizhou, kZunyi)},
      {"13802201234", Region(kGuangdong, kShenzhen)},
      {"13987654321", Region(kYunnan, kKunming)},
      {"13804711234", Region(kInnerMongolia, kHohhot)},
      {"13807711234", Region(kGuangxi, kNanning)},
      {"13809911234", Region(kXinjiang, kUrumqi)},
      {"13872701234", Region(kHubei, kEnshi)},
      {"18120371234", Region(kHubei, kShennongjia)},
      // The data places these segments no more precisely than the country.
      {"19912345678", HomeRegion{}},
      {"16612345678", HomeRegion{}},
      // Not mobile numbers.
      {"1380013800", HomeRegion{}},
      {"abc", HomeRegion{}},
      {"", HomeRegion{}},
  };
  return cases;
}

TEST(HomeRegionFinderTest, FindsTheRegionOfKnownNumbers) {
  const HomeRegionFinder finder;
  for (const FindCase& c : KnownNumbers()) {
    SCOPED_TRACE(std::string(c.number));
    EXPECT_EQ(finder.Find(c.number), c.expected);
  }
}

TEST(HomeRegionFinderTest, GivesTheSameAnswersToSeveralThreadsAtOnce) {
  // The server asks one finder from each of its worker threads.
  const HomeRegionFinder finder;
  std::vector<int> wrong(4, 0);
  std::vector<std::thread> threads;
  for (std::size_t t = 0; t < wrong.size(); ++t) {
    threads.emplace_back([&finder, &wrong, t] {
      for (int round = 0; round < 20; ++round) {
        for (const FindCase& c : KnownNumbers()) {
          if (finder.Find(c.number) != c.expected) ++wrong[t];
        }
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(wrong, std::vector<int>(4, 0));
}

}  // namespace
}  // namespace kelvaro::demo
