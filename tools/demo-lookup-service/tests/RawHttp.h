// Byte-exact HTTP over a loopback TCP connection, for the server tests: what is sent is exactly
// the bytes given, and responses are read by their Content-Length.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kelvaro::demo::http_testing {

struct RawResponse {
  int status = 0;
  std::string head;  // status line and header lines, each ending in CRLF, without the empty line
  std::string body;

  // The value of the first header of that name (any case), trimmed; empty when there is none.
  std::string Header(std::string_view name) const;
};

// One connection to 127.0.0.1. Waits are capped at kWaitLimitSeconds so that a broken server
// fails the test instead of hanging it (a limit for safety, not a measurement).
class RawConnection {
 public:
  static constexpr int kWaitLimitSeconds = 20;

  explicit RawConnection(int port);
  ~RawConnection();
  RawConnection(const RawConnection&) = delete;
  RawConnection& operator=(const RawConnection&) = delete;

  bool connected() const { return socket_ >= 0; }
  bool Send(std::string_view bytes);
  // The next response; with `headRequest` it has no body whatever its Content-Length says.
  // nullopt when the connection ends first or nothing arrives in time.
  std::optional<RawResponse> ReadResponse(bool headRequest = false);
  // True when the server closes the connection (after any bytes still unread).
  bool WaitForClose();

 private:
  bool Receive();  // appends to pending_; false on close, error or time-out

  int socket_ = -1;
  std::string pending_;
};

// Connects, sends `request`, reads one response.
std::optional<RawResponse> Exchange(int port, std::string_view request);

// The whole content of a file; empty when it cannot be read.
std::string ReadFile(const std::string& path);

// A fresh empty file under the test's temporary folder; its path.
std::string MakeTempFile(std::string_view stem);

}  // namespace kelvaro::demo::http_testing
