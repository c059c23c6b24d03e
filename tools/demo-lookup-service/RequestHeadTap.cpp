#include "tools/demo-lookup-service/RequestHeadTap.h"

#include <algorithm>
#include <charconv>

namespace kelvaro::demo {

namespace {

std::vector<std::string> SplitLines(std::string_view head) {
  std::vector<std::string> lines;
  while (!head.empty()) {
    const std::size_t end = head.find('\n');
    std::string_view line = head.substr(0, end);
    if (line.ends_with('\r')) line.remove_suffix(1);
    lines.emplace_back(line);
    if (end == std::string_view::npos) break;
    head.remove_prefix(end + 1);
  }
  return lines;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
           return lower(x) == lower(y);
         });
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

}  // namespace

RequestHeadTap::RequestHeadTap(HeadSink sink) : sink_(std::move(sink)) {}

void RequestHeadTap::Feed(std::string_view bytes) {
  while (!bytes.empty() && state_ != State::kStopped) {
    if (state_ == State::kBody) {
      const std::size_t skip = std::min(bodyLeft_, bytes.size());
      bodyLeft_ -= skip;
      bytes.remove_prefix(skip);
      if (bodyLeft_ == 0) state_ = State::kHead;
      continue;
    }
    TakeHeadByte(bytes.front());
    bytes.remove_prefix(1);
  }
}

void RequestHeadTap::Finish() {
  if (state_ == State::kHead && !head_.empty()) HandOver(false);
  state_ = State::kStopped;
}

void RequestHeadTap::TakeHeadByte(char byte) {
  if (head_.empty() && (byte == '\r' || byte == '\n')) return;
  head_ += byte;
  if (head_.ends_with("\n\r\n") || head_.ends_with("\n\n")) {
    HandOver(true);
  } else if (head_.size() >= kMaxHeadBytes) {
    HandOver(false);
    state_ = State::kStopped;
  }
}

void RequestHeadTap::HandOver(bool complete) {
  std::vector<std::string> lines = SplitLines(head_);
  head_.clear();
  if (complete) {
    lines.pop_back();  // the empty line that ends the head
    for (std::size_t i = 1; i < lines.size(); ++i) {
      const std::size_t colon = lines[i].find(':');
      if (colon == std::string::npos) continue;
      const std::string_view name = Trim(std::string_view(lines[i]).substr(0, colon));
      const std::string_view value = Trim(std::string_view(lines[i]).substr(colon + 1));
      if (EqualsNoCase(name, "Transfer-Encoding")) {
        state_ = State::kStopped;
      } else if (EqualsNoCase(name, "Content-Length")) {
        std::size_t length = 0;
        const auto [end, error] =
            std::from_chars(value.data(), value.data() + value.size(), length);
        if (error != std::errc() || end != value.data() + value.size()) {
          state_ = State::kStopped;
        } else if (length > 0 && state_ != State::kStopped) {
          bodyLeft_ = length;
          state_ = State::kBody;
        }
      }
    }
  }
  sink_(lines);
}

}  // namespace kelvaro::demo
