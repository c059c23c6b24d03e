#include "platform/PlatformClasses.h"

#include "platform/request/WinHttpRequest.h"
#include "platform/stream/StreamClass.h"

namespace kelvaro::platform {

void RegisterPlatformClasses() {
  RegisterWinHttpRequestClass();
  RegisterCharsetStreamClass();
}

}  // namespace kelvaro::platform
