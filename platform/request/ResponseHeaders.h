// Looking up one header in the header text of a response (lines "Name: value", each ending in
// CR LF, as HttpTransfer keeps them).
#pragma once

#include <optional>
#include <string_view>

namespace kelvaro::platform {

// The value of the first line whose name equals `name` without regard to ASCII letter case, with
// the spaces and tabs around it removed; std::nullopt when no line has that name (an empty name
// never matches). Lines without a colon are skipped.
std::optional<std::string_view> FindHeaderValue(std::string_view headers, std::string_view name);

}  // namespace kelvaro::platform
