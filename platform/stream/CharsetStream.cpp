#include "platform/stream/CharsetStream.h"

#include <algorithm>
#include <limits>
#include <utility>
#include <vector>

#include "platform/stream/StreamErrors.h"

namespace kelvaro::platform {

namespace {

enum MemberId {
  kTypeGet,
  kTypePut,
  kModeGet,
  kModePut,
  kCharsetGet,
  kCharsetPut,
  kLineSeparatorGet,
  kLineSeparatorPut,
  kStateGet,
  kPositionGet,
  kPositionPut,
  kSizeGet,
  kEosGet,
  kOpen,
  kClose,
  kWrite,
  kRead,
  kReadText,
  kWriteText,
};

constexpr std::int32_t kTypeBinary = 1;
constexpr std::int32_t kTypeText = 2;

constexpr std::int32_t kModeUnknown = 0;
constexpr std::int32_t kAccessMask = 3;
constexpr std::int32_t kAccessRead = 1;
constexpr std::int32_t kAccessWrite = 2;

constexpr std::int32_t kSeparatorCrLf = -1;
constexpr std::int32_t kSeparatorLf = 10;
constexpr std::int32_t kSeparatorCr = 13;

constexpr std::int32_t kReadAll = -1;
constexpr std::int32_t kReadLine = -2;

constexpr std::int32_t kWriteChar = 0;
constexpr std::int32_t kWriteLine = 1;

// Positions and sizes cross the call boundary as 32-bit numbers.
constexpr std::size_t kLargestSize = std::numeric_limits<std::int32_t>::max();

[[noreturn]] void Raise(const StreamError& error) {
  throw AutomationError(error.number, std::u16string(error.description));
}

bool IsValidMode(std::int32_t mode) {
  if (mode < 0) return false;
  const std::int32_t share = mode & ~kAccessMask;
  return share == 0 || share == 4 || share == 8 || share == 12 || share == 16;
}

// A Source that names something to load; Empty and the empty string name nothing.
bool NamesASource(const Variant& source) {
  if (source.IsEmpty()) return false;
  const std::u16string* text = source.IfString();
  return text == nullptr || !text->empty();
}

std::int32_t AsInt32(std::size_t value) {
  return static_cast<std::int32_t>(value);
}

}  // namespace

CharsetStream::CharsetStream()
    : type_(kTypeText),
      mode_(kModeUnknown),
      lineSeparator_(kSeparatorCrLf),
      charsetName_(u"Unicode") {}

std::span<const Member> CharsetStream::Members() const {
  using enum MemberKind;
  static const std::vector<Member> members = {
      {"Type", PropertyGet, {}, ValueKind::Int32, kTypeGet},
      {"Type", PropertyPut, {{ValueKind::Int32}}, ValueKind::Void, kTypePut},
      {"Mode", PropertyGet, {}, ValueKind::Int32, kModeGet},
      {"Mode", PropertyPut, {{ValueKind::Int32}}, ValueKind::Void, kModePut},
      {"Charset", PropertyGet, {}, ValueKind::String, kCharsetGet},
      {"Charset", PropertyPut, {{ValueKind::String}}, ValueKind::Void, kCharsetPut},
      {"LineSeparator", PropertyGet, {}, ValueKind::Int32, kLineSeparatorGet},
      {"LineSeparator", PropertyPut, {{ValueKind::Int32}}, ValueKind::Void, kLineSeparatorPut},
      {"State", PropertyGet, {}, ValueKind::Int32, kStateGet},
      {"Position", PropertyGet, {}, ValueKind::Int32, kPositionGet},
      {"Position", PropertyPut, {{ValueKind::Int32}}, ValueKind::Void, kPositionPut},
      {"Size", PropertyGet, {}, ValueKind::Int32, kSizeGet},
      {"EOS", PropertyGet, {}, ValueKind::Bool, kEosGet},
      // Open(Source, Mode, Options, UserName, Password), all optional.
      {"Open",
       Method,
       {{ValueKind::Variant, true},
        {ValueKind::Int32, true},
        {ValueKind::Int32, true},
        {ValueKind::String, true},
        {ValueKind::String, true}},
       ValueKind::Void,
       kOpen},
      {"Close", Method, {}, ValueKind::Void, kClose},
      // The buffer is a Variant so that a wrong kind is this stream's error, not a coercion's.
      {"Write", Method, {{ValueKind::Variant}}, ValueKind::Void, kWrite},
      {"Read", Method, {{ValueKind::Int32, true}}, ValueKind::ByteArray, kRead},
      {"ReadText", Method, {{ValueKind::Int32, true}}, ValueKind::String, kReadText},
      {"WriteText",
       Method,
       {{ValueKind::String}, {ValueKind::Int32, true}},
       ValueKind::Void,
       kWriteText},
  };
  return members;
}

Variant CharsetStream::Invoke(const Member& member, const Arguments& arguments) {
  switch (member.id) {
    case kTypeGet:
      return Variant(type_);
    case kTypePut:
      return PutType(arguments.Int32(0));
    case kModeGet:
      return Variant(mode_);
    case kModePut:
      return PutMode(arguments.Int32(0));
    case kCharsetGet:
      return Variant(charsetName_);
    case kCharsetPut:
      return PutCharset(arguments.String(0));
    case kLineSeparatorGet:
      return Variant(lineSeparator_);
    case kLineSeparatorPut:
      return PutLineSeparator(arguments.Int32(0));
    case kStateGet:
      return Variant(std::int32_t{open_ ? 1 : 0});
    case kPositionGet:
      RequireOpen();
      return Variant(AsInt32(position_));
    case kPositionPut:
      return PutPosition(arguments.Int32(0));
    case kSizeGet:
      RequireOpen();
      return Variant(AsInt32(bytes_.size()));
    case kEosGet:
      RequireOpen();
      return Variant(position_ >= bytes_.size());
    case kOpen:
      return Open(arguments);
    case kClose:
      return Close();
    case kWrite:
      return Write(arguments.Value(0));
    case kRead:
      return Read(arguments);
    case kReadText:
      return ReadText(arguments);
    case kWriteText:
      return WriteText(arguments);
    default:
      throw AutomationError::WithOutcome(CallOutcome::MemberNotFound);
  }
}

Variant CharsetStream::PutType(std::int32_t type) {
  if (type != kTypeBinary && type != kTypeText) Raise(kInvalidArgument);
  // Switching between bytes and text is only defined at the start of the stream.
  if (open_ && position_ != 0) Raise(kNotAllowedInContext);
  type_ = type;
  return {};
}

Variant CharsetStream::PutMode(std::int32_t mode) {
  if (open_) Raise(kObjectOpen);
  if (!IsValidMode(mode)) Raise(kInvalidArgument);
  mode_ = mode;
  return {};
}

Variant CharsetStream::PutCharset(const std::u16string& name) {
  if (open_ && position_ != 0) Raise(kNotAllowedInContext);
  std::optional<CharsetCodec> codec = CharsetCodec::ForName(std::u16string_view(name));
  if (!codec) Raise(kInvalidArgument);
  codec_ = std::move(codec);
  charsetName_ = name;
  return {};
}

Variant CharsetStream::PutLineSeparator(std::int32_t separator) {
  if (separator != kSeparatorCrLf && separator != kSeparatorLf && separator != kSeparatorCr) {
    Raise(kInvalidArgument);
  }
  lineSeparator_ = separator;
  return {};
}

Variant CharsetStream::PutPosition(std::int32_t position) {
  RequireOpen();
  if (position < 0) Raise(kInvalidArgument);
  const auto newPosition = static_cast<std::size_t>(position);
  if (newPosition > bytes_.size()) {
    RequireWritable();
    bytes_.resize(newPosition, 0);
  }
  position_ = newPosition;
  return {};
}

Variant CharsetStream::Open(const Arguments& arguments) {
  if (open_) Raise(kObjectOpen);
  if (NamesASource(arguments.Value(0))) Raise(kNotCapable);
  if (arguments.Given(1)) {
    const std::int32_t mode = arguments.Int32(1);
    if (!IsValidMode(mode)) Raise(kInvalidArgument);
    mode_ = mode;
  }
  open_ = true;
  bytes_.clear();
  position_ = 0;
  return {};
}

Variant CharsetStream::Close() {
  RequireOpen();
  open_ = false;
  std::vector<std::uint8_t>().swap(bytes_);  // gives the memory back, not just the contents
  position_ = 0;
  return {};
}

Variant CharsetStream::Write(const Variant& buffer) {
  RequireOpen();
  if (type_ != kTypeBinary) Raise(kInvalidArgument);
  RequireWritable();
  const Bytes* bytes = buffer.IfBytes();
  if (bytes == nullptr) Raise(kInvalidArgument);
  WriteAtPosition(*bytes);
  return {};
}

Variant CharsetStream::Read(const Arguments& arguments) {
  RequireOpen();
  RequireType(kTypeBinary);
  RequireReadable();
  const std::int32_t count = arguments.Given(0) ? arguments.Int32(0) : kReadAll;
  if (count < kReadAll) Raise(kInvalidArgument);
  const std::span<const std::uint8_t> rest = Rest();
  const std::size_t taken =
      count == kReadAll ? rest.size() : std::min(rest.size(), static_cast<std::size_t>(count));
  Bytes out(rest.begin(), rest.begin() + static_cast<std::ptrdiff_t>(taken));
  position_ += taken;
  return Variant(std::move(out));
}

Variant CharsetStream::ReadText(const Arguments& arguments) {
  RequireOpen();
  RequireType(kTypeText);
  RequireReadable();
  const std::int32_t count = arguments.Given(0) ? arguments.Int32(0) : kReadAll;
  if (count < kReadLine) Raise(kInvalidArgument);
  if (count == 0) return Variant(std::u16string());

  CharsetCodec& codec = Codec();
  std::span<const std::uint8_t> rest = Rest();
  // A byte-order mark at the start of the stream says how the text is stored; it is not text.
  const std::size_t mark = position_ == 0 ? codec.ByteOrderMarkLength(rest) : 0;
  rest = rest.subspan(mark);

  if (count == kReadAll) {
    std::u16string text = codec.Decode(rest);
    position_ = bytes_.size();
    return Variant(std::move(text));
  }
  CharsetCodec::Partial partial =
      count == kReadLine ? codec.DecodeLine(rest, LineSeparatorText())
                         : codec.DecodeCharacters(rest, static_cast<std::size_t>(count));
  position_ += mark + partial.bytesRead;
  return Variant(std::move(partial.text));
}

Variant CharsetStream::WriteText(const Arguments& arguments) {
  RequireOpen();
  RequireType(kTypeText);
  RequireWritable();
  const std::int32_t options = arguments.Given(1) ? arguments.Int32(1) : kWriteChar;
  if (options != kWriteChar && options != kWriteLine) Raise(kInvalidArgument);

  std::u16string text = arguments.String(0);
  if (options == kWriteLine) text += LineSeparatorText();
  if (text.empty()) return {};

  CharsetCodec& codec = Codec();
  std::vector<std::uint8_t> encoded = codec.Encode(text);
  if (position_ == 0) {
    const std::span<const std::uint8_t> mark = codec.ByteOrderMark();
    encoded.insert(encoded.begin(), mark.begin(), mark.end());
  }
  WriteAtPosition(encoded);
  return {};
}

void CharsetStream::RequireOpen() const {
  if (!open_) Raise(kObjectClosed);
}

void CharsetStream::RequireType(std::int32_t type) const {
  if (type_ != type) Raise(kNotAllowedInContext);
}

void CharsetStream::RequireReadable() const {
  if ((mode_ & kAccessMask) == kAccessWrite) Raise(kNotAllowedInContext);
}

void CharsetStream::RequireWritable() const {
  if ((mode_ & kAccessMask) == kAccessRead) Raise(kNotAllowedInContext);
}

void CharsetStream::WriteAtPosition(std::span<const std::uint8_t> bytes) {
  if (bytes.size() > kLargestSize - position_) Raise(kInvalidArgument);
  // Over the bytes already there, then beyond the end; one pass over the new bytes.
  const std::size_t over = std::min(bytes.size(), bytes_.size() - position_);
  const auto at = bytes_.begin() + static_cast<std::ptrdiff_t>(position_);
  std::copy_n(bytes.begin(), over, at);
  bytes_.insert(bytes_.end(), bytes.begin() + static_cast<std::ptrdiff_t>(over), bytes.end());
  position_ += bytes.size();
}

std::span<const std::uint8_t> CharsetStream::Rest() const {
  return std::span<const std::uint8_t>(bytes_).subspan(position_);
}

std::u16string_view CharsetStream::LineSeparatorText() const {
  switch (lineSeparator_) {
    case kSeparatorLf:
      return u"\n";
    case kSeparatorCr:
      return u"\r";
    default:
      return u"\r\n";
  }
}

CharsetCodec& CharsetStream::Codec() {
  if (!codec_) codec_ = CharsetCodec::ForName(std::u16string_view(charsetName_));
  // The name was accepted when it was set, and the name at creation is always known.
  if (!codec_) Raise(kInvalidArgument);
  return *codec_;
}

}  // namespace kelvaro::platform
