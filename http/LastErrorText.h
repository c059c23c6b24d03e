// The texts that HttpClient::LastError shows for each outcome of an automation call.
#pragma once

#include "platform/automation/CallOutcome.h"
#include "text/Text.h"

namespace kelvaro {

// The empty text for Success; otherwise the outcome's fixed text in code page 936.
Text LastErrorText(platform::CallOutcome outcome);

}  // namespace kelvaro
