// Reading an HTTP request target: origin-form ("/path?query") and absolute-form
// ("http://host/path?query", what a client sends through a proxy), the query's values and their
// percent-escapes.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kelvaro::demo {

struct TargetParts {
  std::string_view path;   // begins with "/"; not decoded
  std::string_view query;  // after the first "?"; empty when there is none; not decoded
};

// Splits a request target. Origin-form: it begins with "/". Absolute-form: "http://" or
// "https://" (any case), an authority of any host and port, then the path, which is "/" when the
// authority is followed directly by "?" or by nothing. nullopt for any other form ("*",
// "host:port", an empty text, another scheme). Views point into `target`.
std::optional<TargetParts> SplitTarget(std::string_view target);

// Replaces each "%" followed by two hexadecimal digits (either case) with the byte they give;
// a "%" without them stays as it is. With `plusIsSpace`, "+" becomes a space (query values).
std::string PercentDecode(std::string_view text, bool plusIsSpace);

// The value of the first parameter named `key` in a query of "name=value" pairs joined by "&":
// names and values are percent-decoded ("+" as a space) before use. A parameter without "="
// has the empty value. nullopt when no parameter has that name.
std::optional<std::string> QueryValue(std::string_view query, std::string_view key);

// True when `bytes` is well-formed UTF-8 (no overlong forms, no surrogates, nothing above
// U+10FFFF).
bool IsValidUtf8(std::string_view bytes);

}  // namespace kelvaro::demo
