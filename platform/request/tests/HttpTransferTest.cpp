#include "platform/request/HttpTransfer.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <future>
#include <map>
#include <thread>

#include "platform/request/WinHttpErrors.h"
#include "platform/request/tests/LoopbackHttpServer.h"
#include "platform/request/tests/RawServer.h"
#include "platform/request/tests/TransferTestSupport.h"

namespace kelvaro::platform::testing {
namespace {

const char kOkResponse[] = "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok";

// ---- What goes on the wire --------------------------------------------------------------------

TEST(HttpTransferWireTest, SendsHostThenTheCallersHeadersInOrderAndNothingUnasked) {
  RawServer server(AnswerWith(kOkResponse));
  TransferRequest request = DirectRequest(server.Url("/p/a?q=1"));
  request.headers = {{"X-First", "1"}, {"accept", "text/x"}, {"X-Empty", ""}, {"X-Last", "z"}};
  request.userAgent = "Agent/1.0";
  const auto transfer = RunToEnd(std::move(request));
  ASSERT_EQ(transfer->error(), 0);
  const auto recorded = server.Recorded();
  ASSERT_EQ(recorded.size(), 1u);
  EXPECT_EQ(recorded[0],
            "GET /p/a?q=1 HTTP/1.1\r\n"
            "Host: 127.0.0.1:" +
                std::to_string(server.port()) +
                "\r\n"
                "X-First: 1\r\n"
                "accept: text/x\r\n"
                "X-Empty:\r\n"
                "X-Last: z\r\n"
                "User-Agent: Agent/1.0\r\n"
                "\r\n");
}

TEST(HttpTransferWireTest, CallersUserAgentAndHostReplaceTheDefaults) {
  RawServer server(AnswerWith(kOkResponse));
  TransferRequest request = DirectRequest(server.Url("/"));
  request.headers = {{"Host", "virtual.example"}, {"User-Agent", "Mine"}};
  request.userAgent = "Default";
  ASSERT_EQ(RunToEnd(std::move(request))->error(), 0);
  EXPECT_EQ(server.Recorded().at(0),
            "GET / HTTP/1.1\r\nHost: virtual.example\r\nUser-Agent: Mine\r\n\r\n");
}

TEST(HttpTransferWireTest, MethodDecidesWhetherABodyGoesOut) {
  struct Case {
    const char* method;
    std::string body;
    std::string expected;  // the whole request after the request line's method
  };
  const Case cases[] = {
      {"POST", "hello", "POST / HTTP/1.1\r\nHost: H\r\nContent-Length: 5\r\n\r\nhello"},
      {"POST", "", "POST / HTTP/1.1\r\nHost: H\r\nContent-Length: 0\r\n\r\n"},
      {"PUT", "", "PUT / HTTP/1.1\r\nHost: H\r\nContent-Length: 0\r\n\r\n"},
      {"PATCH", "x", "PATCH / HTTP/1.1\r\nHost: H\r\nContent-Length: 1\r\n\r\nx"},
      {"GET", "", "GET / HTTP/1.1\r\nHost: H\r\n\r\n"},
      {"GET", "q", "GET / HTTP/1.1\r\nHost: H\r\nContent-Length: 1\r\n\r\nq"},
      {"DELETE", "", "DELETE / HTTP/1.1\r\nHost: H\r\n\r\n"},
      {"post", "lower", "post / HTTP/1.1\r\nHost: H\r\nContent-Length: 5\r\n\r\nlower"},
      {"HEAD", "ignored", "HEAD / HTTP/1.1\r\nHost: H\r\n\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.method) + " with body \"" + c.body + "\"");
    RawServer server(AnswerWith(kOkResponse));
    TransferRequest request = DirectRequest(server.Url("/"), c.method);
    request.headers = {{"Host", "H"}};
    request.body.assign(c.body.begin(), c.body.end());
    ASSERT_EQ(RunToEnd(std::move(request))->error(), 0);
    EXPECT_EQ(server.Recorded().at(0), c.expected);
  }
}

TEST(HttpTransferWireTest, LargeBodyGoesWithoutExpectAndCallersContentLengthIsIgnored) {
  RawServer server(AnswerWith(kOkResponse));
  TransferRequest request = DirectRequest(server.Url("/upload"), "POST");
  request.headers = {{"Content-Length", "3"}, {"Content-Type", "application/octet-stream"}};
  request.body.assign(3 * 1024 * 1024, 'b');
  ASSERT_EQ(RunToEnd(std::move(request))->error(), 0);
  const std::string received = server.Recorded().at(0);
  const std::string head = received.substr(0, received.find("\r\n\r\n") + 4);
  EXPECT_EQ(head, "POST /upload HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(server.port()) +
                      "\r\nContent-Type: application/octet-stream\r\nContent-Length: "
                      "3145728\r\n\r\n");
  EXPECT_EQ(received.size(), head.size() + 3 * 1024 * 1024);
}

// ---- The response -----------------------------------------------------------------------------

TEST(HttpTransferResponseTest, KeepsStatusReasonHeaderLinesAndBodyAsReceived) {
  using namespace std::string_literals;
  RawServer server(AnswerWith(
      "HTTP/1.1 404 Not  Found Here\r\nX-One: 1\r\nx-two:  spaced \r\nSet-Cookie: a=1; path=/\n"
      "Transfer-Encoding: chunked\r\n\r\n3\r\nabc\r\n2\r\n\0d\r\n0\r\nX-Trailer: t\r\n\r\n"s));
  const auto transfer = RunToEnd(DirectRequest(server.Url("/")));
  ASSERT_EQ(transfer->error(), 0);
  const TransferResponse& response = transfer->response();
  EXPECT_EQ(response.status, 404);
  EXPECT_EQ(response.statusText, "Not  Found Here");
  EXPECT_EQ(response.headers,
            "X-One: 1\r\nx-two:  spaced \r\nSet-Cookie: a=1; path=/\r\nTransfer-Encoding: "
            "chunked\r\n");
  EXPECT_EQ(BodyText(*transfer), std::string("abc\0d", 5));
}

TEST(HttpTransferResponseTest, InterimAnswerIsReplacedByTheFinalOne) {
  RawServer server(
      AnswerWith("HTTP/1.1 100 Continue\r\nX-Interim: 1\r\n\r\n"
                 "HTTP/1.1 201 Created\r\nContent-Length: 4\r\n\r\ndone"));
  const auto transfer = RunToEnd(DirectRequest(server.Url("/"), "POST"));
  ASSERT_EQ(transfer->error(), 0);
  EXPECT_EQ(transfer->response().status, 201);
  EXPECT_EQ(transfer->response().statusText, "Created");
  EXPECT_EQ(transfer->response().headers, "Content-Length: 4\r\n");
  EXPECT_EQ(BodyText(*transfer), "done");
}

TEST(HttpTransferResponseTest, StatusLineWithoutReasonGivesAnEmptyStatusText) {
  RawServer server(AnswerWith("HTTP/1.1 204\r\n\r\n"));
  const auto transfer = RunToEnd(DirectRequest(server.Url("/")));
  ASSERT_EQ(transfer->error(), 0);
  EXPECT_EQ(transfer->response().status, 204);
  EXPECT_EQ(transfer->response().statusText, "");
  EXPECT_TRUE(transfer->response().body.empty());
}

TEST(HttpTransferResponseTest, HeadAnswerHasNoBodyWhateverItsContentLength) {
  RawServer server(AnswerWith("HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\n"));
  const auto transfer = RunToEnd(DirectRequest(server.Url("/"), "head"));
  ASSERT_EQ(transfer->error(), 0);
  EXPECT_EQ(server.Recorded().at(0).substr(0, 17), "head / HTTP/1.1\r\n");
  EXPECT_TRUE(transfer->response().body.empty());
}

TEST(HttpTransferResponseTest, ServerCredentialsAnswerAChallenge) {
  LoopbackHttpServer server([](httplib::Server& s) {
    s.Get("/secret", [](const httplib::Request& request, httplib::Response& response) {
      // "user:pass" in base 64
      if (request.get_header_value("Authorization") == "Basic dXNlcjpwYXNz") {
        response.set_content("welcome", "text/plain");
      } else {
        response.status = 401;
        response.set_header("WWW-Authenticate", "Basic realm=\"r\"");
      }
    });
  });
  EXPECT_EQ(RunToEnd(DirectRequest(server.Url("/secret")))->response().status, 401);
  TransferRequest request = DirectRequest(server.Url("/secret"));
  request.serverCredentials = TransferCredentials{"user", "pass"};
  const auto transfer = RunToEnd(std::move(request));
  ASSERT_EQ(transfer->error(), 0);
  EXPECT_EQ(transfer->response().status, 200);
  EXPECT_EQ(BodyText(*transfer), "welcome");
}

// ---- Redirects --------------------------------------------------------------------------------

class HttpTransferRedirectTest : public ::testing::Test {
 protected:
  HttpTransferRedirectTest()
      : server_([this](httplib::Server& s) {
          s.Get("/start", [](const httplib::Request&, httplib::Response& response) {
            response.set_redirect("/middle", 302);
            response.set_header("X-Hop", "start");
          });
          s.Get("/middle", [](const httplib::Request&, httplib::Response& response) {
            response.set_redirect("/final", 301);
          });
          s.Get("/final", [](const httplib::Request&, httplib::Response& response) {
            response.set_header("X-Final", "yes");
            response.set_content("final body", "text/plain");
          });
          s.Get("/loop", [](const httplib::Request&, httplib::Response& response) {
            response.set_redirect("/loop", 302);
          });
          s.Get("/elsewhere", [](const httplib::Request&, httplib::Response& response) {
            response.set_redirect("ftp://example.com/file", 302);
          });
          // /to/<status> answers that redirect status towards /record.
          s.Post(R"(/to/(\d+))", [](const httplib::Request& request, httplib::Response& response) {
            response.set_redirect("/record", std::stoi(request.matches[1]));
          });
          auto record = [this](const httplib::Request& request, httplib::Response& response) {
            std::lock_guard lock(mutex_);
            seen_ = request.method + " " + request.body;
            response.set_content("recorded", "text/plain");
          };
          s.Get("/record", record);
          s.Post("/record", record);
        }) {}

