// Internet charset names (as a web server or a caller writes them) resolved to ICU converters.
//
// Names are matched without regard to case. They follow what the platform means by each name,
// which is not always what the registries say:
//  - "unicode", "utf-16", "utf-16le", "ucs-2" and "iso-10646-ucs-2" are UTF-16 little-endian;
//    "unicodeFFFE" and "utf-16be" are UTF-16 big-endian. "utf-32" is UTF-32 little-endian.
//  - "gb2312", "gbk", "cp936" and the other GB2312 labels are code page 936 (GBK), since
//    text labelled GB2312 is GBK in practice; "gb18030" is GB 18030.
//  - "big5" is code page 950; "shift_jis" code page 932; "ks_c_5601-1987" code page 949.
// Any other name is looked up among the names the Windows and IANA registries give, through
// ICU's alias table. ICU's own internal names, converter options (",version=1"), the empty name
// and anything that is not printable ASCII are refused.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kelvaro::platform {

// The ICU converter name for an internet charset name; nullopt when the name is not known.
std::optional<std::string> IcuConverterNameFor(std::string_view charsetName);

}  // namespace kelvaro::platform
