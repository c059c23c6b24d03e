#include "tools/demo-lookup-service/CommandLine.h"

#include <charconv>

namespace kelvaro::demo {

namespace {

constexpr int kMaxPort = 65535;

std::optional<int> ParsePort(std::string_view text) {
  int port = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), port);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || port < 0 ||
      port > kMaxPort || text.front() == '-' || text.front() == '+') {
    return std::nullopt;
  }
  return port;
}

ParsedCommandLine Failure(std::string error) {
  return {std::nullopt, std::move(error)};
}

}  // namespace

ParsedCommandLine ParseCommandLine(const std::vector<std::string_view>& arguments) {
  ServiceOptions options;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    std::string_view name = arguments[i];
    if (name == "--help" || name == "-h") {
      options.help = true;
      continue;
    }
    std::optional<std::string_view> value;
    if (const std::size_t equals = name.find('='); name.starts_with("--") && equals != name.npos) {
      value = name.substr(equals + 1);
      name = name.substr(0, equals);
    }
    if (name != "--host" && name != "--port" && name != "--log") {
      return Failure("unknown option " + std::string(arguments[i]));
    }
    if (!value) {
      if (i + 1 == arguments.size()) return Failure(std::string(name) + " needs a value");
      value = arguments[++i];
    }
    if (value->empty()) return Failure(std::string(name) + " needs a value");
    if (name == "--host") {
      options.host = *value;
    } else if (name == "--log") {
      options.logPath = *value;
    } else if (const std::optional<int> port = ParsePort(*value)) {
      options.port = *port;
    } else {
      return Failure("--port takes a number from 0 to 65535, not " + std::string(*value));
    }
  }
  return {options, {}};
}

std::string_view UsageText() {
  return "usage: kelvaro-demo-service [--host ADDRESS] [--port N] [--log FILE]\n"
         "\n"
         "Answers Kelvaro's lookup requests (the priming page, baseInfo and ubInfo) for mainland\n"
         "China mobile numbers, both directly and as an HTTP proxy for any host, so that the\n"
         "program reaches it with its built-in lookup address through http_proxy.\n"
         "\n"
         "  --host ADDRESS  address to listen on (default 127.0.0.1)\n"
         "  --port N        port to listen on; 0 (the default) lets the system choose\n"
         "  --log FILE      append each request head (request line, header lines, an empty\n"
         "                  line) to FILE instead of standard error\n"
         "\n"
         "Prints \"listening on ADDRESS:PORT\" once it listens; stops on SIGINT or SIGTERM.\n"
         "Example:\n"
         "  kelvaro-demo-service --port 8936 &\n"
         "  http_proxy=http://127.0.0.1:8936 kelvaro\n";
}

}  // namespace kelvaro::demo
