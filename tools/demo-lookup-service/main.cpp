// kelvaro-demo-service: a stand-in for the lookup service on this machine. See UsageText() in
// CommandLine.cpp for the command line.
//
// SIGINT and SIGTERM are blocked in every thread and taken by the main thread with sigwait, so
// stopping runs as ordinary code: the listening socket is closed, the serving thread returns, and
// the program exits with status 0.
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "tools/demo-lookup-service/CommandLine.h"
#include "tools/demo-lookup-service/DemoHttpServer.h"
#include "tools/demo-lookup-service/DemoService.h"
#include "tools/demo-lookup-service/RequestLog.h"

namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

sigset_t StopSignals() {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  return signals;
}

std::string HostForDisplay(const std::string& host) {
  return host.find(':') == std::string::npos ? host : "[" + host + "]";
}

}  // namespace

int main(int argc, char** argv) {
  using namespace kelvaro::demo;

  const std::vector<std::string_view> arguments(argv + 1, argv + argc);
  const ParsedCommandLine parsed = ParseCommandLine(arguments);
  if (!parsed.options) {
    std::fprintf(stderr, "kelvaro-demo-service: %s\n%s", parsed.error.c_str(), UsageText().data());
    return 2;
  }
  const ServiceOptions& options = *parsed.options;
  if (options.help) {
    std::fputs(UsageText().data(), stdout);
    return 0;
  }

  std::unique_ptr<std::FILE, FileCloser> logFile;
  if (!options.logPath.empty()) {
    logFile.reset(std::fopen(options.logPath.c_str(), "a"));
    if (!logFile) {
      std::perror(("kelvaro-demo-service: cannot open " + options.logPath).c_str());
      return 1;
    }
  }
  RequestLog log(logFile ? logFile.get() : stderr);

  // Before any thread exists, so that every thread inherits the mask. Blocked, the two signals
  // stay pending for sigwait even when the shell started the program with SIGINT ignored.
  const sigset_t stopSignals = StopSignals();
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
  signal(SIGPIPE, SIG_IGN);

  const DemoService service;
  DemoHttpServer server(service, log);
  const int port = server.Bind(options.host, options.port);
  if (port < 0) {
    std::fprintf(stderr, "kelvaro-demo-service: cannot listen on %s port %d\n",
                 options.host.c_str(), options.port);
    return 1;
  }
  std::printf("listening on %s:%d\n", HostForDisplay(options.host).c_str(), port);
  std::fflush(stdout);

  std::atomic<bool> stopping = false;
  std::atomic<bool> failed = false;
  std::thread serving([&] {
    if (!server.Serve() && !stopping) failed = true;
    // Serving ended by itself: wake the main thread as a stop signal would.
    if (!stopping) kill(getpid(), SIGTERM);
  });

  int received = 0;
  sigwait(&stopSignals, &received);
  stopping = true;
  server.Stop();
  serving.join();
  if (failed) {
    std::fputs("kelvaro-demo-service: serving failed\n", stderr);
    return 1;
  }
  return 0;
}