  std::string Seen() {
    std::lock_guard lock(mutex_);
    return seen_;
  }

  std::mutex mutex_;
  std::string seen_;
  LoopbackHttpServer server_;
};

TEST_F(HttpTransferRedirectTest, FollowsAChainAndKeepsOnlyTheFinalHeaders) {
  const auto transfer = RunToEnd(DirectRequest(server_.Url("/start")));
  ASSERT_EQ(transfer->error(), 0);
  const TransferResponse& response = transfer->response();
  EXPECT_EQ(response.status, 200);
  EXPECT_EQ(BodyText(*transfer), "final body");
  EXPECT_NE(response.headers.find("X-Final: yes\r\n"), std::string::npos);
  EXPECT_EQ(response.headers.find("X-Hop"), std::string::npos);
  EXPECT_EQ(response.headers.find("Location"), std::string::npos);
  EXPECT_EQ(response.url, server_.Url("/final"));
}

TEST_F(HttpTransferRedirectTest, WithRedirectsOffTheFirstAnswerIsFinal) {
  TransferRequest request = DirectRequest(server_.Url("/start"));
  request.followRedirects = false;
  const auto transfer = RunToEnd(std::move(request));
  ASSERT_EQ(transfer->error(), 0);
  EXPECT_EQ(transfer->response().status, 302);
  EXPECT_NE(transfer->response().headers.find("Location: /middle\r\n"), std::string::npos);
  EXPECT_NE(transfer->response().headers.find("X-Hop: start\r\n"), std::string::npos);
}

TEST_F(HttpTransferRedirectTest, LimitCountsRedirectsFollowed) {
  TransferRequest enough = DirectRequest(server_.Url("/start"));
  enough.maxRedirects = 2;
  EXPECT_EQ(RunToEnd(std::move(enough))->error(), 0);
  TransferRequest tooFew = DirectRequest(server_.Url("/start"));
  tooFew.maxRedirects = 1;
  EXPECT_EQ(RunToEnd(std::move(tooFew))->error(), winhttp::kRedirectFailed);
  EXPECT_EQ(RunToEnd(DirectRequest(server_.Url("/loop")))->error(), winhttp::kRedirectFailed);
}

TEST_F(HttpTransferRedirectTest, RedirectToAnotherSchemeFails) {
  EXPECT_EQ(RunToEnd(DirectRequest(server_.Url("/elsewhere")))->error(), winhttp::kRedirectFailed);
}

TEST_F(HttpTransferRedirectTest, StatusDecidesWhetherPostStaysPost) {
  struct Case {
    int status;
    const char* seen;
  };
  const Case cases[] = {
      {301, "GET "}, {302, "GET "}, {303, "GET "}, {307, "POST payload"}, {308, "POST payload"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.status);
    TransferRequest request = DirectRequest(server_.Url("/to/" + std::to_string(c.status)), "POST");
    request.headers = {{"Content-Type", "text/plain"}};
    const std::string payload = "payload";
    request.body.assign(payload.begin(), payload.end());
    const auto transfer = RunToEnd(std::move(request));
    ASSERT_EQ(transfer->error(), 0);
    EXPECT_EQ(BodyText(*transfer), "recorded");
    EXPECT_EQ(Seen(), c.seen);
  }
}

// ---- Time-outs --------------------------------------------------------------------------------

TEST(HttpTransferTimeoutTest, ConnectTimeoutEndsAConnectionThatIsNeverAccepted) {
  RawServer server(nullptr, /*accepting=*/false);
  // Fill the listener's queue so that the kernel drops further connection attempts.
  std::vector<int> fillers;
  for (int i = 0; i < 3; ++i) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(server.port()));
    ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    fillers.push_back(fd);
  }
  std::this_thread::sleep_for(Ms(50));
  TransferRequest request = DirectRequest(server.Url("/"));
  request.timeouts = {Ms(0), Ms(200), Ms(0), Ms(0)};
  EXPECT_EQ(RunToEnd(std::move(request))->error(), winhttp::kTimeout);
  for (const int fd : fillers) ::close(fd);
}

