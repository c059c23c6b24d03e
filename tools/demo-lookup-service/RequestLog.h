// The service's request log: every request head as the client sent it, one after another.
#pragma once

#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

namespace kelvaro::demo {

class RequestLog {
 public:
  // Writes to `out`, which the caller keeps open for the log's life.
  explicit RequestLog(std::FILE* out);

  // Writes each line followed by "\n", then an empty line, and flushes, all under one lock, so
  // heads from several connections never interleave. Safe to call from any thread.
  void Write(const std::vector<std::string>& lines);

 private:
  std::FILE* out_;
  std::mutex mutex_;
};

}  // namespace kelvaro::demo
