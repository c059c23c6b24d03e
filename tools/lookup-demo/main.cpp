// Shows the lookup protocol offline: for each number given, the URLs a query requests and the
// fields it cuts out of sample answers, joined into the result line the window will show.
// Output is UTF-8.
#include <cstdio>
#include <string>

#include "lookup/LookupProtocol.h"
#include "text/CodePage.h"
#include "text/TextOps.h"

namespace {

using kelvaro::FromUtf8;
using kelvaro::Text;

void Show(const Text& number) {
  using namespace kelvaro;
  // Sample answers in the service's shape; the real ones come over HTTP.
  const Text baseInfo = FromUtf8(
      "{\"code\":\"0000\",\"data\":{\"businessId\":2,\"tradeInterfaceNo\":\"QRY01\","
      "\"province\":\"广东\",\"city\":\"深圳\",\"payDiscount\":\"0.98\"}}");
  const Text ubInfo = FromUtf8(
      "{\"message\":\"查询成功\",\"result\":\"0\",\"data\":{\"balance\":\"36.20\","
      "\"username\":\"*\"}}");

  const Text code = CutField(baseInfo, kCarrierCodeField);
  const Text province = CutField(baseInfo, kProvinceField);
  const Text city = CutField(baseInfo, kCityField);
  const Text line = JoinTexts({CutField(ubInfo, kMessageField), CarrierName(code),
                               FromUtf8("手机号归属地："), province, city, FromUtf8("！ 余额："),
                               CutField(ubInfo, kBalanceField)});
  std::printf("priming:  %s\n", ToUtf8(PrimingUrl()).c_str());
  std::printf("baseInfo: %s\n", ToUtf8(BaseInfoUrl(number)).c_str());
  std::printf("ubInfo:   %s\n", ToUtf8(UbInfoUrl(number, province, city, code)).c_str());
  std::printf("result:   %s\n", ToUtf8(line).c_str());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: lookup-demo NUMBER...\n");
    return 2;
  }
  for (int i = 1; i < argc; ++i) Show(FromUtf8(argv[i]));
  return 0;
}
