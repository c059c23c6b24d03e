#include "platform/stream/StreamClass.h"

#include <memory>

#include "platform/automation/ClassRegistry.h"
#include "platform/stream/CharsetStream.h"

namespace kelvaro::platform {

void RegisterCharsetStreamClass() {
  RegisterClass(kCharsetStreamProgId, [] { return std::make_shared<CharsetStream>(); });
}

}  // namespace kelvaro::platform
