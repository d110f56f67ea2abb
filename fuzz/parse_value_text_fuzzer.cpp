// Fuzzes the value text parser: any text either parses or raises
// zanver::Exception with no result, the type check agrees with the parser,
// and every value formats to a text that reads back as the format promises.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>

#include "FuzzCheck.h"
#include "Store.h"
#include "ValueText.h"

using namespace zanver;
using namespace zanver::fuzz;

namespace {

Bytes UpToZeroWithZero(const Bytes& data) {
    Bytes result(data.begin(), std::find(data.begin(), data.end(), 0));
    result.push_back(0);
    return result;
}

// The bytes a value reads back as after being written in a style; none when
// the written text is not meant to read back (a link in display style). The
// REGEDIT4 style keeps every byte.
std::optional<Bytes> ExpectedReadBack(const Bytes& data, std::uint32_t type, bool regeditStyle) {
    if (regeditStyle)
        return data;
    switch (type) {
        case RegSz:
        case RegExpandSz:
            return UpToZeroWithZero(data);
        case RegLink:
            return std::nullopt;
        case RegNone:
            return Bytes{};
        case RegDword: {
            Bytes four = data;
            four.resize(4);
            return four;
        }
        default:
            return data;
    }
}

void CheckRoundTrip(const Bytes& data, std::uint32_t type, bool regeditStyle) {
    // The exact form (undo records, pasted values) always reads back whole.
    const std::string exact = ExactValueText(data, type);
    std::uint32_t exactType = 0;
    Bytes exactData;
    Check(Succeeds([&] { ParseValueText(exact, exactType, exactData); }) && exactType == type &&
              exactData == data,
          "the exact form keeps type and bytes", exact);

    const std::string text = FormatValueText(data, type, regeditStyle);
    std::uint32_t readType = 0;
    Bytes readData;
    const bool parsed = Succeeds([&] { ParseValueText(text, readType, readData); });
    const std::optional<Bytes> expected = ExpectedReadBack(data, type, regeditStyle);
    if (!expected) {
        Check(!parsed, "a link in display style does not read back", text);
        return;
    }
    Check(parsed, "a formatted value parses", text);
    Check(readType == type, "a formatted value keeps its type", text);
    Check(readData == *expected, "a formatted value keeps its bytes", text);
    std::uint32_t denoted = 0;
    Check(Succeeds([&] { denoted = ValueTextType(text); }) && denoted == type,
          "the type check agrees on a formatted value", text);

    if (!regeditStyle) {
        // Display to REGEDIT4 form and back changes nothing.
        std::string back;
        Check(Succeeds([&] { back = FromRegeditValueText(ToRegeditValueText(text)); }),
              "a display text converts to REGEDIT4 form and back", text);
        Check(back == text, "REGEDIT4 conversion keeps the display text", text);
    }
}

void CheckText(std::string_view text) {
    std::uint32_t type = 12345;
    Bytes data{1, 2, 3};
    const bool parsed = Succeeds([&] { ParseValueText(text, type, data); });
    if (!parsed) {
        Check(type == 0 && data.empty(), "a failed parse leaves type 0 and no bytes", text);
    }
    std::uint32_t denoted = 0;
    const bool typed = Succeeds([&] { denoted = ValueTextType(text); });
    if (parsed) {
        Check(typed && denoted == type, "the type check accepts what the parser accepts", text);
        CheckRoundTrip(data, type, true);
        CheckRoundTrip(data, type, false);
    }

    std::string result;
    const bool isString = Succeeds([&] { result = StringFromValueText(text); });
    if (isString && parsed)
        Check(result.find('\0') == std::string::npos, "a string value stops at its zero byte",
              text);
    Succeeds([&] { ToRegeditValueText(text); });
    Succeeds([&] { FromRegeditValueText(text); });
}

// The input read as a value: one byte chooses the type, the rest are the bytes.
void CheckValue(const std::uint8_t* input, std::size_t size) {
    if (size < 1)
        return;
    static constexpr std::uint32_t kTypes[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0x7FFFFFFF};
    std::uint32_t type = 0;
    const std::uint8_t selector = input[0];
    if (selector < 0xF0 || size < 5) {
        type = kTypes[selector % std::size(kTypes)];
        ++input;
        --size;
    } else {
        std::memcpy(&type, input + 1, 4);
        input += 5;
        size -= 5;
    }
    const Bytes data(input, input + size);
    CheckRoundTrip(data, type, true);
    CheckRoundTrip(data, type, false);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CheckText(std::string_view(reinterpret_cast<const char*>(data), size));
    CheckValue(data, size);
    return 0;
}
