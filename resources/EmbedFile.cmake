# Writes OUTPUT, a C++ source that holds the bytes of INPUT as an array and
# returns them from the function FUNCTION (a std::string_view, namespace zanver).
# Run with cmake -DINPUT=... -DOUTPUT=... -DFUNCTION=... -DHEADER=... -P EmbedFile.cmake.
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" hex_length)
math(EXPR size "${hex_length} / 2")
# Sixteen bytes to a line.
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REPEAT "0x[0-9a-f][0-9a-f]," 16 line_pattern)
string(REGEX REPLACE "(${line_pattern})" "\\1\n    " bytes "${bytes}")
get_filename_component(input_name "${INPUT}" NAME)
file(WRITE "${OUTPUT}"
"// Generated from ${input_name} by EmbedFile.cmake; do not edit.
#include \"${HEADER}\"

namespace zanver {

namespace {

// Unsigned, so that bytes above 0x7F need no casts; one byte more than the
// file, so that an empty file still makes an array.
const unsigned char kData[${size} + 1] = {
    ${bytes}0x00};

}  // namespace

std::string_view ${FUNCTION}() {
    return std::string_view(reinterpret_cast<const char*>(kData), ${size});
}

}  // namespace zanver
")
