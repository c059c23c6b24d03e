// Request heads as they crossed the wire, taken apart strictly, so that a test can tell that one
// head is exactly one request: one request line, header lines of the form "Name: value", and
// nothing smuggled into either.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kelvaro::robustness {

struct WireRequest {
  std::string method;
  std::string target;   // the request-target as sent (absolute form through a proxy)
  std::string version;  // "HTTP/1.1"
  std::vector<std::pair<std::string, std::string>> headers;  // name and value, in order

  // Header names in order.
  std::vector<std::string> Names() const;
  // The value of the only header of that name (letter case ignored); std::nullopt when there is
  // none or more than one.
  std::optional<std::string> Value(std::string_view name) const;
};

// Takes one request head apart. Fails with the reason unless all of this holds: the head ends
// with CR LF CR LF and has no other empty line; every line ends with CR LF, and no line holds
// another CR, LF or a NUL; the request line is method, target and version separated by single
// spaces, with a target of visible ASCII only (IsVisibleAscii); every header line is a token
// name, a colon and a value without control bytes (tab excepted).
std::optional<WireRequest> ParseRequestHead(std::string_view head, std::string* why);

// Every byte is 0x21 to 0x7E: no control byte, no space, nothing above 0x7F.
bool IsVisibleAscii(std::string_view bytes);

// For EXPECT_TRUE: `head` parses, and its target is `target` exactly.
::testing::AssertionResult IsRequestFor(std::string_view head, std::string_view target);

// The lookup service's built-in base address followed by `pathAndQuery`.
std::string LookupUrl(std::string_view pathAndQuery);

// One request of a query as it must cross the wire.
struct ExpectedRequest {
  std::string target;  // the request-target, absolute form
  bool referer;        // whether the Referer header goes out (not when the URL holds a control
                       // byte, which no header value may carry)
};

// For the heads one query sent: exactly two, the baseInfo request and then the ubInfo request;
// each parses strictly (ParseRequestHead), has its target, and carries exactly the headers the
// program sends, in their order: Host, Proxy-Connection, Accept, Accept-Language, Referer (when
// expected), User-Agent, and nothing else.
void ExpectQueryOnTheWire(const std::vector<std::string>& heads, const ExpectedRequest& baseInfo,
                          const ExpectedRequest& ubInfo);

}  // namespace kelvaro::robustness
