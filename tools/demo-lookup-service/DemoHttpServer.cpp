#include "tools/demo-lookup-service/DemoHttpServer.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

namespace kelvaro::demo {

DemoHttpServer::DemoHttpServer(const DemoService& service, RequestLog& log) : server_(log) {
  // The library's default also sets SO_REUSEPORT, which would let a second service share a port
  // that is taken instead of failing to bind it. SO_REUSEADDR alone still allows a restart on the
  // same port while old connections linger.
  // TCP_NODELAY (inherited by every accepted connection): the library writes an answer's head and
  // body separately, and with Nagle's algorithm the body of every answer after the first on a
  // kept-alive connection would wait for the client's delayed acknowledgement, some 40 ms.
  server_.set_socket_options([](socket_t sock) {
    const int on = 1;
    setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &on, sizeof(on));
    setsockopt(sock, IPPROTO_TCP, TCP_NODELAY, &on, sizeof(on));
  });
  // Every request goes to the service, whatever its target: the library's router matches
  // origin-form paths only, and a client that uses a proxy sends absolute-form targets.
  server_.set_pre_routing_handler(
      [&service](const httplib::Request& request, httplib::Response& response) {
        const Reply reply = service.Answer(request.method, request.target);
        response.status = reply.status;
        for (const auto& [name, value] : reply.headers) response.set_header(name, value);
        response.set_content(reply.body, reply.contentType);
        return httplib::Server::HandlerResponse::Handled;
      });
}

int DemoHttpServer::Bind(const std::string& host, int port) {
  if (port == 0) return server_.bind_to_any_port(host);
  return server_.bind_to_port(host, port) ? port : -1;
}

bool DemoHttpServer::Serve() {
  return server_.listen_after_bind();
}

void DemoHttpServer::Stop() {
  server_.StopServing();
}

}  // namespace kelvaro::demo
