#include "tests/robustness/ScriptedLookupService.h"

#include <sys/socket.h>

#include <cstdio>
#include <utility>

namespace kelvaro::robustness {

namespace {

using platform::testing::RawServer;
using platform::testing::ReadUntilClosed;
using platform::testing::ResetConnection;
using platform::testing::WriteAll;

// Reads one request head (up to and including CR LF CR LF) from `socket`, starting with what an
// earlier read left in `pending`; what follows the head stays in `pending`. "" when the peer
// closed before a whole head arrived.
std::string ReadHead(int socket, std::string& pending) {
  char buffer[16384];
  for (;;) {
    const std::size_t end = pending.find("\r\n\r\n");
    if (end != std::string::npos) {
      std::string head = pending.substr(0, end + 4);
      pending.erase(0, end + 4);
      return head;
    }
    const ssize_t got = ::recv(socket, buffer, sizeof buffer, 0);
    if (got <= 0) return {};
    pending.append(buffer, static_cast<std::size_t>(got));
  }
}

// The request-target of a head's request line ("" when there is none).
std::string_view TargetOf(std::string_view head) {
  const std::string_view line = head.substr(0, head.find("\r\n"));
  const std::size_t first = line.find(' ');
  if (first == std::string_view::npos) return {};
  const std::string_view rest = line.substr(first + 1);
  return rest.substr(0, rest.find(' '));
}

}  // namespace

RequestKind KindOf(std::string_view head) {
  const std::string_view target = TargetOf(head);
  if (target.find("/web/phone/baseInfo") != std::string_view::npos) return RequestKind::BaseInfo;
  if (target.find("/web/phone/ubInfo") != std::string_view::npos) return RequestKind::UbInfo;
  return RequestKind::Priming;
}

ScriptedLookupService::ScriptedLookupService()
    : server_([this](int socket, RawServer& server) { Serve(socket, server); }) {
  ScriptGoodAnswers();
}

std::string ScriptedLookupService::ProxyUrl() const {
  return "http://127.0.0.1:" + std::to_string(server_.port());
}

void ScriptedLookupService::Script(RequestKind kind, Reply reply) {
  std::lock_guard lock(mutex_);
  replies_[kind] = std::make_shared<const Reply>(std::move(reply));
}

void ScriptedLookupService::ScriptQuery(Reply baseInfo, Reply ubInfo) {
  Script(RequestKind::BaseInfo, std::move(baseInfo));
  Script(RequestKind::UbInfo, std::move(ubInfo));
}

void ScriptedLookupService::ScriptGoodAnswers() {
  for (const RequestKind kind : {RequestKind::Priming, RequestKind::BaseInfo, RequestKind::UbInfo})
    Script(kind, GoodAnswer(kind));
}

std::vector<std::string> ScriptedLookupService::Heads() {
  std::lock_guard lock(mutex_);
  return heads_;
}

std::vector<std::string> ScriptedLookupService::Heads(RequestKind kind) {
  std::vector<std::string> ofKind;
  for (std::string& head : Heads()) {
    if (KindOf(head) == kind) ofKind.push_back(std::move(head));
  }
  return ofKind;
}

void ScriptedLookupService::ForgetHeads() {
  std::lock_guard lock(mutex_);
  heads_.clear();
}

std::shared_ptr<const Reply> ScriptedLookupService::ReplyFor(RequestKind kind) {
  std::lock_guard lock(mutex_);
  return replies_[kind];
}

void ScriptedLookupService::Serve(int socket, RawServer& server) {
  std::string pending;
  for (;;) {
    std::string head = ReadHead(socket, pending);
    if (head.empty()) return;
    {
      std::lock_guard lock(mutex_);
      heads_.push_back(head);
    }
    Connection connection{socket, server, std::move(head)};
    (*ReplyFor(KindOf(connection.head)))(connection);
    if (!connection.keepAlive) return;
  }
}

// ---- Answers ----

std::string BaseInfoJson(std::string_view carrierCode, std::string_view province,
                         std::string_view city) {
  return std::string(R"({"code":"0000","data":{"businessId":)") + std::string(carrierCode) +
         R"(,"tradeInterfaceNo":"T01","province":")" + std::string(province) + R"(","city":")" +
         std::string(city) + R"(","payDiscount":"1.00"}})";
}

std::string UbInfoJson(std::string_view message, std::string_view balance) {
  return std::string(R"({"message":")") + std::string(message) + R"(","result":{"balance":")" +
         std::string(balance) + R"(","username":"*"}})";
}

std::string GoodBaseInfoJson() {
  return BaseInfoJson("2", "北京", "北京");
}

std::string GoodUbInfoJson() {
  return UbInfoJson("查询成功", "12.34");
}

std::string HttpResponse(std::string_view body, std::string_view status,
                         std::string_view contentType) {
  return "HTTP/1.1 " + std::string(status) + "\r\nContent-Type: " + std::string(contentType) +
         "\r\nContent-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" +
         std::string(body);
}

// ---- Replies ----

Reply GoodAnswer(RequestKind kind) {
  switch (kind) {
    case RequestKind::BaseInfo:
      return Send(HttpResponse(GoodBaseInfoJson()));
    case RequestKind::UbInfo:
      return Send(HttpResponse(GoodUbInfoJson()));
    case RequestKind::Priming:
      break;
  }
  return Send(HttpResponse("<html><body>lookup</body></html>", "200 OK", "text/html"));
}

Reply Send(std::string bytes, bool keepOpen) {
  return [bytes = std::move(bytes), keepOpen](Connection& connection) {
    WriteAll(connection.socket, bytes);
    connection.keepAlive = keepOpen;
  };
}

Reply CloseAtOnce() {
  return [](Connection&) {};
}

Reply ResetAfter(std::string bytes) {
  return [bytes = std::move(bytes)](Connection& connection) {
    WriteAll(connection.socket, bytes);
    ResetConnection(connection.socket);
  };
}

Reply StallAfter(std::string bytes) {
  return [bytes = std::move(bytes)](Connection& connection) {
    WriteAll(connection.socket, bytes);
    ReadUntilClosed(connection.socket);
  };
}

Reply Endless(std::string head, std::string chunk, bool chunked) {
  if (chunked) {
    char size[32];
    std::snprintf(size, sizeof size, "%zx\r\n", chunk.size());
    chunk = size + chunk + "\r\n";
  }
  return [head = std::move(head), chunk = std::move(chunk)](Connection& connection) {
    if (!WriteAll(connection.socket, head)) return;
    while (WriteAll(connection.socket, chunk)) {
    }
  };
}

Reply RedirectToItself() {
  return [](Connection& connection) {
    const std::string_view target = TargetOf(connection.head);
    WriteAll(connection.socket, "HTTP/1.1 302 Found\r\nLocation: " + std::string(target) +
                                    "\r\nContent-Length: 0\r\n\r\n");
    connection.keepAlive = true;
  };
}

}  // namespace kelvaro::robustness
