#include "tools/demo-lookup-service/RequestHeadTap.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kelvaro::demo {
namespace {

using Lines = std::vector<std::string>;

class RequestHeadTapTest : public ::testing::Test {
 protected:
  RequestHeadTap tap_{[this](const Lines& lines) { heads_.push_back(lines); }};
  std::vector<Lines> heads_;
};

TEST_F(RequestHeadTapTest, HandsOverTheHeadExactlyAsReceived) {
  tap_.Feed(
      "GET http://lookup.kelvaro.invalid/web/phone/baseInfo?type=3&number=138 HTTP/1.1\r\n"
      "Host: lookup.kelvaro.invalid\r\n"
      "accept:  */* \r\n"
      "Referer: http://lookup.kelvaro.invalid/web/phone/baseInfo?type=3&number=138\r\n"
      "\r\n");
  ASSERT_EQ(heads_.size(), 1U);
  EXPECT_EQ(
      heads_[0],
      (Lines{"GET http://lookup.kelvaro.invalid/web/phone/baseInfo?type=3&number=138 HTTP/1.1",
             "Host: lookup.kelvaro.invalid", "accept:  */* ",
             "Referer: http://lookup.kelvaro.invalid/web/phone/baseInfo?type=3&number=138"}));
}

TEST_F(RequestHeadTapTest, WaitsForTheEmptyLineWhateverTheBytesArriveIn) {
  const std::string request = "GET /a  HTTP/1.1\r\nHost: x\r\nX-Two: 2\r\n\r\n";
  for (std::size_t i = 0; i < request.size(); ++i) {
    EXPECT_TRUE(heads_.empty()) << "handed over early, before byte " << i;
    tap_.Feed(request.substr(i, 1));
  }
  ASSERT_EQ(heads_.size(), 1U);
  EXPECT_EQ(heads_[0], (Lines{"GET /a  HTTP/1.1", "Host: x", "X-Two: 2"}));
}

TEST_F(RequestHeadTapTest, SeparatesRequestsOnOneConnection) {
  tap_.Feed("GET /1 HTTP/1.1\r\nHost: x\r\n\r\nGET /2 HTTP/1.1\r\n");
  tap_.Feed("Host: y\r\n\r\n\r\nGET /3 HTTP/1.0\n\n");
  ASSERT_EQ(heads_.size(), 3U);
  EXPECT_EQ(heads_[0], (Lines{"GET /1 HTTP/1.1", "Host: x"}));
  EXPECT_EQ(heads_[1], (Lines{"GET /2 HTTP/1.1", "Host: y"}));
  EXPECT_EQ(heads_[2], (Lines{"GET /3 HTTP/1.0"}));  // bare line feeds
}

TEST_F(RequestHeadTapTest, SkipsABodyByItsContentLength) {
  // The body holds what looks like a head; it must not be logged as one.
  const std::string body = "GET /fake HTTP/1.1\r\n\r\n";
  tap_.Feed("POST /p HTTP/1.1\r\ncontent-length: " + std::to_string(body.size()) + "\r\n\r\n");
  tap_.Feed(body.substr(0, 5));
  tap_.Feed(body.substr(5) + "GET /next HTTP/1.1\r\n\r\n");
  ASSERT_EQ(heads_.size(), 2U);
  EXPECT_EQ(heads_[0][0], "POST /p HTTP/1.1");
  EXPECT_EQ(heads_[1], (Lines{"GET /next HTTP/1.1"}));
}

TEST_F(RequestHeadTapTest, StopsWhereItCannotTellWhereTheBodyEnds) {
  for (std::string_view header :
       {"Transfer-Encoding: chunked", "Content-Length: 12abc", "Content-Length: -1"}) {
    SCOPED_TRACE(std::string(header));
    heads_.clear();
    RequestHeadTap tap([this](const Lines& lines) { heads_.push_back(lines); });
    tap.Feed("POST /p HTTP/1.1\r\n" + std::string(header) + "\r\n\r\n5\r\nGET /x HTTP/1.1\r\n\r\n");
    tap.Finish();
    ASSERT_EQ(heads_.size(), 1U);
    EXPECT_EQ(heads_[0][1], header);
  }
}

TEST_F(RequestHeadTapTest, FinishHandsOverAnUnfinishedHead) {
  tap_.Feed("GET /cut HTTP/1.1\r\nHost: x\r\n");
  EXPECT_TRUE(heads_.empty());
  tap_.Finish();
  ASSERT_EQ(heads_.size(), 1U);
  EXPECT_EQ(heads_[0], (Lines{"GET /cut HTTP/1.1", "Host: x"}));
  tap_.Finish();
  tap_.Feed("GET /after HTTP/1.1\r\n\r\n");
  EXPECT_EQ(heads_.size(), 1U);
}

TEST_F(RequestHeadTapTest, FinishWithNothingPendingHandsOverNothing) {
  tap_.Feed("GET / HTTP/1.1\r\n\r\n\r\n");
  tap_.Finish();
  EXPECT_EQ(heads_.size(), 1U);
}

TEST_F(RequestHeadTapTest, AnOverlongHeadIsHandedOverOnceAndEndsTheTapping) {
  const std::string line = "X-Long: " + std::string(RequestHeadTap::kMaxHeadBytes, 'a');
  tap_.Feed("GET / HTTP/1.1\r\n" + line + "\r\n\r\nGET /next HTTP/1.1\r\n\r\n");
  tap_.Finish();
  ASSERT_EQ(heads_.size(), 1U);
  EXPECT_EQ(heads_[0][0], "GET / HTTP/1.1");
}

}  // namespace
}  // namespace kelvaro::demo
