// The wire checker itself: it must refuse every way a head can hold more than one request.
#include "tests/robustness/WireRequest.h"

#include <gtest/gtest.h>

namespace kelvaro::robustness {
namespace {

TEST(WireRequestTest, RefusesHeadsThatAreNotExactlyOneCleanRequest) {
  const struct {
    const char* name;
    std::string head;
  } refused[] = {
      {"no end of head", "GET /x HTTP/1.1\r\nHost: a\r\n"},
      {"a second request after the head",
       "GET /x HTTP/1.1\r\nHost: a\r\n\r\nGET /y HTTP/1.1\r\n\r\n"},
      {"a bare LF in a line", "GET /x HTTP/1.1\r\nHost: a\nX-Evil: 1\r\n\r\n"},
      {"a bare CR in a line", "GET /x HTTP/1.1\r\nHost: a\rX-Evil: 1\r\n\r\n"},
      {"a NUL in a line", std::string("GET /x HTTP/1.1\r\nHost: a\0b\r\n\r\n", 28)},
      {"a space in the target", "GET /x y HTTP/1.1\r\nHost: a\r\n\r\n"},
      {"a byte above 0x7F in the target", "GET /\xE4\xB8\xAD HTTP/1.1\r\nHost: a\r\n\r\n"},
      {"a tab in the target", "GET /x\ty HTTP/1.1\r\nHost: a\r\n\r\n"},
      {"a header line without a colon", "GET /x HTTP/1.1\r\nHost: a\r\nevil\r\n\r\n"},
      {"a header name that is no token", "GET /x HTTP/1.1\r\nHo st: a\r\n\r\n"},
      {"a control byte in a value", "GET /x HTTP/1.1\r\nHost: a\x01\r\n\r\n"},
      {"an unknown version", "GET /x HTTP/2.0\r\nHost: a\r\n\r\n"},
  };
  for (const auto& c : refused) {
    SCOPED_TRACE(c.name);
    std::string why;
    EXPECT_FALSE(ParseRequestHead(c.head, &why).has_value());
    EXPECT_FALSE(why.empty());
  }
}

TEST(WireRequestTest, TakesACleanHeadApart) {
  std::string why;
  const std::optional<WireRequest> request = ParseRequestHead(
      "GET http://h/p?q=%E4%B8%AD HTTP/1.1\r\nHost: h\r\nReferer: http://h/p?q=\xE4\xB8\xAD\r\n"
      "X-Tab: a\tb\r\nHOST: again\r\n\r\n",
      &why);
  ASSERT_TRUE(request.has_value()) << why;
  EXPECT_EQ(request->method, "GET");
  EXPECT_EQ(request->target, "http://h/p?q=%E4%B8%AD");
  EXPECT_EQ(request->Names(), (std::vector<std::string>{"Host", "Referer", "X-Tab", "HOST"}));
  EXPECT_EQ(request->Value("referer"), "http://h/p?q=\xE4\xB8\xAD");
  EXPECT_EQ(request->Value("Host"), std::nullopt) << "two of that name";
}

}  // namespace
}  // namespace kelvaro::robustness
