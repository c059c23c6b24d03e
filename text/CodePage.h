// The system's one boundary between code page 936 (GBK, the bytes of every Text) and Unicode.
// The GUI, the automation call boundary and the charset stream all convert through here.
//
// Code page 936 is ICU's "windows-936": GBK with 0x80 as the euro sign.
//  - Text -> Unicode: a byte sequence that is not a character of the code page (an invalid pair,
//    an incomplete last character) becomes U+FFFD; everything else converts exactly.
//  - Unicode -> Text: a character the code page lacks (unpaired surrogates included) becomes "?";
//    the result ends before the first U+0000, since a Text holds no zero byte. Invalid UTF-8
//    sequences count as characters the code page lacks.
// Every function is safe to call from any thread (each thread keeps its own converters).
#pragma once

#include <string>
#include <string_view>

#include "text/Text.h"

namespace kelvaro {

std::u16string ToUtf16(const Text& text);
Text FromUtf16(std::u16string_view utf16);

std::string ToUtf8(const Text& text);
Text FromUtf8(std::string_view utf8);

}  // namespace kelvaro
