// Fuzzes the escaped string form: unquoting any text either succeeds on a
// quoted text or raises zanver::Exception, and quoting then unquoting keeps
// every character except that line breaks come back as CR LF.
#include <cstddef>
#include <cstdint>
#include <string>

#include "EscapedText.h"
#include "FuzzCheck.h"
#include "Store.h"
#include "ValueText.h"

using namespace zanver;
using namespace zanver::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);

    std::string unquoted;
    if (Succeeds([&] { unquoted = UnquoteText(text); })) {
        Check(text.size() >= 2 && text.front() == '"' && text.back() == '"',
              "only a quoted text unquotes", text);
        Check(unquoted.size() <= text.size(), "unquoting never lengthens the text", text);
    }

    const std::string quoted = QuoteText(text);
    Check(quoted.find_first_of("\r\n") == std::string::npos, "the escaped form has no line breaks",
          text);
    std::string back;
    Check(Succeeds([&] { back = UnquoteText(quoted); }), "a quoted text unquotes", text);
    Check(back == NormalizeLineBreaks(text), "unquoting undoes quoting", text);

    // A display string passes through the REGEDIT4 form with its bytes: its
    // characters as they are, with one zero byte after them.
    const std::string display = "\"" + text + "\"";
    std::string fromRegedit;
    Check(Succeeds([&] { fromRegedit = FromRegeditValueText(ToRegeditValueText(display)); }),
          "a display string converts to REGEDIT4 form and back", text);
    Bytes expected(text.begin(), text.end());
    expected.push_back(0);
    for (const std::string& form : {display, fromRegedit}) {
        std::uint32_t type = 0;
        Bytes bytes;
        Check(Succeeds([&] { ParseValueText(form, type, bytes); }), "a string form parses", form);
        Check(type == RegSz && bytes == expected, "a string keeps its characters", form);
    }
    return 0;
}
