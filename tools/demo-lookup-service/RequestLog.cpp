#include "tools/demo-lookup-service/RequestLog.h"

namespace kelvaro::demo {

RequestLog::RequestLog(std::FILE* out) : out_(out) {}

void RequestLog::Write(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  text += "\n";
  const std::lock_guard lock(mutex_);
  std::fwrite(text.data(), 1, text.size(), out_);
  std::fflush(out_);
}

}  // namespace kelvaro::demo
