// The object the request object's ResponseStream property hands out: a read-only stream over a
// copy of the response body, taken when the property is read (later requests do not change it).
//
// Members (names matched without regard to letter case):
//   Read(Count: optional Int32) As Variant
//       the next Count bytes from Position as a byte array (fewer at the end); Count omitted or
//       negative: all the rest. At the end of the stream: the empty value. Position advances.
//   Size As Int32          (read only) number of bytes
//   Position As Int32      (read/write) 0 .. Size; writing a value outside fails with error 87
//   EOS As Bool            (read only) Position == Size
#pragma once

#include <cstddef>
#include <span>

#include "platform/automation/AutomationObject.h"

namespace kelvaro::platform {

class ResponseBodyStream final : public AutomationObject {
 public:
  explicit ResponseBodyStream(Bytes bytes) : bytes_(std::move(bytes)) {}

  std::span<const Member> Members() const override;
  Variant Invoke(const Member& member, const Arguments& arguments) override;

 private:
  Bytes bytes_;
  std::size_t position_ = 0;
};

}  // namespace kelvaro::platform
