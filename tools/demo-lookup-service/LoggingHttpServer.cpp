#include "tools/demo-lookup-service/LoggingHttpServer.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

#include "tools/demo-lookup-service/RequestHeadTap.h"
#include "tools/demo-lookup-service/TappedSocketStream.h"

namespace kelvaro::demo {

namespace {

// How often a connection waiting for its next request looks whether the server is stopping.
constexpr int kStopCheckMilliseconds = 50;

void CloseSocket(socket_t sock) {
  ::shutdown(sock, SHUT_RDWR);
  ::close(sock);
}

}  // namespace

LoggingHttpServer::LoggingHttpServer(RequestLog& log) : log_(log) {}

LoggingHttpServer::~LoggingHttpServer() {
  StopServing();
}

void LoggingHttpServer::StopServing() {
  const socket_t sock = svr_sock_.exchange(INVALID_SOCKET);
  if (sock != INVALID_SOCKET) CloseSocket(sock);
}

bool LoggingHttpServer::WaitForNextRequest(socket_t sock) const {
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::seconds(keep_alive_timeout_sec_);
  while (svr_sock_ != INVALID_SOCKET) {
    pollfd watched{sock, POLLIN, 0};
    const int ready = ::poll(&watched, 1, kStopCheckMilliseconds);
    if (ready > 0) return true;
    if (ready < 0 && errno != EINTR) return false;
    if (std::chrono::steady_clock::now() >= deadline) return false;
  }
  return false;
}

bool LoggingHttpServer::process_and_close_socket(socket_t sock) {
  RequestHeadTap tap([this](const std::vector<std::string>& lines) { log_.Write(lines); });
  TappedSocketStream stream(sock, {read_timeout_sec_, read_timeout_usec_},
                            {write_timeout_sec_, write_timeout_usec_}, tap);
  bool served = false;
  for (std::size_t left = keep_alive_max_count_; left > 0; --left) {
    if (!stream.HasBufferedBytes() && !WaitForNextRequest(sock)) break;
    bool closed = false;
    served = process_request(stream, left == 1, closed, nullptr);
    if (!served || closed) break;
  }
  tap.Finish();
  CloseSocket(sock);
  return served;
}

}  // namespace kelvaro::demo
