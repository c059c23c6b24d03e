// A lookup service that answers as a test scripts it, good or hostile. It listens on 127.0.0.1
// (a port chosen by the system) and is reached as the program reaches the lookup service: as the
// http proxy, so request lines arrive in absolute form. Every request head is kept byte for byte,
// in order of arrival, for the test to inspect.
//
// Each connection is served on its own thread: the service reads a request head, keeps it, picks
// the reply scripted for its kind (by the path in the request line) and runs it. A reply that
// leaves the connection open (Connection::keepAlive) lets the next request on it be read.
#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/request/tests/RawServer.h"

namespace kelvaro::robustness {

enum class RequestKind { Priming, BaseInfo, UbInfo };

// The kind of a request head, by the path of its request line: "/web/phone/baseInfo" and
// "/web/phone/ubInfo" (anywhere in the target), anything else counts as the priming request.
RequestKind KindOf(std::string_view head);

// One request on one connection, as a reply sees it.
struct Connection {
  int socket;
  platform::testing::RawServer& server;
  std::string head;        // the request head, CR LF CR LF included
  bool keepAlive = false;  // set by a reply that leaves the connection open for another request
};

// What the service does with one request.
using Reply = std::function<void(Connection&)>;

class ScriptedLookupService {
 public:
  // Until scripted otherwise, every request gets GoodAnswer for its kind.
  ScriptedLookupService();
  ScriptedLookupService(const ScriptedLookupService&) = delete;
  ScriptedLookupService& operator=(const ScriptedLookupService&) = delete;

  int port() const { return server_.port(); }
  // "http://127.0.0.1:<port>", the value for http_proxy.
  std::string ProxyUrl() const;

  // The reply for every later request of that kind.
  void Script(RequestKind kind, Reply reply);
  // Both requests of a query at once.
  void ScriptQuery(Reply baseInfo, Reply ubInfo);
  // Back to the good answers.
  void ScriptGoodAnswers();

  // Request heads received so far, in order of arrival.
  std::vector<std::string> Heads();
  // Heads of one kind.
  std::vector<std::string> Heads(RequestKind kind);
  void ForgetHeads();
  // Connections accepted so far.
  int Connections() { return server_.Accepted(); }

 private:
  void Serve(int socket, platform::testing::RawServer& server);
  // Shared, not copied: a reply may hold a large answer.
  std::shared_ptr<const Reply> ReplyFor(RequestKind kind);

  std::mutex mutex_;
  std::map<RequestKind, std::shared_ptr<const Reply>> replies_;
  std::vector<std::string> heads_;
  platform::testing::RawServer server_;  // last: its threads use the members above
};

// ---- Answers ----

// The baseInfo answer the good service gives: carrier code 2, province and city "北京" (UTF-8).
std::string GoodBaseInfoJson();
// The ubInfo answer the good service gives: message "查询成功", balance "12.34".
std::string GoodUbInfoJson();
// The line 标签3 shows for the two good answers (UTF-8).
inline constexpr std::string_view kGoodLine =
    "查询成功 中国移动；手机号归属地：北京北京！ 余额：12.34";
// The line 标签3 shows when every field is empty (UTF-8).
inline constexpr std::string_view kEmptyLine = "手机号归属地：！ 余额：";

// A baseInfo answer with these field values (bytes as given, no JSON escaping).
std::string BaseInfoJson(std::string_view carrierCode, std::string_view province,
                         std::string_view city);
// An ubInfo answer with these field values (bytes as given).
std::string UbInfoJson(std::string_view message, std::string_view balance);

// "HTTP/1.1 <status>" with Content-Type, Content-Length and "Connection: close", then `body`.
std::string HttpResponse(std::string_view body, std::string_view status = "200 OK",
                         std::string_view contentType = "application/json;charset=UTF-8");

// ---- Replies ----

// The good service's answer for `kind`.
Reply GoodAnswer(RequestKind kind);
// Writes `bytes` and closes the connection, or with `keepOpen` leaves it open for the next
// request.
Reply Send(std::string bytes, bool keepOpen = false);
// Closes the connection without writing anything.
Reply CloseAtOnce();
// Writes `bytes`, then ends the connection with a reset (RST).
Reply ResetAfter(std::string bytes);
// Writes `bytes`, then neither writes nor closes until the client goes away (or the service
// ends).
Reply StallAfter(std::string bytes);
// Writes `head`, then `chunk` again and again until the client goes away. With `chunked`, every
// chunk goes out in chunked transfer coding (the head must announce it).
Reply Endless(std::string head, std::string chunk, bool chunked);
// 302 to the very URL that was asked for, on the same connection, forever.
Reply RedirectToItself();

}  // namespace kelvaro::robustness
