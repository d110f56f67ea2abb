// Fuzzes the key line reader: any line either gives a trimmed, non-empty key
// name and the trimmed rest, or raises zanver::Exception and changes nothing.
#include <cstddef>
#include <cstdint>
#include <string>

#include "EscapedText.h"
#include "FuzzCheck.h"

using namespace zanver;
using namespace zanver::fuzz;

namespace {

void CheckLine(const std::string& text) {
    std::string line = text;
    std::string keyName = "unchanged";
    if (!Succeeds([&] { ParseKeyLine(line, keyName); })) {
        Check(line == text && keyName == "unchanged", "a failed parse changes nothing", text);
        return;
    }
    Check(!keyName.empty(), "a key name is never empty", text);
    Check(keyName.find(']') == std::string::npos, "a key name stops at the first ]", text);
    Check(Trimmed(keyName) == keyName, "a key name is trimmed", text);
    Check(Trimmed(line) == line, "the rest is trimmed", text);

    // Writing the key line again and reading it gives the same result.
    std::string again = FormatKeyLine(keyName) + " " + line;
    std::string againName;
    Check(Succeeds([&] { ParseKeyLine(again, againName); }), "a written key line parses", text);
    Check(againName == keyName && again == line, "a written key line reads back", text);
}

// The input split at its first zero byte into a key name and a rest.
void CheckComposed(const std::string& text) {
    const std::size_t split = text.find('\0');
    const std::string name = text.substr(0, split);
    const std::string rest = split == std::string::npos ? std::string() : text.substr(split + 1);
    std::string line = FormatKeyLine(name) + rest;
    std::string keyName;
    const bool parsed = Succeeds([&] { ParseKeyLine(line, keyName); });
    const std::string beforeBracket = name.substr(0, name.find(']'));
    const std::string_view expectedName = Trimmed(beforeBracket);
    Check(parsed == !expectedName.empty(), "a key line with a name parses", text);
    if (parsed) {
        Check(keyName == expectedName, "the key name is the trimmed text before ]", text);
        if (name.find(']') == std::string::npos)
            Check(line == Trimmed(rest), "the rest follows the ]", text);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    CheckLine(text);
    CheckComposed(text);
    return 0;
}
