#include "text/Text.h"

#include <utility>

namespace kelvaro {

namespace {
std::string_view UpToFirstZero(std::string_view bytes) {
  const std::size_t zero = bytes.find('\0');
  return zero == std::string_view::npos ? bytes : bytes.substr(0, zero);
}
}  // namespace

Text::Text(std::string_view bytes) : bytes_(UpToFirstZero(bytes)) {}

Text::Text(std::string&& bytes) : bytes_(std::move(bytes)) {
  const std::size_t zero = bytes_.find('\0');
  if (zero != std::string::npos) bytes_.resize(zero);
}

Text::Text(const char* bytes) {
  if (bytes != nullptr) bytes_ = bytes;
}

Text Text::FromBytes(std::span<const std::uint8_t> bytes) {
  // NOLINTNEXTLINE(cppcoreguidelines-pro-type-reinterpret-cast): bytes viewed as chars.
  return Text(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

Text& Text::Append(std::string_view more) {
  bytes_ += UpToFirstZero(more);
  return *this;
}

}  // namespace kelvaro
