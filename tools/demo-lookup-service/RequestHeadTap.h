// Cuts the request heads out of the bytes one connection receives, exactly as they arrived, so
// that the service can log what a client really sent (the HTTP library normalises request lines
// and reorders headers before its handlers see them).
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvaro::demo {

class RequestHeadTap {
 public:
  // Receives the lines of one head: the request line, then each header line, without their line
  // ends (CRLF, or a bare LF) and without the empty line that ends the head.
  using HeadSink = std::function<void(const std::vector<std::string>& lines)>;

  // A head longer than this is handed over as far as it goes, and the connection is not read
  // further (the server refuses such a request anyway).
  static constexpr std::size_t kMaxHeadBytes = 64 * 1024;

  explicit RequestHeadTap(HeadSink sink);

  // The next bytes of the connection, in order. Each head is handed to the sink as soon as its
  // empty line has arrived. Empty lines before a request line are skipped; after a head with a
  // Content-Length, that many body bytes are skipped. A head with any other Transfer-Encoding
  // than none, or with a Content-Length that is not a number, ends the tapping of the connection.
  void Feed(std::string_view bytes);

  // The connection has ended: a head begun but not finished is handed over as it is.
  void Finish();

 private:
  enum class State { kHead, kBody, kStopped };

  void TakeHeadByte(char byte);
  void HandOver(bool complete);

  HeadSink sink_;
  State state_ = State::kHead;
  std::string head_;
  std::size_t bodyLeft_ = 0;
};

}  // namespace kelvaro::demo