TEST(HttpTransferTimeoutTest, ReceiveTimeoutEndsAStalledAnswer) {
  RawServer server([](int socket, RawServer& s) {
    ReadRequest(socket);
    WriteAll(socket, "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\npartial");
    s.WaitUntilStopping();
  });
  TransferRequest request = DirectRequest(server.Url("/"));
  request.timeouts = {Ms(0), Ms(0), Ms(0), Ms(200)};
  EXPECT_EQ(RunToEnd(std::move(request))->error(), winhttp::kTimeout);
}

TEST(HttpTransferTimeoutTest, ReceiveTimeoutCountsStallsNotTheWholeTransfer) {
  RawServer server([](int socket, RawServer&) {
    ReadRequest(socket);
    WriteAll(socket, "HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\n");
    for (int i = 0; i < 10; ++i) {
      std::this_thread::sleep_for(Ms(50));
      WriteAll(socket, "x");
    }
  });
  TransferRequest request = DirectRequest(server.Url("/"));
  request.timeouts = {Ms(0), Ms(0), Ms(0), Ms(300)};  // shorter than the whole answer
  const auto transfer = RunToEnd(std::move(request));
  ASSERT_EQ(transfer->error(), 0);
  EXPECT_EQ(BodyText(*transfer), "xxxxxxxxxx");
}

