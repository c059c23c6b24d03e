// Owning handles over libcurl's easy handle, multi handle and header list: move-only, released
// on destruction. A moved-from handle is empty (get() == nullptr).
#pragma once

#include <curl/curl.h>

#include <memory>
#include <string>

namespace kelvaro::platform {

// Initialises libcurl for the process once; safe to call from any thread, any number of times.
// Returns false when libcurl could not be initialised (every transfer then fails).
bool EnsureCurlInitialised();

struct CurlEasyCleanup {
  void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
struct CurlMultiCleanup {
  void operator()(CURLM* multi) const { curl_multi_cleanup(multi); }
};
struct CurlSlistCleanup {
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

// An easy handle; Create() gives an empty handle when libcurl cannot make one.
class CurlEasy {
 public:
  CurlEasy() = default;
  static CurlEasy Create();

  CURL* get() const { return handle_.get(); }
  explicit operator bool() const { return handle_ != nullptr; }

 private:
  explicit CurlEasy(CURL* easy) : handle_(easy) {}
  std::unique_ptr<CURL, CurlEasyCleanup> handle_;
};

// A multi handle; Create() gives an empty handle when libcurl cannot make one. Every easy handle
// added to it must be removed (or outlive it): libcurl requires removal before the easy handle is
// cleaned up.
class CurlMulti {
 public:
  CurlMulti() = default;
  static CurlMulti Create();

  CURLM* get() const { return handle_.get(); }
  explicit operator bool() const { return handle_ != nullptr; }

 private:
  explicit CurlMulti(CURLM* multi) : handle_(multi) {}
  std::unique_ptr<CURLM, CurlMultiCleanup> handle_;
};

// A header list, in the order of Append calls. An empty list is represented by nullptr, which
// libcurl accepts as "no list".
class CurlSlist {
 public:
  CurlSlist() = default;

  // Appends a copy of `line`. Returns false (list unchanged) when memory runs out.
  bool Append(const std::string& line);
  curl_slist* get() const { return head_.get(); }

 private:
  std::unique_ptr<curl_slist, CurlSlistCleanup> head_;
};

}  // namespace kelvaro::platform
