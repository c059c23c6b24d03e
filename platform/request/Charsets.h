// Conversions between UTF-16 (the automation boundary's strings) and the byte forms the request
// object sends and receives. Every conversion goes through ICU; none throws.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kelvaro::platform {

// The ICU converter name for a platform code page number (65001 UTF-8, 936 GBK, 1252, 28591,
// 1200/1201 UTF-16, 54936 GB18030, ...), or std::nullopt when the code page is unknown.
std::optional<std::string> IcuNameForCodePage(std::int32_t codePage);

// `text` in the charset `icuName`; characters the charset lacks become its substitution
// character, unpaired surrogates likewise. std::nullopt when ICU does not know the name.
std::optional<std::string> EncodeCharset(std::u16string_view text, const std::string& icuName);

// `bytes` decoded from the charset `icuName`; invalid sequences become U+FFFD (or the charset's
// own substitute). std::nullopt when ICU does not know the name.
std::optional<std::u16string> DecodeCharset(std::string_view bytes, const std::string& icuName);

// UTF-8 of `text`; an unpaired surrogate becomes U+FFFD.
std::string ToUtf8(std::u16string_view text);

// Whether `bytes` is well-formed UTF-8.
bool IsValidUtf8(std::string_view bytes);

// The charset parameter of a Content-Type value ("text/html; charset=\"GBK\"" gives "GBK"),
// without quotes; empty when there is none.
std::string CharsetOfContentType(std::string_view contentType);

// The response body as text, the way ResponseText reads it:
//  1. a byte order mark decides first (UTF-8, UTF-16LE, UTF-16BE) and is not part of the text;
//  2. else the charset named by `contentType`; the labels gb2312, gbk, x-gbk, cp936 and
//     csgb2312 all mean code page 936 (GBK), as browsers read them;
//  3. else (no charset, or one ICU does not know) UTF-8.
// Invalid sequences become U+FFFD; NUL bytes stay as U+0000.
std::u16string DecodeResponseText(std::string_view body, std::string_view contentType);

// A response header's bytes (reason phrase, header values) as text: UTF-8 when they are valid
// UTF-8 (plain ASCII included), else code page 936, the system's code page.
std::u16string DecodeHeaderText(std::string_view bytes);

}  // namespace kelvaro::platform
