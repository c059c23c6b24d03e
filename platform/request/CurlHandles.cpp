#include "platform/request/CurlHandles.h"

#include <mutex>

namespace kelvaro::platform {

bool EnsureCurlInitialised() {
  static std::once_flag once;
  static bool initialised = false;
  std::call_once(once, [] { initialised = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK; });
  return initialised;
}

CurlEasy CurlEasy::Create() {
  if (!EnsureCurlInitialised()) return CurlEasy();
  return CurlEasy(curl_easy_init());
}

CurlMulti CurlMulti::Create() {
  if (!EnsureCurlInitialised()) return CurlMulti();
  return CurlMulti(curl_multi_init());
}

bool CurlSlist::Append(const std::string& line) {
  curl_slist* appended = curl_slist_append(head_.get(), line.c_str());
  if (appended == nullptr) return false;
  // curl_slist_append returns the head: the old one, or a new one when the list was empty.
  if (head_ == nullptr) head_.reset(appended);
  return true;
}

}  // namespace kelvaro::platform
