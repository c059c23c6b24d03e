// Cookies as plain texts: reading them out of a response's header text and merging cookie texts.
// There is no cookie store and no attribute (path, domain, expiry) handling.
//
// A header text holds one header per line, each line ending in CR LF. A cookie text holds entries
// name=value separated by ";".
#pragma once

#include "text/Text.h"

namespace kelvaro {

// The value of the first Set-Cookie line whose first entry is `name`=: the bytes up to the next
// ";" (which may lie on a later line). The header name "Set-Cookie" and the cookie name match byte
// for byte; "Set-Cookie: " with a space is tried first, then "Set-Cookie:" without. The empty text
// when the header text is empty or nothing matches.
Text CookieValueIn(const Text& headerText, const Text& name);

// The first entries of all Set-Cookie lines (header name found without regard to case), each up
// to its ";", joined with "; ", without a trailing ";". Entries ending in "=deleted;",
// "=DELETED;" or "=Deleted;" are left out. The search ends at the first Set-Cookie line with no
// ";" after it. The empty text when there is none.
Text CollectSetCookiesIn(const Text& headerText);

// Merges the cookie text `newCookies` into `oldCookies` and returns the merged text, in which
// every entry ends with ";" and entries are separated by one space. Writes back: `oldCookies`
// receives the merged text and `newCookies` its trimmed form with ";" appended.
// An item of `newCookies` without "=" is ignored; a name found in the old text (without regard to
// case, as a plain substring) has its old value replaced, otherwise the item is appended; entries
// with an empty value or the value "deleted" are dropped.
Text MergeCookieTexts(Text& oldCookies, Text& newCookies);

}  // namespace kelvaro
