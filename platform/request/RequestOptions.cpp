#include "platform/request/RequestOptions.h"

#include <algorithm>

#include "platform/automation/AutomationObject.h"
#include "platform/automation/Coercion.h"
#include "platform/request/Charsets.h"
#include "platform/request/WinHttpErrors.h"

namespace kelvaro::platform {

namespace {

enum class OptionKind { String, Int, Bool, ReadOnlyString };

constexpr std::array<OptionKind, RequestOptions::kCount> kKinds = {
    OptionKind::String,          // 0 UserAgentString
    OptionKind::ReadOnlyString,  // 1 URL
    OptionKind::Int,             // 2 URLCodePage
    OptionKind::Bool,            // 3 EscapePercentInURL
    OptionKind::Int,             // 4 SslErrorIgnoreFlags
    OptionKind::Bool,            // 5 SelectCertificate
    OptionKind::Bool,            // 6 EnableRedirects
    OptionKind::Bool,            // 7 UrlEscapeDisable
    OptionKind::Bool,            // 8 UrlEscapeDisableQuery
    OptionKind::Int,             // 9 SecureProtocols
    OptionKind::Bool,            // 10 EnableTracing
    OptionKind::Bool,            // 11 RevertImpersonationOverSsl
    OptionKind::Bool,            // 12 EnableHttpsToHttpRedirects
    OptionKind::Bool,            // 13 EnablePassportAuthentication
    OptionKind::Int,             // 14 MaxAutomaticRedirects
    OptionKind::Int,             // 15 MaxResponseHeaderSize
    OptionKind::Int,             // 16 MaxResponseDrainSize
    OptionKind::Bool,            // 17 EnableHttp1_1
    OptionKind::Bool,            // 18 EnableCertificateRevocationCheck
};

constexpr std::int32_t kIgnorableSslErrors = 0x0100 | 0x0200 | 0x1000 | 0x2000;
constexpr std::int32_t kSsl2 = 0x0008, kSsl3 = 0x0020, kTls10 = 0x0080, kTls11 = 0x0200,
                       kTls12 = 0x0800, kTls13 = 0x2000;
constexpr std::int32_t kKnownProtocols = kSsl2 | kSsl3 | kTls10 | kTls11 | kTls12 | kTls13;

[[noreturn]] void Refuse() {
  throw AutomationError(winhttp::kInvalidParameter, u"The parameter is incorrect.");
}

// The content of `value` (known to be of type T), or T's empty value.
template <typename T>
T ContentOr(const T* content) {
  return content != nullptr ? *content : T{};
}

Variant Converted(const Variant& value, ValueKind kind) {
  Variant out;
  const CallOutcome outcome = ConvertVariant(value, kind, out);
  if (outcome != CallOutcome::Success) throw AutomationError::WithOutcome(outcome);
  return out;
}

bool ValidIntOption(std::int32_t index, std::int32_t value) {
  switch (index) {
    case 2:
      return IcuNameForCodePage(value).has_value();
    case 4:
      return (value & ~kIgnorableSslErrors) == 0;
    case 9:
      return (value & ~kKnownProtocols) == 0;
    case 14:
      return value >= 0;
    case 15:
    case 16:
      return value > 0;
    default:
      return true;
  }
}

}  // namespace

RequestOptions::RequestOptions() : userAgent_(kDefaultUserAgent) {
  ints_[2] = 65001;
  ints_[9] = kTls10 | kTls11 | kTls12 | kTls13;
  ints_[14] = 10;
  ints_[15] = 64 * 1024;
  ints_[16] = 1024 * 1024;
  bools_[5] = true;
  bools_[6] = true;
  bools_[11] = true;
  bools_[17] = true;
}

Variant RequestOptions::Get(std::int32_t index, const std::string& url) const {
  if (index < 0 || index >= kCount) Refuse();
  const auto slot = static_cast<std::size_t>(index);
  switch (kKinds[slot]) {
    case OptionKind::String:
      return Variant(userAgent_);
    case OptionKind::ReadOnlyString:
      return Variant(DecodeHeaderText(url));
    case OptionKind::Int:
      return Variant(ints_[slot]);
    case OptionKind::Bool:
      return Variant(bools_[slot]);
  }
  Refuse();
}

void RequestOptions::Put(std::int32_t index, const Variant& value) {
  if (index < 0 || index >= kCount) Refuse();
  const auto slot = static_cast<std::size_t>(index);
  switch (kKinds[slot]) {
    case OptionKind::ReadOnlyString:
      Refuse();
    case OptionKind::String: {
      std::u16string agent = ContentOr(Converted(value, ValueKind::String).IfString());
      if (std::any_of(agent.begin(), agent.end(),
                      [](char16_t c) { return c < 0x20 || c == 0x7F; })) {
        Refuse();
      }
      userAgent_ = std::move(agent);
      return;
    }
    case OptionKind::Int: {
      const std::int32_t number = ContentOr(Converted(value, ValueKind::Int32).IfInt32());
      if (!ValidIntOption(index, number)) Refuse();
      ints_[slot] = number;
      return;
    }
    case OptionKind::Bool:
      bools_[slot] = ContentOr(Converted(value, ValueKind::Bool).IfBool());
      return;
  }
}

TlsVersions RequestOptions::tlsVersions() const {
  const std::int32_t flags = ints_[9];
  TlsVersions versions{14, 9};  // none allowed unless a TLS bit is set
  const std::pair<std::int32_t, int> bits[] = {
      {kTls10, 10}, {kTls11, 11}, {kTls12, 12}, {kTls13, 13}};
  for (const auto& [bit, version] : bits) {
    if ((flags & bit) == 0) continue;
    versions.lowest = std::min(versions.lowest, version);
    versions.highest = std::max(versions.highest, version);
  }
  return versions;
}

}  // namespace kelvaro::platform
