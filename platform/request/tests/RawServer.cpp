#include "platform/request/tests/RawServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <stdexcept>

namespace kelvaro::platform::testing {

namespace {

int ListenOnLoopback(int backlog, int* port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) throw std::runtime_error("socket failed");
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(fd, backlog) != 0) {
    ::close(fd);
    throw std::runtime_error("bind/listen failed");
  }
  socklen_t length = sizeof address;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  *port = ntohs(address.sin_port);
  return fd;
}

std::size_t ContentLength(std::string_view head) {
  std::string lower(head);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; });
  const std::size_t at = lower.find("\r\ncontent-length:");
  if (at == std::string::npos) return 0;
  return static_cast<std::size_t>(std::strtoull(lower.c_str() + at + 17, nullptr, 10));
}

}  // namespace

RawServer::RawServer(Handler handler, bool accepting) : handler_(std::move(handler)) {
  listener_ = ListenOnLoopback(accepting ? 64 : 0, &port_);
  if (::pipe2(wakePipe_, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  if (accepting) acceptor_ = std::thread([this] { AcceptLoop(); });
}

RawServer::~RawServer() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    for (const int fd : liveSockets_) ::shutdown(fd, SHUT_RDWR);
  }
  changed_.notify_all();
  const char wake = 1;
  [[maybe_unused]] const ssize_t written = ::write(wakePipe_[1], &wake, 1);
  if (acceptor_.joinable()) acceptor_.join();
  for (std::thread& worker : workers_) worker.join();
  ::close(listener_);
  ::close(wakePipe_[0]);
  ::close(wakePipe_[1]);
}

std::string RawServer::Url(std::string_view pathAndQuery) const {
  return "http://127.0.0.1:" + std::to_string(port_) + std::string(pathAndQuery);
}

void RawServer::AcceptLoop() {
  for (;;) {
    pollfd fds[2] = {{listener_, POLLIN, 0}, {wakePipe_[0], POLLIN, 0}};
    if (::poll(fds, 2, -1) < 0 && errno != EINTR) return;
    if (fds[1].revents != 0) return;
    if ((fds[0].revents & POLLIN) == 0) continue;
    const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) continue;
    std::lock_guard lock(mutex_);
    if (stopping_) {
      ::close(fd);
      return;
    }
    ++accepted_;
    liveSockets_.push_back(fd);
    workers_.emplace_back([this, fd] {
      handler_(fd, *this);
      std::lock_guard innerLock(mutex_);
      const auto live = std::find(liveSockets_.begin(), liveSockets_.end(), fd);
      if (live != liveSockets_.end()) {
        liveSockets_.erase(live);
        ::close(fd);
      }
      changed_.notify_all();
    });
  }
}

void RawServer::WaitUntilStopping() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return stopping_; });
}

void RawServer::Record(std::string bytes) {
  {
    std::lock_guard lock(mutex_);
    records_.push_back(std::move(bytes));
  }
  changed_.notify_all();
}

std::vector<std::string> RawServer::Recorded() {
  std::lock_guard lock(mutex_);
  return records_;
}

std::vector<std::string> RawServer::WaitForRecords(std::size_t count, int limit) {
  std::unique_lock lock(mutex_);
  changed_.wait_for(lock, std::chrono::seconds(limit),
                    [&] { return records_.size() >= count || stopping_; });
  return records_;
}

int RawServer::Accepted() {
  std::lock_guard lock(mutex_);
  return accepted_;
}

RawServer::Handler AnswerWith(std::string response) {
  return [response = std::move(response)](int socket, RawServer& server) {
    server.Record(ReadRequest(socket));
    WriteAll(socket, response);
  };
}

std::string ReadRequestHead(int socket) {
  std::string bytes;
  char buffer[4096];
  while (bytes.find("\r\n\r\n") == std::string::npos) {
    // One byte at a time past the head would be slow; peek-free reading is fine here because
    // the tests' clients send nothing after the head unless a body is announced.
    const ssize_t got = ::recv(socket, buffer, sizeof buffer, 0);
    if (got <= 0) break;
    bytes.append(buffer, static_cast<std::size_t>(got));
  }
  return bytes;
}

std::string ReadRequest(int socket) {
  std::string bytes = ReadRequestHead(socket);
  const std::size_t headEnd = bytes.find("\r\n\r\n");
  if (headEnd == std::string::npos) return bytes;
  const std::size_t total = headEnd + 4 + ContentLength(bytes.substr(0, headEnd + 2));
  char buffer[65536];
  while (bytes.size() < total) {
    const ssize_t got = ::recv(socket, buffer, sizeof buffer, 0);
    if (got <= 0) break;
    bytes.append(buffer, static_cast<std::size_t>(got));
  }
  return bytes;
}

bool WriteAll(int socket, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t sent = ::send(socket, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (sent <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(sent));
  }
  return true;
}

std::string ReadUntilClosed(int socket) {
  std::string bytes;
  char buffer[4096];
  for (;;) {
    const ssize_t got = ::recv(socket, buffer, sizeof buffer, 0);
    if (got <= 0) return bytes;
    bytes.append(buffer, static_cast<std::size_t>(got));
  }
}

void ResetConnection(int socket) {
  linger option{1, 0};
  ::setsockopt(socket, SOL_SOCKET, SO_LINGER, &option, sizeof option);
}

int UnusedLoopbackPort() {
  int port = 0;
  const int fd = ListenOnLoopback(1, &port);
  ::close(fd);
  return port;
}

}  // namespace kelvaro::platform::testing
