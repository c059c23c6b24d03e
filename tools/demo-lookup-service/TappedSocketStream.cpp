#include "tools/demo-lookup-service/TappedSocketStream.h"

#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>

namespace kelvaro::demo {

namespace {

constexpr std::size_t kReceiveSize = 4096;

bool WaitFor(socket_t socket, short events, Timeout timeout) {
  pollfd watched{socket, events, 0};
  const auto milliseconds = static_cast<int>(timeout.seconds * 1000 + timeout.microseconds / 1000);
  int ready = 0;
  do {
    ready = ::poll(&watched, 1, milliseconds);
  } while (ready < 0 && errno == EINTR);
  return ready > 0;
}

void AddressOf(socket_t socket, bool peer, std::string& ip, int& port) {
  sockaddr_storage address{};
  socklen_t length = sizeof(address);
  auto* raw = reinterpret_cast<sockaddr*>(&address);
  if ((peer ? ::getpeername(socket, raw, &length) : ::getsockname(socket, raw, &length)) != 0) {
    return;
  }
  char host[NI_MAXHOST] = {};
  char service[NI_MAXSERV] = {};
  if (::getnameinfo(raw, length, host, sizeof(host), service, sizeof(service),
                    NI_NUMERICHOST | NI_NUMERICSERV) != 0) {
    return;
  }
  ip = host;
  std::from_chars(service, service + std::strlen(service), port);
}

}  // namespace

TappedSocketStream::TappedSocketStream(socket_t socket, Timeout readTimeout, Timeout writeTimeout,
                                       RequestHeadTap& tap)
    : socket_(socket), readTimeout_(readTimeout), writeTimeout_(writeTimeout), tap_(tap) {}

bool TappedSocketStream::is_readable() const {
  return HasBufferedBytes() || WaitFor(socket_, POLLIN, readTimeout_);
}

bool TappedSocketStream::is_writable() const {
  return WaitFor(socket_, POLLOUT, writeTimeout_);
}

ssize_t TappedSocketStream::read(char* ptr, size_t size) {
  if (!HasBufferedBytes()) {
    if (!is_readable()) return -1;
    buffer_.resize(kReceiveSize);
    ssize_t received = 0;
    do {
      received = ::recv(socket_, buffer_.data(), buffer_.size(), 0);
    } while (received < 0 && errno == EINTR);
    next_ = 0;
    if (received <= 0) {
      buffer_.clear();
      return received;
    }
    buffer_.resize(static_cast<std::size_t>(received));
    tap_.Feed(buffer_);
  }
  const std::size_t count = std::min(size, buffer_.size() - next_);
  std::memcpy(ptr, buffer_.data() + next_, count);
  next_ += count;
  return static_cast<ssize_t>(count);
}

ssize_t TappedSocketStream::write(const char* ptr, size_t size) {
  if (!is_writable()) return -1;
  ssize_t sent = 0;
  do {
    sent = ::send(socket_, ptr, size, MSG_NOSIGNAL);
  } while (sent < 0 && errno == EINTR);
  return sent;
}

void TappedSocketStream::get_remote_ip_and_port(std::string& ip, int& port) const {
  AddressOf(socket_, true, ip, port);
}

void TappedSocketStream::get_local_ip_and_port(std::string& ip, int& port) const {
  AddressOf(socket_, false, ip, port);
}

}  // namespace kelvaro::demo
