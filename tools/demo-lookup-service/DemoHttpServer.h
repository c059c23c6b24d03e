// The demo lookup service on a socket: DemoService's answers over HTTP, every request head
// written to a RequestLog.
#pragma once

#include <string>

#include "tools/demo-lookup-service/DemoService.h"
#include "tools/demo-lookup-service/LoggingHttpServer.h"
#include "tools/demo-lookup-service/RequestLog.h"

namespace kelvaro::demo {

class DemoHttpServer {
 public:
  // `service` and `log` must outlive the server.
  DemoHttpServer(const DemoService& service, RequestLog& log);
  DemoHttpServer(const DemoHttpServer&) = delete;
  DemoHttpServer& operator=(const DemoHttpServer&) = delete;

  // Binds and listens on host:port; port 0 lets the system choose. The bound port, or -1 when
  // the address cannot be bound.
  int Bind(const std::string& host, int port);

  // Serves on the bound socket until Stop; returns at once when nothing is bound or Stop came
  // first. Requests are served on a pool of threads. false when serving failed.
  bool Serve();

  // Ends Serve (see LoggingHttpServer::StopServing). Any thread, any time, more than once.
  void Stop();

 private:
  LoggingHttpServer server_;
};

}  // namespace kelvaro::demo
