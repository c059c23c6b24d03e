// Registers every automation class of the platform stand-ins: the HTTP request object
// ("WinHttp.WinHttpRequest.5.1") and the charset stream ("adodb.stream"). Start-up calls it once,
// before anything creates an object; calling it again replaces the registrations and is harmless.
#pragma once

namespace kelvaro::platform {

void RegisterPlatformClasses();

}  // namespace kelvaro::platform
