#include "lookup/LookupProtocol.h"

#include <array>

#include "lookup/LookupSettings.h"
#include "text/TextBetween.h"
#include "text/TextOps.h"

namespace kelvaro {

namespace {

struct Carrier {
  std::string_view code;
  std::string_view name;  // code page 936
};

// The carrier table, in the order CarrierName compares the codes.
constexpr std::array<Carrier, 3> kCarriers{{
    {"1", "\x20\xD6\xD0\xB9\xFA\xB5\xE7\xD0\xC5\xA3\xBB"},  // " 中国电信；" China Telecom
    {"2", "\x20\xD6\xD0\xB9\xFA\xD2\xC6\xB6\xAF\xA3\xBB"},  // " 中国移动；" China Mobile
    {"3", "\x20\xD6\xD0\xB9\xFA\xC1\xAA\xCD\xA8\xA3\xBB"},  // " 中国联通；" China Unicom
}};

}  // namespace

Text PrimingUrl() { return JoinTexts({settings::kLookupBase, "/web/", settings::kPrimingPage}); }

Text BaseInfoUrl(const Text& number) {
  return JoinTexts({settings::kLookupBase, "/web/phone/baseInfo?type=3&number=", number});
}

Text UbInfoUrl(const Text& number, const Text& province, const Text& city,
               const Text& carrierCode) {
  return JoinTexts({settings::kLookupBase, "/web/phone/ubInfo?type=3&number=", number,
                    "&province=", province, "&city=", city, "&p_type=", carrierCode});
}

Text CarrierName(const Text& carrierCode) {
  for (const Carrier& carrier : kCarriers) {
    if (TextEquals(carrierCode, Text(carrier.code))) return Text(carrier.name);
  }
  return {};
}

Text CutField(const Text& answer, const FieldDelimiters& field) {
  return TextBetween(answer, Text(field.left), Text(field.right));
}

}  // namespace kelvaro
