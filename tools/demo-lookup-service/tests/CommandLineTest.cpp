#include "tools/demo-lookup-service/CommandLine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kelvaro::demo {
namespace {

using Arguments = std::vector<std::string_view>;

TEST(ParseCommandLineTest, DefaultsToAnyPortOnLoopbackAndStandardError) {
  const ParsedCommandLine parsed = ParseCommandLine({});
  ASSERT_TRUE(parsed.options.has_value());
  EXPECT_EQ(parsed.options->host, "127.0.0.1");
  EXPECT_EQ(parsed.options->port, 0);
  EXPECT_EQ(parsed.options->logPath, "");
  EXPECT_FALSE(parsed.options->help);
}

TEST(ParseCommandLineTest, ReadsEachOptionInBothSpellings) {
  for (const Arguments& arguments :
       {Arguments{"--host", "::1", "--port", "8936", "--log", "/tmp/a b.log"},
        Arguments{"--host=::1", "--port=8936", "--log=/tmp/a b.log"},
        Arguments{"--port", "1", "--host", "0.0.0.0", "--port=8936", "--host", "::1", "--log", "x",
                  "--log=/tmp/a b.log"}}) {
    const ParsedCommandLine parsed = ParseCommandLine(arguments);
    ASSERT_TRUE(parsed.options.has_value()) << parsed.error;
    EXPECT_EQ(parsed.options->host, "::1");
    EXPECT_EQ(parsed.options->port, 8936);
    EXPECT_EQ(parsed.options->logPath, "/tmp/a b.log");
  }
  EXPECT_TRUE(ParseCommandLine({"--help"}).options->help);
  EXPECT_TRUE(ParseCommandLine({"-h"}).options->help);
  EXPECT_EQ(ParseCommandLine({"--port", "65535"}).options->port, 65535);
  EXPECT_EQ(ParseCommandLine({"--port", "0"}).options->port, 0);
}

TEST(ParseCommandLineTest, RefusesWhatItCannotUse) {
  for (const Arguments& arguments :
       {Arguments{"--port"}, Arguments{"--port", "65536"}, Arguments{"--port", "-1"},
        Arguments{"--port", "+80"}, Arguments{"--port", "80x"}, Arguments{"--port", ""},
        Arguments{"--port="}, Arguments{"--port", "99999999999999999999"}, Arguments{"--host"},
        Arguments{"--host="}, Arguments{"--log"}, Arguments{"--verbose"}, Arguments{"8936"},
        Arguments{"--help=yes"}, Arguments{"-p", "80"}}) {
    std::string joined;
    for (std::string_view argument : arguments) joined += std::string(argument) + " ";
    SCOPED_TRACE(joined);
    const ParsedCommandLine parsed = ParseCommandLine(arguments);
    EXPECT_FALSE(parsed.options.has_value());
    EXPECT_FALSE(parsed.error.empty());
  }
}

}  // namespace
}  // namespace kelvaro::demo