TEST(HttpTransferTimeoutTest, SendTimeoutEndsAnUploadTheServerNeverReads) {
  RawServer server([](int socket, RawServer& s) {
    ReadRequestHead(socket);
    s.WaitUntilStopping();
  });
  TransferRequest request = DirectRequest(server.Url("/"), "POST");
  request.body.assign(48 * 1024 * 1024, 'u');
  request.timeouts = {Ms(0), Ms(0), Ms(300), Ms(0)};
  EXPECT_EQ(RunToEnd(std::move(request))->error(), winhttp::kTimeout);
}

// ---- Broken connections and answers -----------------------------------------------------------

TEST(HttpTransferFailureTest, ConnectionRefused) {
  const int port = UnusedLoopbackPort();
  EXPECT_EQ(RunToEnd(DirectRequest("http://127.0.0.1:" + std::to_string(port) + "/"))->error(),
            winhttp::kCannotConnect);
}

TEST(HttpTransferFailureTest, BrokenAnswersMapToTheirErrors) {
  struct Case {
    const char* name;
    RawServer::Handler handler;
    std::int32_t error;
  };
  const Case cases[] = {
      {"reset in the middle of the body",
       [](int socket, RawServer&) {
         ReadRequest(socket);
         WriteAll(socket,
                  "HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n" + std::string(1000, 'b'));
         std::this_thread::sleep_for(Ms(20));
         ResetConnection(socket);
       },
       winhttp::kConnectionError},
      {"closed before the announced length",
       [](int socket, RawServer&) {
         ReadRequest(socket);
         WriteAll(socket, "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\nonly ten..");
       },
       winhttp::kConnectionError},
      {"closed without a reply", [](int socket, RawServer&) { ReadRequest(socket); },
       winhttp::kConnectionError},
      // The status line came, the end of the header section never did: no complete answer.
      {"closed inside a header line",
       [](int socket, RawServer&) {
         ReadRequest(socket);
         WriteAll(socket, "HTTP/1.1 200 OK\r\nContent-Le");
       },
       winhttp::kConnectionError},
      {"closed after the status line",
       [](int socket, RawServer&) {
         ReadRequest(socket);
         WriteAll(socket, "HTTP/1.1 200 OK\r\n");
       },
       winhttp::kConnectionError},
      {"not an HTTP answer",
       [](int socket, RawServer&) {
         ReadRequest(socket);
         WriteAll(socket, "SSH-2.0-Something\r\nmore text that is no header\r\n\r\n");
       },
       winhttp::kInvalidServerResponse},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RawServer server(c.handler);
    EXPECT_EQ(RunToEnd(DirectRequest(server.Url("/")))->error(), c.error);
  }
}

