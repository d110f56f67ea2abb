#pragma once

#include <string>
#include <string_view>

// The escaped string form of REGEDIT4 text and its key lines.
namespace zanver {

// Line breaks (CR LF, lone CR, lone LF) become \n; a double quote becomes \"
// and a backslash \\.
std::string EscapeText(std::string_view text);
// Double quote, EscapeText(text), double quote.
std::string QuoteText(std::string_view text);
// The inverse of QuoteText: the text between the outer double quotes with
// \", \\ and \n resolved (\n gives CR LF); any other backslash stays. Raises
// zanver::Exception when the text is not enclosed in double quotes.
std::string UnquoteText(std::string_view text);

// "[" + keyName + "]".
std::string FormatKeyLine(std::string_view keyName);
// Reads a key line "[name] rest": keyName is the trimmed name and line becomes
// the trimmed rest. Raises zanver::Exception on a malformed line, leaving
// line and keyName unchanged.
void ParseKeyLine(std::string& line, std::string& keyName);

}  // namespace zanver
