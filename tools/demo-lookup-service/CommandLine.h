// The command line of kelvaro-demo-service.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvaro::demo {

struct ServiceOptions {
  std::string host = "127.0.0.1";
  int port = 0;         // 0: any free port
  std::string logPath;  // empty: the log goes to standard error
  bool help = false;
};

struct ParsedCommandLine {
  std::optional<ServiceOptions> options;  // nullopt when the command line is wrong
  std::string error;                      // why it is wrong
};

// Reads the arguments after the program name: --host ADDRESS, --port N (0 to 65535, digits
// only), --log FILE, each also as --name=value, and --help (-h). A later option overrides an
// earlier one. An unknown option, a missing or empty value, or a bad port is an error.
ParsedCommandLine ParseCommandLine(const std::vector<std::string_view>& arguments);

// The usage text, ending with a newline.
std::string_view UsageText();

}  // namespace kelvaro::demo
