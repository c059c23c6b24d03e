// Owning handle over an ICU converter: move-only, closed on destruction.
#pragma once

#include <unicode/ucnv.h>

#include <memory>

namespace kelvaro {

struct IcuConverterCloser {
  void operator()(UConverter* converter) const { ucnv_close(converter); }
};
using IcuConverter = std::unique_ptr<UConverter, IcuConverterCloser>;

// Opens the converter of the given ICU name; nullptr when ICU does not know the name.
IcuConverter OpenIcuConverter(const char* name);

}  // namespace kelvaro
