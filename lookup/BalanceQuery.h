// The balance query: the baseInfo request, then the ubInfo request, and the result line built
// from the fields cut out of both answers. Nothing is validated and nothing is skipped: every run
// sends both requests and builds a line, whatever the answers hold.
#pragma once

#include <functional>

#include "http/HttpClient.h"
#include "text/Text.h"

namespace kelvaro {

// What one run of the query read, cut and built. Every text is empty when its source gave
// nothing.
struct BalanceQueryResult {
  Text carrierCode;
  Text province;
  Text city;
  Text message;
  Text balance;
  Text carrierName;
  Text line;  // the seven pieces joined
  // Whether each Send completed without a failure outcome. The query never looks at these; a
  // caller that reports failures (the command-line front end) does.
  bool baseInfoSent = false;
  bool ubInfoSent = false;
};

// message, carrier name, "手机号归属地：", province, city, "！ 余额：", balance, joined with nothing
// between them.
Text ResultLine(const Text& message, const Text& carrierName, const Text& province,
                const Text& city, const Text& balance);

// Runs the two requests on `client`. `readNumber` is called once before each request, so a
// number that changed in between is the one the second request carries.
BalanceQueryResult RunBalanceQuery(HttpClient& client, const std::function<Text()>& readNumber);

// What the query needs of the window it runs in.
class QueryWindow {
 public:
  virtual ~QueryWindow() = default;
  // The current text of the number edit box, exactly as typed.
  virtual Text NumberText() = 0;
  // Replaces the text the result label shows.
  virtual void ShowResult(const Text& line) = 0;
  // Processes the window events that are waiting, once.
  virtual void ProcessEvents() = 0;
};

// The command behind the query button: RunBalanceQuery with the edit box's text, the line into
// the result label, then the waiting window events processed.
//
// A click that arrives while a query runs can only be dispatched by the query's own last step
// (both requests block the thread, and nothing else dispatches events meanwhile). Such a click
// is not run nested inside the query that dispatched it: it is remembered, and one more query
// runs after the current one has ended, reading the edit box afresh. Clicks while a query runs
// therefore coalesce into one further query, the client is never used by two queries at once,
// and repeated clicking cannot deepen the stack.
void QueryBalance(HttpClient& client, QueryWindow& window);

}  // namespace kelvaro
