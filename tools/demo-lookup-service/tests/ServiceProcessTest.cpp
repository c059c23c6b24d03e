// kelvaro-demo-service as a user runs it: its command line, its "listening on" line, its log and
// its stop on a signal.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "tools/demo-lookup-service/tests/RawHttp.h"

extern char** environ;

namespace kelvaro::demo {
namespace {

using namespace http_testing;

constexpr int kWaitLimitMilliseconds = RawConnection::kWaitLimitSeconds * 1000;

// The service as a child process with its standard output and error on pipes. Killed if a test
// ends while it still runs.
class ServiceProcess {
 public:
  explicit ServiceProcess(const std::vector<std::string>& arguments) {
    int out[2];
    int err[2];
    if (::pipe(out) != 0 || ::pipe(err) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addclose(&actions, err[0]);
    std::vector<std::string> all{KELVARO_DEMO_SERVICE_PATH};
    all.insert(all.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& argument : all) argv.push_back(argument.data());
    argv.push_back(nullptr);
    if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    ::close(err[1]);
    out_ = out[0];
    err_ = err[0];
  }

  ~ServiceProcess() {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    if (out_ >= 0) ::close(out_);
    if (err_ >= 0) ::close(err_);
  }

  ServiceProcess(const ServiceProcess&) = delete;
  ServiceProcess& operator=(const ServiceProcess&) = delete;

  bool started() const { return pid_ > 0; }

  // The first line of standard output, without its "\n"; nullopt when none comes.
  std::optional<std::string> FirstLine() {
    std::string line;
    while (true) {
      pollfd watched{out_, POLLIN, 0};
      if (::poll(&watched, 1, kWaitLimitMilliseconds) <= 0) return std::nullopt;
      char byte = 0;
      if (::read(out_, &byte, 1) != 1) return std::nullopt;
      if (byte == '\n') return line;
      line += byte;
    }
  }

  // The port of the "listening on 127.0.0.1:PORT" line; 0 when the line is not that.
  int ListeningPort() {
    const std::optional<std::string> line = FirstLine();
    std::smatch match;
    if (!line ||
        !std::regex_match(*line, match, std::regex(R"(listening on 127\.0\.0\.1:(\d+))"))) {
      ADD_FAILURE() << "first line: " << line.value_or("(none)");
      return 0;
    }
    return std::stoi(match[1]);
  }

  void Signal(int signal) { ::kill(pid_, signal); }

  // The exit status; -1 when it ended otherwise (by a signal), or did not end within the wait
  // limit (it is then killed).
  int Wait() {
    int status = 0;
    for (int waited = 0; waited < kWaitLimitMilliseconds; waited += 10) {
      const pid_t ended = ::waitpid(pid_, &status, WNOHANG);
      if (ended == pid_) {
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      }
      if (ended < 0) return -1;
      ::usleep(10 * 1000);
    }
    ADD_FAILURE() << "the service did not end";
    return -1;
  }

  // All that is left on a pipe up to its end (call after Wait).
  static std::string Drain(int descriptor) {
    std::string text;
    char buffer[4096];
    ssize_t count = 0;
    while ((count = ::read(descriptor, buffer, sizeof(buffer))) > 0) {
      text.append(buffer, static_cast<std::size_t>(count));
    }
    return text;
  }
  std::string RestOfOutput() { return Drain(out_); }
  std::string Errors() { return Drain(err_); }

 private:
  pid_t pid_ = -1;
  int out_ = -1;
  int err_ = -1;
};

const std::string kBaseInfoRequest =
    "GET http://lookup.kelvaro.invalid/web/phone/baseInfo?type=3&number=13800138000 HTTP/1.1\r\n"
    "Host: lookup.kelvaro.invalid\r\n\r\n";
const std::string kBaseInfoLog =
    "GET http://lookup.kelvaro.invalid/web/phone/baseInfo?type=3&number=13800138000 HTTP/1.1\n"
    "Host: lookup.kelvaro.invalid\n\n";

TEST(ServiceProcessTest, ServesLogsToAFileAndStopsCleanlyOnEitherSignal) {
  for (int signal : {SIGTERM, SIGINT}) {
    SCOPED_TRACE(signal);
    const std::string logPath = MakeTempFile("demo-service-process-log");
    ServiceProcess service({"--port", "0", "--log", logPath});
    ASSERT_TRUE(service.started());
    const int port = service.ListeningPort();
    ASSERT_GT(port, 0);

    const auto response = Exchange(port, kBaseInfoRequest);
    ASSERT_TRUE(response.has_value());
    EXPECT_EQ(response->status, 200);
    EXPECT_NE(response->body.find(R"("businessId":2,"tradeInterfaceNo")"), std::string::npos);
    EXPECT_EQ(ReadFile(logPath), kBaseInfoLog);

    service.Signal(signal);
    EXPECT_EQ(service.Wait(), 0);
    EXPECT_EQ(service.RestOfOutput(), "");
    EXPECT_EQ(service.Errors(), "");
    ::unlink(logPath.c_str());
  }
}

TEST(ServiceProcessTest, StopsOnSigintAlsoWhenStartedWithItIgnored) {
  // As a shell starts a background job: SIGINT ignored, which the child inherits.
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  struct sigaction previous {};
  ASSERT_EQ(::sigaction(SIGINT, &ignore, &previous), 0);
  ServiceProcess service({});
  ::sigaction(SIGINT, &previous, nullptr);
  ASSERT_TRUE(service.started());
  ASSERT_GT(service.ListeningPort(), 0);
  service.Signal(SIGINT);
  EXPECT_EQ(service.Wait(), 0);
}

TEST(ServiceProcessTest, LogsToStandardErrorByDefault) {
  ServiceProcess service({});
  ASSERT_TRUE(service.started());
  const int port = service.ListeningPort();
  ASSERT_GT(port, 0);
  ASSERT_TRUE(Exchange(port, kBaseInfoRequest).has_value());
  service.Signal(SIGTERM);
  EXPECT_EQ(service.Wait(), 0);
  EXPECT_EQ(service.Errors(), kBaseInfoLog);
}

TEST(ServiceProcessTest, AppendsToAnExistingLog) {
  const std::string logPath = MakeTempFile("demo-service-process-append");
  {
    ServiceProcess first({"--log", logPath});
    const int port = first.ListeningPort();
    ASSERT_GT(port, 0);
    ASSERT_TRUE(Exchange(port, kBaseInfoRequest).has_value());
    first.Signal(SIGTERM);
    EXPECT_EQ(first.Wait(), 0);
  }
  ServiceProcess second({"--log=" + logPath});
  const int port = second.ListeningPort();
  ASSERT_GT(port, 0);
  ASSERT_TRUE(Exchange(port, kBaseInfoRequest).has_value());
  second.Signal(SIGTERM);
  EXPECT_EQ(second.Wait(), 0);
  EXPECT_EQ(ReadFile(logPath), kBaseInfoLog + kBaseInfoLog);
  ::unlink(logPath.c_str());
}

TEST(ServiceProcessTest, ExitsWithAnErrorWhenThePortIsTaken) {
  // A listening socket of the test's own holds the port.
  const int holder = ::socket(AF_INET, SOCK_STREAM, 0);
  ASSERT_GE(holder, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(::bind(holder, reinterpret_cast<const sockaddr*>(&address), sizeof(address)), 0);
  ASSERT_EQ(::listen(holder, 1), 0);
  socklen_t length = sizeof(address);
  ASSERT_EQ(::getsockname(holder, reinterpret_cast<sockaddr*>(&address), &length), 0);
  const std::string port = std::to_string(ntohs(address.sin_port));

  ServiceProcess service({"--port", port});
  ASSERT_TRUE(service.started());
  EXPECT_EQ(service.Wait(), 1);
  EXPECT_EQ(service.RestOfOutput(), "");
  EXPECT_NE(service.Errors().find("cannot listen"), std::string::npos);
  ::close(holder);
}

TEST(ServiceProcessTest, HelpAndWrongArguments) {
  {
    ServiceProcess help({"--help"});
    EXPECT_EQ(help.Wait(), 0);
    EXPECT_NE(help.RestOfOutput().find("usage: kelvaro-demo-service"), std::string::npos);
  }
  {
    ServiceProcess wrong({"--port", "http"});
    EXPECT_EQ(wrong.Wait(), 2);
    const std::string errors = wrong.Errors();
    EXPECT_NE(errors.find("--port"), std::string::npos);
    EXPECT_NE(errors.find("usage:"), std::string::npos);
  }
  {
    ServiceProcess unwritable({"--log", "/nonexistent-folder/log"});
    EXPECT_EQ(unwritable.Wait(), 1);
    EXPECT_NE(unwritable.Errors().find("/nonexistent-folder/log"), std::string::npos);
  }
}

}  // namespace
}  // namespace kelvaro::demo
