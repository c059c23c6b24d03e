#include "tools/demo-lookup-service/tests/RawHttp.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

namespace kelvaro::demo::http_testing {

namespace {

char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [](char x, char y) { return Lower(x) == Lower(y); });
}

}  // namespace

std::string RawResponse::Header(std::string_view name) const {
  std::istringstream lines(head);
  std::string line;
  std::getline(lines, line);  // status line
  while (std::getline(lines, line)) {
    if (line.ends_with('\r')) line.pop_back();
    const std::size_t colon = line.find(':');
    if (colon == std::string::npos || !EqualsNoCase(line.substr(0, colon), name)) continue;
    std::string value = line.substr(colon + 1);
    value.erase(0, value.find_first_not_of(" \t"));
    value.erase(value.find_last_not_of(" \t") + 1);
    return value;
  }
  return {};
}

RawConnection::RawConnection(int port) {
  socket_ = ::socket(AF_INET, SOCK_STREAM, 0);
  if (socket_ < 0) return;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(socket_, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
    ::close(socket_);
    socket_ = -1;
  }
}

RawConnection::~RawConnection() {
  if (socket_ >= 0) ::close(socket_);
}

bool RawConnection::Send(std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t sent = ::send(socket_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (sent < 0 && errno == EINTR) continue;
    if (sent <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(sent));
  }
  return true;
}

bool RawConnection::Receive() {
  pollfd watched{socket_, POLLIN, 0};
  if (::poll(&watched, 1, kWaitLimitSeconds * 1000) <= 0) return false;
  char buffer[4096];
  const ssize_t received = ::recv(socket_, buffer, sizeof(buffer), 0);
  if (received <= 0) return false;
  pending_.append(buffer, static_cast<std::size_t>(received));
  return true;
}

std::optional<RawResponse> RawConnection::ReadResponse(bool headRequest) {
  std::size_t headEnd = std::string::npos;
  while ((headEnd = pending_.find("\r\n\r\n")) == std::string::npos) {
    if (!Receive()) return std::nullopt;
  }
  RawResponse response;
  response.head = pending_.substr(0, headEnd + 2);
  pending_.erase(0, headEnd + 4);
  const std::size_t space = response.head.find(' ');
  if (space == std::string::npos) return std::nullopt;
  response.status = std::atoi(response.head.c_str() + space + 1);
  const std::size_t length =
      headRequest ? 0
                  : static_cast<std::size_t>(std::atoll(response.Header("Content-Length").c_str()));
  while (pending_.size() < length) {
    if (!Receive()) return std::nullopt;
  }
  response.body = pending_.substr(0, length);
  pending_.erase(0, length);
  return response;
}

bool RawConnection::WaitForClose() {
  while (Receive()) {
  }
  pollfd watched{socket_, POLLIN, 0};
  if (::poll(&watched, 1, 0) <= 0) return false;
  char byte = 0;
  return ::recv(socket_, &byte, 1, 0) == 0;
}

std::optional<RawResponse> Exchange(int port, std::string_view request) {
  RawConnection connection(port);
  if (!connection.connected() || !connection.Send(request)) return std::nullopt;
  return connection.ReadResponse();
}

std::string ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream content;
  content << file.rdbuf();
  return content.str();
}

std::string MakeTempFile(std::string_view stem) {
  std::string pattern = ::testing::TempDir() + std::string(stem) + "-XXXXXX";
  const int descriptor = ::mkstemp(pattern.data());
  if (descriptor >= 0) ::close(descriptor);
  return pattern;
}

}  // namespace kelvaro::demo::http_testing