// ---- Caps -------------------------------------------------------------------------------------

TEST(HttpTransferCapTest, HeaderSectionMayReachTheCapButNotPassIt) {
  // Status line, one padding header, blank line: exactly `size` bytes.
  auto answerOfHeaderSize = [](std::size_t size) {
    const std::string status = "HTTP/1.1 200 OK\r\n";
    const std::string prefix = "X-Pad: ";
    const std::size_t padding = size - status.size() - prefix.size() - 2 - 2;
    return status + prefix + std::string(padding, 'p') + "\r\n\r\n";
  };
  for (const std::size_t size : {std::size_t{1024}, std::size_t{1025}}) {
    SCOPED_TRACE(size);
    RawServer server(AnswerWith(answerOfHeaderSize(size)));
    TransferRequest request = DirectRequest(server.Url("/"));
    request.maxHeaderBytes = 1024;
    EXPECT_EQ(RunToEnd(std::move(request))->error(),
              size <= 1024 ? 0 : winhttp::kHeaderSizeOverflow);
  }
}

TEST(HttpTransferCapTest, EndlessHeadersFailAtTheCap) {
  RawServer server([](int socket, RawServer&) {
    ReadRequest(socket);
    WriteAll(socket, "HTTP/1.1 200 OK\r\n");
    for (int i = 0; i < 100000; ++i) {
      if (!WriteAll(socket, "X-More: " + std::string(100, 'm') + "\r\n")) return;
    }
  });
  EXPECT_EQ(RunToEnd(DirectRequest(server.Url("/")))->error(), winhttp::kHeaderSizeOverflow);
}

// One line that never ends, where a status line or a header line should be.
TEST(HttpTransferCapTest, EndlessHeaderLineFailsAtTheCap) {
  for (const char* start : {"HTTP/1.1 200 OK\r\nX-More: ", "HTTP/1.1 200 "}) {
    SCOPED_TRACE(start);
    RawServer server([start](int socket, RawServer&) {
      ReadRequest(socket);
      if (!WriteAll(socket, start)) return;
      const std::string more(4096, 'm');
      for (int i = 0; i < 10000; ++i) {
        if (!WriteAll(socket, more)) return;
      }
    });
    EXPECT_EQ(RunToEnd(DirectRequest(server.Url("/")))->error(), winhttp::kHeaderSizeOverflow);
  }
}

