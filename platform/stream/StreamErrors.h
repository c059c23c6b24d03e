// The errors the charset stream raises, with the platform's numbers and descriptions for them.
// A failed member call leaves the stream as it was.
#pragma once

#include <cstdint>
#include <string_view>

namespace kelvaro::platform {

struct StreamError {
  std::int32_t number;
  std::u16string_view description;
};

// A value out of range or of the wrong kind: an unknown charset name, a Type, Mode, Position,
// LineSeparator, count or option the stream does not know, Write given anything but a byte
// array, or Write while the stream is in text mode, or data beyond the largest stream size.
inline constexpr StreamError kInvalidArgument{
    3001,
    u"Arguments are of the wrong type, are out of acceptable range, or are in conflict with one "
    u"another."};

// A member that the stream's present state does not allow: Type or Charset written away from
// position 0, ReadText or WriteText in binary mode, Read in text mode, reading a write-only or
// writing a read-only stream.
inline constexpr StreamError kNotAllowedInContext{3219,
                                                  u"Operation is not allowed in this context."};

// Open with a source to load: the stream holds only what is written into it.
inline constexpr StreamError kNotCapable{
    3251, u"Object or provider is not capable of performing requested operation."};

// Any member but Open, Type, Mode, Charset, LineSeparator and State on a closed stream.
inline constexpr StreamError kObjectClosed{3704,
                                           u"Operation is not allowed when the object is closed."};

// Open on an open stream, and writing Mode while the stream is open.
inline constexpr StreamError kObjectOpen{3705,
                                         u"Operation is not allowed when the object is open."};

}  // namespace kelvaro::platform
