// An httplib server on 127.0.0.1 (port chosen by the system), serving on its own thread for the
// life of the object.
#pragma once

#include <httplib.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>

namespace kelvaro::platform::testing {

class LoopbackHttpServer {
 public:
  // Plain HTTP.
  explicit LoopbackHttpServer(const std::function<void(httplib::Server&)>& routes)
      : LoopbackHttpServer(std::make_unique<httplib::Server>(), "http", routes) {}
  // HTTPS with the given certificate and key files.
  LoopbackHttpServer(const std::string& certificateFile, const std::string& keyFile,
                     const std::function<void(httplib::Server&)>& routes)
      : LoopbackHttpServer(
            std::make_unique<httplib::SSLServer>(certificateFile.c_str(), keyFile.c_str()), "https",
            routes) {}
  ~LoopbackHttpServer() {
    server_->stop();
    thread_.join();
  }
  LoopbackHttpServer(const LoopbackHttpServer&) = delete;
  LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

  int port() const { return port_; }
  std::string Url(const std::string& path) const {
    return scheme_ + "://127.0.0.1:" + std::to_string(port_) + path;
  }

 private:
  LoopbackHttpServer(std::unique_ptr<httplib::Server> server, std::string scheme,
                     const std::function<void(httplib::Server&)>& routes)
      : server_(std::move(server)), scheme_(std::move(scheme)) {
    routes(*server_);
    port_ = server_->bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { server_->listen_after_bind(); });
    // stop() only works once the server runs.
    while (!server_->is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }

  std::unique_ptr<httplib::Server> server_;
  std::string scheme_;
  int port_ = 0;
  std::thread thread_;
};

}  // namespace kelvaro::platform::testing
