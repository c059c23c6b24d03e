#include "tests/robustness/WireRequest.h"

#include <algorithm>

#include "lookup/LookupSettings.h"

namespace kelvaro::robustness {

namespace {

char Lower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [](char x, char y) { return Lower(x) == Lower(y); });
}

bool IsTokenChar(char c) {
  if ((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) return true;
  return std::string_view("!#$%&'*+-.^_`|~").find(c) != std::string_view::npos;
}

bool IsControl(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte < 0x20 || byte == 0x7F;
}

std::optional<WireRequest> Fail(std::string* why, std::string reason) {
  if (why != nullptr) *why = std::move(reason);
  return std::nullopt;
}

}  // namespace

std::string LookupUrl(std::string_view pathAndQuery) {
  return settings::kLookupBase + std::string(pathAndQuery);
}

std::vector<std::string> WireRequest::Names() const {
  std::vector<std::string> names;
  for (const auto& header : headers) names.push_back(header.first);
  return names;
}

std::optional<std::string> WireRequest::Value(std::string_view name) const {
  std::optional<std::string> found;
  for (const auto& [headerName, value] : headers) {
    if (!EqualsIgnoringCase(headerName, name)) continue;
    if (found) return std::nullopt;
    found = value;
  }
  return found;
}

bool IsVisibleAscii(std::string_view bytes) {
  return std::all_of(bytes.begin(), bytes.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 0x21 && byte <= 0x7E;
  });
}

std::optional<WireRequest> ParseRequestHead(std::string_view head, std::string* why) {
  if (head.size() < 4 || head.substr(head.size() - 4) != "\r\n\r\n")
    return Fail(why, "the head does not end with CR LF CR LF");
  // Lines without their CR LF; the last, empty line is the end of the head.
  std::vector<std::string_view> lines;
  std::string_view rest = head.substr(0, head.size() - 2);
  while (!rest.empty()) {
    const std::size_t end = rest.find("\r\n");
    lines.push_back(rest.substr(0, end));
    rest.remove_prefix(end + 2);
  }
  if (lines.empty()) return Fail(why, "no request line");
  for (const std::string_view line : lines) {
    if (line.empty()) return Fail(why, "an empty line inside the head");
    if (line.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos)
      return Fail(why, "a CR, LF or NUL inside the line: " + std::string(line));
  }

  WireRequest request;
  const std::string_view requestLine = lines.front();
  const std::size_t first = requestLine.find(' ');
  const std::size_t second =
      first == std::string_view::npos ? first : requestLine.find(' ', first + 1);
  if (second == std::string_view::npos ||
      requestLine.find(' ', second + 1) != std::string_view::npos)
    return Fail(why, "the request line is not three parts: " + std::string(requestLine));
  request.method = requestLine.substr(0, first);
  request.target = requestLine.substr(first + 1, second - first - 1);
  request.version = requestLine.substr(second + 1);
  if (request.method.empty() ||
      !std::all_of(request.method.begin(), request.method.end(), IsTokenChar))
    return Fail(why, "the method is no token: " + request.method);
  if (request.target.empty() || !IsVisibleAscii(request.target))
    return Fail(why, "the target holds a byte that may not go raw: " + request.target);
  if (request.version != "HTTP/1.1" && request.version != "HTTP/1.0")
    return Fail(why, "unknown version: " + request.version);

  for (std::size_t i = 1; i < lines.size(); ++i) {
    const std::string_view line = lines[i];
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos || colon == 0)
      return Fail(why, "a header line without a name and colon: " + std::string(line));
    const std::string_view name = line.substr(0, colon);
    if (!std::all_of(name.begin(), name.end(), IsTokenChar))
      return Fail(why, "a header name that is no token: " + std::string(name));
    std::string_view value = line.substr(colon + 1);
    if (std::any_of(value.begin(), value.end(), [](char c) { return IsControl(c) && c != '\t'; }))
      return Fail(why, "a control byte in the value of " + std::string(name));
    while (!value.empty() && (value.front() == ' ' || value.front() == '\t'))
      value.remove_prefix(1);
    request.headers.emplace_back(std::string(name), std::string(value));
  }
  return request;
}

::testing::AssertionResult IsRequestFor(std::string_view head, std::string_view target) {
  std::string why;
  const std::optional<WireRequest> request = ParseRequestHead(head, &why);
  if (!request) return ::testing::AssertionFailure() << why << "\nhead:\n" << head;
  if (request->target != target) {
    return ::testing::AssertionFailure()
           << "target  " << request->target << "\nexpected " << target;
  }
  return ::testing::AssertionSuccess();
}

void ExpectQueryOnTheWire(const std::vector<std::string>& heads, const ExpectedRequest& baseInfo,
                          const ExpectedRequest& ubInfo) {
  ASSERT_EQ(heads.size(), 2U) << "one query, two requests";
  const ExpectedRequest* expected[] = {&baseInfo, &ubInfo};
  for (std::size_t i = 0; i < 2; ++i) {
    SCOPED_TRACE(i == 0 ? "baseInfo request" : "ubInfo request");
    std::string why;
    const std::optional<WireRequest> request = ParseRequestHead(heads[i], &why);
    ASSERT_TRUE(request.has_value()) << why << "\nhead:\n" << heads[i];
    EXPECT_EQ(request->method, "GET");
    EXPECT_EQ(request->target, expected[i]->target);
    std::vector<std::string> names = {"Host", "Proxy-Connection", "Accept", "Accept-Language"};
    if (expected[i]->referer) names.push_back("Referer");
    names.push_back("User-Agent");
    EXPECT_EQ(request->Names(), names) << "head:\n" << heads[i];
    const std::string_view base = settings::kLookupBase;
    EXPECT_EQ(request->Value("Host"), std::string(base.substr(base.find("//") + 2)));
  }
}

}  // namespace kelvaro::robustness
