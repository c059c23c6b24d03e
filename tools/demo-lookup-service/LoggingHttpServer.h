// The HTTP library's server, with two changes: each connection is read through a
// RequestHeadTap that writes every request head to a RequestLog exactly as received, and the
// server can be stopped at any moment, also before it has begun to listen.
#pragma once

#include <httplib.h>

#include "tools/demo-lookup-service/RequestLog.h"

namespace kelvaro::demo {

class LoggingHttpServer final : public httplib::Server {
 public:
  // `log` must outlive the server.
  explicit LoggingHttpServer(RequestLog& log);
  ~LoggingHttpServer() override;

  // Closes the listening socket, if one is bound: listen_after_bind returns (at once if called
  // later), and each open connection ends after the request it is serving. Any thread.
  void StopServing();

 private:
  // One connection: requests one after another while the client keeps the connection alive, up to
  // the keep-alive count, then the socket is closed.
  bool process_and_close_socket(socket_t sock) override;
  // Waits until the next request's bytes (or the peer's close) arrive: false after the keep-alive
  // time-out, or as soon as the server is stopping.
  bool WaitForNextRequest(socket_t sock) const;

  RequestLog& log_;
};

}  // namespace kelvaro::demo
