// A loopback TCP server for the request tests, byte-exact on both sides: each accepted connection
// runs the test's handler on its own thread with the connected socket. Listens on 127.0.0.1 with a
// port chosen by the system.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace kelvaro::platform::testing {

class RawServer {
 public:
  // Handles one connection; the socket is closed after it returns.
  using Handler = std::function<void(int socket, RawServer& server)>;

  // `accepting` false: the socket listens (backlog 0) but nothing is ever accepted, so that once
  // the kernel's queue is full, further connection attempts hang.
  explicit RawServer(Handler handler, bool accepting = true);
  // Wakes handlers waiting in WaitUntilStopping, shuts live connections down, joins every thread.
  ~RawServer();
  RawServer(const RawServer&) = delete;
  RawServer& operator=(const RawServer&) = delete;

  int port() const { return port_; }
  std::string Url(std::string_view pathAndQuery = "/") const;

  // For handlers: blocks until the server is being destroyed.
  void WaitUntilStopping();
  // For handlers: records what a connection received, for the test to read.
  void Record(std::string bytes);
  std::vector<std::string> Recorded();
  // Waits (up to `limit` seconds) until at least `count` records exist; returns them.
  std::vector<std::string> WaitForRecords(std::size_t count, int limit = 10);
  // Number of connections accepted so far.
  int Accepted();

 private:
  void AcceptLoop();

  Handler handler_;
  int listener_ = -1;
  int wakePipe_[2] = {-1, -1};
  int port_ = 0;
  std::mutex mutex_;
  std::condition_variable changed_;
  bool stopping_ = false;
  int accepted_ = 0;
  std::vector<int> liveSockets_;
  std::vector<std::string> records_;
  std::vector<std::thread> workers_;
  std::thread acceptor_;
};

// A handler that records each request (ReadRequest) and answers with `response`.
RawServer::Handler AnswerWith(std::string response);

// Reads until the end of the request head (CR LF CR LF) and then the body its Content-Length
// announces. Returns what was read (possibly partial when the peer closed early).
std::string ReadRequest(int socket);
// Reads until the end of the request head only.
std::string ReadRequestHead(int socket);
// Writes all of `bytes`; false when the peer is gone.
bool WriteAll(int socket, std::string_view bytes);
// Reads until the peer closes (or an error); returns what was read.
std::string ReadUntilClosed(int socket);
// Makes the server's close after the handler send a reset (RST) instead of an orderly end.
void ResetConnection(int socket);

// A connected-then-closed port: nothing listens on it afterwards, so connecting is refused.
int UnusedLoopbackPort();

}  // namespace kelvaro::platform::testing
