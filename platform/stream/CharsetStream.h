// CharsetStream: the platform's stream automation object, created by the ProgID "adodb.stream"
// (StreamClass.h). An in-memory stream of bytes that is read and written either as bytes
// (binary mode) or as text in a named charset (text mode). The system uses it to decode response
// bodies: binary mode, Open, Write the bytes, Position = 0, text mode, Charset, ReadText, Close.
//
// Published members (names match without regard to letter case):
//   Type           property, Int32, read/write. 1 binary, 2 text; 2 at creation. Writable while
//                  closed, or while open at Position 0 only.
//   Mode           property, Int32, read/write. Access 0 unknown (read/write), 1 read, 2 write,
//                  3 read/write, optionally with one share flag 4, 8, 12 or 16 (accepted, no
//                  effect: nothing else shares the stream); 0 at creation. Writable while closed.
//   Charset        property, String, read/write. An internet charset name (CharsetNames.h),
//                  "Unicode" (UTF-16 little-endian) at creation; reads back as written. Writable
//                  while closed, or while open at Position 0 only; an unknown name is refused and
//                  the charset stays as it was.
//   LineSeparator  property, Int32, read/write. -1 CR LF (at creation), 10 LF, 13 CR; what
//                  ReadText(-2) and WriteText(..., 1) use.
//   State          property, Int32, read. 0 closed, 1 open.
//   Position       property, Int32, read/write, open only. The byte position of the next read or
//                  write, 0 to Size. Writing a position beyond Size extends the stream with zero
//                  bytes up to it (a read-only stream refuses that); a negative one is refused.
//   Size           property, Int32, read, open only. The number of bytes in the stream.
//   EOS            property, Bool, read, open only. Position is at Size.
//   Open([Source], [Mode], [Options], [UserName], [Password])
//                  Opens an empty stream at Position 0. A Mode given replaces the Mode property.
//                  Options, UserName and Password are accepted and have no effect. A Source that
//                  is given and not empty (Empty or "") is refused: nothing is loaded from outside.
//   Close()        Closes the stream and discards its bytes. Type, Mode, Charset and
//                  LineSeparator stay as they are.
//   Write(Buffer)  Binary mode. Writes the bytes of a byte-array Variant at Position, over what
//                  is there and beyond, and moves Position past them.
//   Read([NumBytes]) -> Bytes
//                  Binary mode. Up to NumBytes bytes from Position (-1, the default, for all the
//                  rest); moves Position past them. No bytes at the end of the stream.
//   ReadText([NumChars]) -> String
//                  Text mode. Decodes the bytes from Position by the charset: -1 (the default)
//                  all the rest, -2 up to the next line separator (which is read but not
//                  returned), n >= 0 at most n characters (a surrogate pair counts as one).
//                  Moves Position past the bytes read. Reading from Position 0 skips the
//                  charset's byte-order mark (UTF-8, UTF-16 and UTF-32 only). Byte sequences that
//                  are not characters of the charset read as U+FFFD. Decoding the rest of the
//                  stream takes time and memory linear in its size.
//   WriteText(Data, [Options])
//                  Text mode. Encodes Data by the charset at Position (0, the default, as it is;
//                  1 followed by the line separator) and moves Position past it. Writing at
//                  Position 0 puts the charset's byte-order mark first (UTF-8, UTF-16, UTF-32).
//                  Characters the charset lacks are written as "?".
//
// Errors (StreamErrors.h) raise the platform's error numbers: 3704 for a member that needs an
// open stream, 3705 for Open or Mode while open, 3219 for a member the mode or position does not
// allow (Type or Charset away from Position 0, ReadText/WriteText in binary mode, Read in text
// mode, reading a write-only or writing a read-only stream), 3001 for values out of range
// (unknown charset, bad Type, Mode, Position, LineSeparator, count or option, Write of anything
// but bytes, Write in text mode, more than 2^31 - 1 bytes), 3251 for Open with a Source. A
// failed call changes nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/automation/AutomationObject.h"
#include "platform/stream/CharsetCodec.h"

namespace kelvaro::platform {

class CharsetStream final : public AutomationObject {
 public:
  CharsetStream();

  std::span<const Member> Members() const override;
  Variant Invoke(const Member& member, const Arguments& arguments) override;

 private:
  Variant PutType(std::int32_t type);
  Variant PutMode(std::int32_t mode);
  Variant PutCharset(const std::u16string& name);
  Variant PutLineSeparator(std::int32_t separator);
  Variant PutPosition(std::int32_t position);
  Variant Open(const Arguments& arguments);
  Variant Close();
  Variant Write(const Variant& buffer);
  Variant Read(const Arguments& arguments);
  Variant ReadText(const Arguments& arguments);
  Variant WriteText(const Arguments& arguments);

  void RequireOpen() const;
  void RequireType(std::int32_t type) const;
  void RequireReadable() const;
  void RequireWritable() const;
  // Puts `bytes` at the position, over what is there and beyond, and moves the position past.
  void WriteAtPosition(std::span<const std::uint8_t> bytes);
  // The bytes from the position to the end.
  std::span<const std::uint8_t> Rest() const;
  std::u16string_view LineSeparatorText() const;
  CharsetCodec& Codec();

  bool open_ = false;
  std::int32_t type_;
  std::int32_t mode_;
  std::int32_t lineSeparator_;
  std::u16string charsetName_;
  std::optional<CharsetCodec> codec_;  // made from charsetName_ when first needed
  std::vector<std::uint8_t> bytes_;
  std::size_t position_ = 0;
};

}  // namespace kelvaro::platform
