# Writes a C++ source that defines a function returning the bytes of a file.
#   cmake -DINPUT=<file> -DOUTPUT=<file.cpp> -DHEADER=<include> -DFUNCTION=<qualified name> -P EmbedBytes.cmake
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" hexLength)
math(EXPR size "${hexLength} / 2")
# Sixteen bytes to a line.
set(bytes "")
set(offset 0)
while(offset LESS hexLength)
  string(SUBSTRING "${hex}" ${offset} 32 line)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," line "${line}")
  string(APPEND bytes "    ${line}\n")
  math(EXPR offset "${offset} + 32")
endwhile()
string(REGEX MATCH "^(.*)::([^:]+)$" _ "${FUNCTION}")
set(namespace "${CMAKE_MATCH_1}")
set(name "${CMAKE_MATCH_2}")
file(WRITE "${OUTPUT}.tmp"
"// Generated from ${INPUT}; do not edit.
#include \"${HEADER}\"

namespace ${namespace} {

namespace {
constexpr std::uint8_t kBytes[${size}] = {
${bytes}};
}  // namespace

std::span<const std::uint8_t> ${name}() { return kBytes; }

}  // namespace ${namespace}
")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
