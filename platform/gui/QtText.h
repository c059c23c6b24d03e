// Texts crossing between the system (code page 936) and the toolkit (UTF-16), always through the
// one code-page boundary of text/CodePage.h.
#pragma once

#include <QString>

#include "text/Text.h"

namespace kelvaro::platform {

QString ToQString(const Text& text);
// Characters the code page lacks become "?"; the text ends before a U+0000.
Text FromQString(const QString& string);

// A label is one small fixed area: it draws at most this many characters of its text, far more
// than any label can show. The rest is not laid out, so that a huge text (an answer of tens of
// megabytes) costs neither seconds nor gigabytes at every paint; the control keeps its whole text.
inline constexpr qsizetype kLabelDisplayLimit = 4096;

// A label's text as the toolkit draws it: its first kLabelDisplayLimit characters, where a
// wrapping label starts a new line at each CR LF (and at a lone CR or LF) and a single-line label
// drops CR and LF.
QString LabelDisplayText(const Text& text, bool wordWrap);

}  // namespace kelvaro::platform
