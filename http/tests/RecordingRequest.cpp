#include "http/tests/RecordingRequest.h"

#include <sstream>

#include "text/CodePage.h"

namespace kelvaro::testing {

using platform::Member;
using platform::MemberKind;
using platform::ValueKind;
using platform::Variant;

std::span<const Member> RecordingRequest::Members() const {
  using K = ValueKind;
  static const std::vector<Member> members = {
      {"Open", MemberKind::Method, {{K::String}, {K::String}, {K::Variant, true}}, K::Void},
      {"SetRequestHeader", MemberKind::Method, {{K::String}, {K::String}}, K::Void},
      {"Send", MemberKind::Method, {{K::Variant, true}}, K::Void},
      {"WaitForResponse", MemberKind::Method, {{K::Variant, true}}, K::Bool},
      {"Abort", MemberKind::Method, {}, K::Void},
      {"SetTimeouts", MemberKind::Method, {{K::Int32}, {K::Int32}, {K::Int32}, {K::Int32}},
       K::Void},
      {"SetProxy", MemberKind::Method, {{K::Int32}, {K::Variant, true}, {K::Variant, true}},
       K::Void},
      {"SetCredentials", MemberKind::Method, {{K::String}, {K::String}, {K::Int32}}, K::Void},
      {"SetClientCertificate", MemberKind::Method, {{K::String}}, K::Void},
      {"SetAutoLogonPolicy", MemberKind::Method, {{K::Int32}}, K::Void},
      {"GetResponseHeader", MemberKind::Method, {{K::String}}, K::String},
      {"GetAllResponseHeaders", MemberKind::Method, {}, K::String},
      {"Status", MemberKind::PropertyGet, {}, K::Int32},
      {"StatusText", MemberKind::PropertyGet, {}, K::String},
      {"ResponseText", MemberKind::PropertyGet, {}, K::String},
      {"ResponseBody", MemberKind::PropertyGet, {}, K::Variant},
      {"ResponseStream", MemberKind::PropertyGet, {}, K::Variant},
      {"Option", MemberKind::PropertyGet, {{K::Int32}}, K::Variant},
      {"Option", MemberKind::PropertyPut, {{K::Int32}, {K::Variant}}, K::Void},
  };
  return members;
}

std::string Describe(const Variant& value) {
  std::ostringstream out;
  switch (value.kind()) {
    case platform::VariantKind::Empty:
      out << "empty";
      break;
    case platform::VariantKind::Int32:
      out << "i:" << *value.IfInt32();
      break;
    case platform::VariantKind::Double:
      out << "d:" << *value.IfDouble();
      break;
    case platform::VariantKind::Bool:
      out << (*value.IfBool() ? "true" : "false");
      break;
    case platform::VariantKind::String:
      out << ToUtf8(FromUtf16(*value.IfString()));
      break;
    case platform::VariantKind::ByteArray:
      out << "bytes[" << value.IfBytes()->size() << "]";
      break;
    case platform::VariantKind::Object:
      out << "object";
      break;
  }
  return out.str();
}

Variant RecordingRequest::Invoke(const Member& member, const platform::Arguments& arguments) {
  std::string call = member.kind == MemberKind::PropertyGet   ? "get "
                     : member.kind == MemberKind::PropertyPut ? "put "
                                                              : "";
  call += member.name + "(";
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    if (i > 0) call += ",";
    call += arguments.Given(i) ? Describe(arguments.Value(i)) : "-";
  }
  call += ")";
  calls_.push_back(call);
  if (const auto failing = failing_.find(member.name); failing != failing_.end()) {
    throw platform::AutomationError(failing->second, u"scripted failure");
  }
  const auto scripted = scripted_.find(member.name);
  return scripted == scripted_.end() ? Variant() : scripted->second;
}

std::pair<std::shared_ptr<RecordingRequest>, platform::ObjectRef> RecordingRequest::Make() {
  auto object = std::make_shared<RecordingRequest>();
  return {object, platform::ObjectRef(object)};
}

}  // namespace kelvaro::testing
