// A connected socket as the HTTP library's stream, reading through a RequestHeadTap: every byte
// received passes the tap before the library parses it.
#pragma once

#include <httplib.h>

#include <cstddef>
#include <string>

#include "tools/demo-lookup-service/RequestHeadTap.h"

namespace kelvaro::demo {

struct Timeout {
  time_t seconds = 0;
  time_t microseconds = 0;
};

class TappedSocketStream final : public httplib::Stream {
 public:
  // Neither owns the socket nor the tap; both must outlive the stream.
  TappedSocketStream(socket_t socket, Timeout readTimeout, Timeout writeTimeout,
                     RequestHeadTap& tap);

  // Received bytes that the library has not read yet.
  bool HasBufferedBytes() const { return next_ < buffer_.size(); }

  // Buffered bytes, or the socket becomes readable within the read timeout.
  bool is_readable() const override;
  // The socket becomes writable within the write timeout.
  bool is_writable() const override;
  // Up to `size` bytes: buffered ones first, else one receive (after waiting up to the read
  // timeout). 0 when the peer has closed, -1 on a time-out or an error.
  ssize_t read(char* ptr, size_t size) override;
  // Sends up to `size` bytes once the socket is writable; -1 on a time-out or an error. Never
  // raises SIGPIPE.
  ssize_t write(const char* ptr, size_t size) override;
  void get_remote_ip_and_port(std::string& ip, int& port) const override;
  void get_local_ip_and_port(std::string& ip, int& port) const override;
  socket_t socket() const override { return socket_; }

 private:
  socket_t socket_;
  Timeout readTimeout_;
  Timeout writeTimeout_;
  RequestHeadTap& tap_;
  std::string buffer_;
  std::size_t next_ = 0;
};

}  // namespace kelvaro::demo