// libcurl builds a request head of at most 1 MiB; a bigger one is refused before it goes out,
// and that is no fault of the answer.
TEST(HttpTransferCapTest, RequestHeadTooBigForLibcurlIsAnInternalError) {
  RawServer server(AnswerWith(kOkResponse));
  TransferRequest request = DirectRequest(server.Url("/"));
  request.headers = {{"X-Big", std::string(2 * 1024 * 1024, 'b')}};
  EXPECT_EQ(RunToEnd(std::move(request))->error(), winhttp::kInternalError);
  for (const std::string& received : server.Recorded()) EXPECT_EQ(received, "") << "nothing sent";
}

TEST(HttpTransferCapTest, BodyMayReachTheCapButNotPassIt) {
  struct Case {
    const char* name;
    std::string answer;
    std::int32_t error;
  };
  auto chunked = [](std::size_t size) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "%zx", size);
    return "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n" + std::string(hex) + "\r\n" +
           std::string(size, 'c') + "\r\n0\r\n\r\n";
  };
  const Case cases[] = {
      {"chunked at the cap", chunked(1000), 0},
      {"chunked past the cap", chunked(1001), winhttp::kResponseOverflow},
      {"announced past the cap",
       "HTTP/1.1 200 OK\r\nContent-Length: 1001\r\n\r\n" + std::string(1001, 'l'),
       winhttp::kResponseOverflow},
      {"unannounced until close past the cap",
       "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n" + std::string(5000, 'u'),
       winhttp::kResponseOverflow},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RawServer server(AnswerWith(c.answer));
    TransferRequest request = DirectRequest(server.Url("/"));
    request.maxBodyBytes = 1000;
    const auto transfer = RunToEnd(std::move(request));
    EXPECT_EQ(transfer->error(), c.error);
    if (c.error == 0) {
      EXPECT_EQ(transfer->response().body.size(), 1000u);
    }
  }
}

// ---- Proxies ----------------------------------------------------------------------------------

class HttpTransferProxyTest : public ::testing::Test {
 protected:
  RawServer proxy_{AnswerWith("HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nproxy")};
  RawServer origin_{AnswerWith("HTTP/1.1 200 OK\r\nContent-Length: 6\r\n\r\norigin")};

  std::string ProxyAddress() const { return "127.0.0.1:" + std::to_string(proxy_.port()); }

  std::string Fetch(std::string_view url, ProxySettings proxy,
                    std::map<std::string, std::string> environment = {}) {
    TransferRequest request = DirectRequest(url);
    request.proxy = std::move(proxy);
    request.environment = [environment](const char* name) -> const char* {
      const auto found = environment.find(name);
      return found == environment.end() ? nullptr : found->second.c_str();
    };
    const auto transfer = RunToEnd(std::move(request));
    EXPECT_EQ(transfer->error(), 0);
    return BodyText(*transfer);
  }
};

TEST_F(HttpTransferProxyTest, NamedProxyGetsTheAbsoluteFormRequestLine) {
  EXPECT_EQ(Fetch("http://lookup.kelvaro.invalid/path?q=1", ProxySettings{2, ProxyAddress(), ""}),
            "proxy");
  const std::string received = proxy_.Recorded().at(0);
  EXPECT_EQ(received.substr(0, received.find("\r\n")),
            "GET http://lookup.kelvaro.invalid/path?q=1 HTTP/1.1");
  EXPECT_NE(received.find("\r\nHost: lookup.kelvaro.invalid\r\n"), std::string::npos);
}

TEST_F(HttpTransferProxyTest, BypassListGoesDirect) {
  EXPECT_EQ(Fetch(origin_.Url("/"), ProxySettings{2, ProxyAddress(), "127.0.0.*"}), "origin");
  EXPECT_EQ(proxy_.Accepted(), 0);
}

