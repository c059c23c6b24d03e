// The process's resident memory as the kernel reports it, for tests that check that memory stays
// bounded. Figures are in KiB; 0 when /proc cannot be read.
#pragma once

#include <cstddef>

namespace kelvaro::robustness {

// VmRSS: resident now.
std::size_t ResidentKiB();
// VmHWM: the highest resident size since the start or since the last ResetPeakResident.
std::size_t PeakResidentKiB();
// Starts a new peak from the present resident size.
void ResetPeakResident();

// True in a build with AddressSanitizer, whose quarantine keeps freed memory resident for a
// while; resident figures then say little about what the program holds.
bool UnderAddressSanitizer();

}  // namespace kelvaro::robustness
