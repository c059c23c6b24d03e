#include "http/HttpClient.h"
#include "platform/automation/CallBoundary.h"
#include "platform/automation/ClassRegistry.h"

namespace kelvaro {

Text DecodeBytes(const Bytes& bytes, const std::optional<Text>& charset) {
  using platform::CallMethod;
  using platform::PutProperty;
  constexpr std::int32_t kBinary = 1;
  constexpr std::int32_t kTextType = 2;
  constexpr std::int32_t kReadWrite = 3;

  const Text charsetName = charset.value_or(Text("UTF-8"));
  // A fresh stream for every call. No step looks at an earlier one's outcome: a stream that could
  // not be created makes every call fail with the no-object outcome and ReadText give "".
  ObjectRef stream = platform::CreateObjectByProgId("adodb.stream");
  PutProperty(stream, "Type", kBinary);
  PutProperty(stream, "Mode", kReadWrite);
  CallMethod(stream, "Open");
  // The one copy of the bytes on this side of the call: the Variant is handed over, not copied.
  CallMethod(stream, "Write", {Variant(bytes)});
  // Back to the start before switching to text: the stream changes Type and Charset only there.
  PutProperty(stream, "Position", std::int32_t{0});
  PutProperty(stream, "Type", kTextType);
  PutProperty(stream, "Charset", charsetName);
  Text result = platform::CallText(stream, "ReadText");
  CallMethod(stream, "Close");
  stream.Clear();
  return result;
}

}  // namespace kelvaro
