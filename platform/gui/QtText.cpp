#include "platform/gui/QtText.h"

#include "text/CodePage.h"

namespace kelvaro::platform {

QString ToQString(const Text& text) {
  const std::u16string utf16 = ToUtf16(text);
  return QString::fromUtf16(utf16.data(), static_cast<qsizetype>(utf16.size()));
}

Text FromQString(const QString& string) {
  return FromUtf16(std::u16string_view(reinterpret_cast<const char16_t*>(string.utf16()),
                                       static_cast<std::size_t>(string.size())));
}

QString LabelDisplayText(const Text& text, bool wordWrap) {
  // A character of the code page is one or two bytes and one UTF-16 unit, so these bytes hold
  // every character that is drawn; a character they cut in half lies past the limit.
  const std::size_t bytesNeeded = 2 * static_cast<std::size_t>(kLabelDisplayLimit) + 2;
  QString shown =
      ToQString(text.size() <= bytesNeeded ? text : Text(text.bytes().substr(0, bytesNeeded)));
  shown.truncate(kLabelDisplayLimit);
  if (wordWrap) {
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  } else {
    shown.remove(QLatin1Char('\r'));
    shown.remove(QLatin1Char('\n'));
  }
  return shown;
}

}  // namespace kelvaro::platform
