#include "platform/request/ResponseBodyStream.h"

#include <algorithm>
#include <limits>
#include <vector>

#include "platform/request/WinHttpErrors.h"

namespace kelvaro::platform {

namespace {

enum MemberId { kRead, kSize, kPositionGet, kPositionPut, kEos };

std::int32_t AsInt32(std::size_t value) {
  return static_cast<std::int32_t>(
      std::min<std::size_t>(value, std::numeric_limits<std::int32_t>::max()));
}

}  // namespace

std::span<const Member> ResponseBodyStream::Members() const {
  static const std::vector<Member> members = {
      {"Read", MemberKind::Method, {{ValueKind::Int32, true}}, ValueKind::Variant, kRead},
      {"Size", MemberKind::PropertyGet, {}, ValueKind::Int32, kSize},
      {"Position", MemberKind::PropertyGet, {}, ValueKind::Int32, kPositionGet},
      {"Position", MemberKind::PropertyPut, {{ValueKind::Int32}}, ValueKind::Void, kPositionPut},
      {"EOS", MemberKind::PropertyGet, {}, ValueKind::Bool, kEos},
  };
  return members;
}

Variant ResponseBodyStream::Invoke(const Member& member, const Arguments& arguments) {
  switch (member.id) {
    case kRead: {
      if (position_ >= bytes_.size()) return Variant();
      const std::int32_t count = arguments.Int32(0, -1);
      const std::size_t left = bytes_.size() - position_;
      const std::size_t taken = count < 0 ? left : std::min(left, static_cast<std::size_t>(count));
      const auto first = bytes_.begin() + static_cast<std::ptrdiff_t>(position_);
      position_ += taken;
      return Variant(Bytes(first, first + static_cast<std::ptrdiff_t>(taken)));
    }
    case kSize:
      return Variant(AsInt32(bytes_.size()));
    case kPositionGet:
      return Variant(AsInt32(position_));
    case kPositionPut: {
      const std::int32_t position = arguments.Int32(0);
      if (position < 0 || static_cast<std::size_t>(position) > bytes_.size()) {
        throw AutomationError(winhttp::kInvalidParameter, u"The parameter is incorrect.");
      }
      position_ = static_cast<std::size_t>(position);
      return Variant();
    }
    case kEos:
      return Variant(position_ >= bytes_.size());
    default:
      break;
  }
  throw AutomationError::WithOutcome(CallOutcome::MemberNotFound);
}

}  // namespace kelvaro::platform
