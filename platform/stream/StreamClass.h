// Registration of the charset stream (CharsetStream.h) with the automation class registry.
#pragma once

#include <string_view>

namespace kelvaro::platform {

// The ProgID the system creates the stream by; the registry ignores letter case.
inline constexpr std::string_view kCharsetStreamProgId = "adodb.stream";

// Registers CharsetStream under kCharsetStreamProgId, replacing an earlier registration under
// that ProgID. Start-up calls it once before any stream is created; calling it again is harmless.
void RegisterCharsetStreamClass();

}  // namespace kelvaro::platform
