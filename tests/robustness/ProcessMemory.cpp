#include "tests/robustness/ProcessMemory.h"

#include <cstdlib>
#include <fstream>
#include <string>

namespace kelvaro::robustness {

namespace {

std::size_t StatusFieldKiB(const std::string& field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(field + ":", 0) == 0)
      return static_cast<std::size_t>(std::strtoull(line.c_str() + field.size() + 1, nullptr, 10));
  }
  return 0;
}

}  // namespace

std::size_t ResidentKiB() {
  return StatusFieldKiB("VmRSS");
}

std::size_t PeakResidentKiB() {
  return StatusFieldKiB("VmHWM");
}

void ResetPeakResident() {
  // Writing 5 to clear_refs resets the peak resident size to the present one.
  std::ofstream("/proc/self/clear_refs") << "5";
}

bool UnderAddressSanitizer() {
#if defined(__SANITIZE_ADDRESS__)
  return true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
  return true;
#else
  return false;
#endif
#else
  return false;
#endif
}

}  // namespace kelvaro::robustness
