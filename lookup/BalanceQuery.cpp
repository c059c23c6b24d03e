#include "lookup/BalanceQuery.h"

#include "lookup/LookupProtocol.h"
#include "platform/automation/CallOutcome.h"
#include "text/TextOps.h"

namespace kelvaro {

namespace {

// "手机号归属地：" and "！ 余额：" in code page 936.
constexpr const char* kHomeLabel = "\xCA\xD6\xBB\xFA\xBA\xC5\xB9\xE9\xCA\xF4\xB5\xD8\xA3\xBA";
constexpr const char* kBalanceLabel = "\xA3\xA1\x20\xD3\xE0\xB6\xEE\xA3\xBA";

// Open "GET" (asynchronous flag not given), Send with no body, and the answer read as UTF-8.
Text Request(HttpClient& client, Text url, bool& sent) {
  client.Open(Text("GET"), url);
  client.Send();
  sent = platform::LastCallOutcome() == platform::CallOutcome::Success;
  return client.ResponseBodyUtf8();
}

}  // namespace

Text ResultLine(const Text& message, const Text& carrierName, const Text& province,
                const Text& city, const Text& balance) {
  return JoinTexts({message, carrierName, kHomeLabel, province, city, kBalanceLabel, balance});
}

BalanceQueryResult RunBalanceQuery(HttpClient& client, const std::function<Text()>& readNumber) {
  BalanceQueryResult result;
  const Text baseInfo = Request(client, BaseInfoUrl(readNumber()), result.baseInfoSent);
  // Each cut searches the whole answer afresh.
  result.carrierCode = CutField(baseInfo, kCarrierCodeField);
  result.province = CutField(baseInfo, kProvinceField);
  result.city = CutField(baseInfo, kCityField);

  const Text ubInfo =
      Request(client, UbInfoUrl(readNumber(), result.province, result.city, result.carrierCode),
              result.ubInfoSent);
  result.message = CutField(ubInfo, kMessageField);
  result.balance = CutField(ubInfo, kBalanceField);

  result.carrierName = CarrierName(result.carrierCode);
  result.line = ResultLine(result.message, result.carrierName, result.province, result.city,
                           result.balance);
  return result;
}

void QueryBalance(HttpClient& client, QueryWindow& window) {
  // One query at a time per thread; see the header for why a click during a query is deferred.
  thread_local bool running = false;
  thread_local bool clickedMeanwhile = false;
  if (running) {
    clickedMeanwhile = true;
    return;
  }
  running = true;
  do {
    clickedMeanwhile = false;
    const BalanceQueryResult result = RunBalanceQuery(client, [&] { return window.NumberText(); });
    window.ShowResult(result.line);
    window.ProcessEvents();
  } while (clickedMeanwhile);
  running = false;
}

}  // namespace kelvaro