TEST_F(HttpTransferProxyTest, PreconfiguredSettingHonoursHttpProxy) {
  EXPECT_EQ(Fetch("http://lookup.kelvaro.invalid/x", ProxySettings{0, "", ""},
                  {{"http_proxy", "http://" + ProxyAddress()}}),
            "proxy");
  const std::string received = proxy_.Recorded().at(0);
  EXPECT_EQ(received.substr(0, received.find("\r\n")),
            "GET http://lookup.kelvaro.invalid/x HTTP/1.1");
}

TEST_F(HttpTransferProxyTest, PreconfiguredSettingHonoursNoProxy) {
  EXPECT_EQ(Fetch(origin_.Url("/"), ProxySettings{0, "", ""},
                  {{"http_proxy", ProxyAddress()}, {"no_proxy", "localhost,127.0.0.1"}}),
            "origin");
  EXPECT_EQ(proxy_.Accepted(), 0);
}

TEST_F(HttpTransferProxyTest, DirectSettingIgnoresHttpProxy) {
  EXPECT_EQ(Fetch(origin_.Url("/"), ProxySettings{1, ProxyAddress(), ""},
                  {{"http_proxy", ProxyAddress()}, {"HTTP_PROXY", ProxyAddress()}}),
            "origin");
  EXPECT_EQ(proxy_.Accepted(), 0);
}

// ---- Driving step by step ---------------------------------------------------------------------

TEST(HttpTransferDriveTest, ProgressesOnlyWhenDrivenAndFinishesLater) {
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  RawServer server([released](int socket, RawServer& s) {
    s.Record(ReadRequest(socket));
    released.wait();
    WriteAll(socket, kOkResponse);
  });
  HttpTransfer transfer(DirectRequest(server.Url("/")));
  EXPECT_FALSE(transfer.Drive(TransferClock::now()));
  EXPECT_FALSE(transfer.Drive(TransferClock::now() + Ms(50)));
  EXPECT_FALSE(transfer.Finished());
  EXPECT_EQ(server.WaitForRecords(1).size(), 1u);  // the request went out meanwhile
  release.set_value();
  EXPECT_TRUE(transfer.Drive(std::nullopt));
  EXPECT_EQ(transfer.error(), 0);
  EXPECT_EQ(BodyText(transfer), "ok");
}

TEST(HttpTransferDriveTest, DestroyingATransferClosesItsConnection) {
  RawServer server([](int socket, RawServer& s) {
    ReadRequest(socket);
    s.Record("request");
    s.Record("closed after " + std::to_string(ReadUntilClosed(socket).size()) + " bytes");
  });
  {
    HttpTransfer transfer(DirectRequest(server.Url("/")));
    while (server.Recorded().empty()) transfer.Drive(TransferClock::now() + Ms(10));
    EXPECT_FALSE(transfer.Finished());
  }
  EXPECT_EQ(server.WaitForRecords(2).at(1), "closed after 0 bytes");
}

TEST(HttpTransferErrorMapTest, LibcurlResultsMapToWinHttpNumbers) {
  const std::pair<CURLcode, std::int32_t> cases[] = {
      {CURLE_OK, 0},
      {CURLE_COULDNT_RESOLVE_HOST, winhttp::kNameNotResolved},
      {CURLE_COULDNT_RESOLVE_PROXY, winhttp::kNameNotResolved},
      {CURLE_COULDNT_CONNECT, winhttp::kCannotConnect},
      {CURLE_OPERATION_TIMEDOUT, winhttp::kTimeout},
      {CURLE_RECV_ERROR, winhttp::kConnectionError},
      {CURLE_SEND_ERROR, winhttp::kConnectionError},
      {CURLE_PEER_FAILED_VERIFICATION, winhttp::kSecureFailure},
      {CURLE_SSL_CONNECT_ERROR, winhttp::kSecureFailure},
      {CURLE_FILESIZE_EXCEEDED, winhttp::kResponseOverflow},
      {CURLE_OUT_OF_MEMORY, winhttp::kInternalError},
  };
  for (const auto& [code, error] : cases) {
    SCOPED_TRACE(curl_easy_strerror(code));
    EXPECT_EQ(WinHttpErrorForCurl(code), error);
  }
}

}  // namespace
}  // namespace kelvaro::platform::testing
