// Shortcuts for the transfer tests.
#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/request/HttpTransfer.h"

namespace kelvaro::platform::testing {

// A GET of `url` that never looks at the environment's proxies (setting 1, direct).
inline TransferRequest DirectRequest(std::string_view url, std::string method = "GET") {
  TransferRequest request;
  request.method = std::move(method);
  request.url = PrepareRequestUrl(url, UrlEscaping{}).url;
  request.proxy.setting = 1;
  return request;
}

// Runs the transfer to its end.
inline std::unique_ptr<HttpTransfer> RunToEnd(TransferRequest request) {
  auto transfer = std::make_unique<HttpTransfer>(std::move(request));
  transfer->Drive(std::nullopt);
  return transfer;
}

inline std::string BodyText(const HttpTransfer& transfer) {
  const auto& body = transfer.response().body;
  return std::string(body.begin(), body.end());
}

inline std::chrono::milliseconds Ms(long count) {
  return std::chrono::milliseconds(count);
}

}  // namespace kelvaro::platform::testing
