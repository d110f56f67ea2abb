// Reading registry files: the text is parsed and checked in full into a list
// of operations first, and only then applied to the store, so that bad input
// changes nothing.
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <optional>

#include "ErrorCodes.h"
#include "Exception.h"
#include "KeyPaths.h"
#include "RegFile.h"
#include "RegFileApply.h"
#include "RegFileText.h"
#include "StrUtils.h"

namespace zanver {

namespace {

using namespace regfile;

// An error in one line of the file.
struct LineError {
    std::size_t line;
    std::string message;
};

std::string Excerpt(std::string_view text) {
    constexpr std::size_t kShown = 40;
    return text.size() <= kShown ? std::string(text) : std::string(text.substr(0, kShown)) + "...";
}

std::string BadTextMessage(BadText::Kind kind) {
    return kind == BadText::Invalid
               ? "Invalid UTF-16 text."
               : "The line holds characters that the ANSI code page cannot represent.";
}

class Parser {
  public:
    Parser(std::string_view text, bool version5, const std::vector<BadText>& badText,
           bool skipErrors, RegImportResult& result)
        : reader_(text),
          version5_(version5),
          bad_(badText),
          skipErrors_(skipErrors),
          result_(result) {}

    std::vector<RegOp> Parse();

  private:
    [[noreturn]] void Fail(std::string message) const {
        throw LineError{reader_.LineNumber(), std::move(message)};
    }
    // The next line, failing when it holds text that was not valid UTF-16.
    bool NextLine(std::string_view& line);
    void ParseLine(std::string_view line);
    void ParseKeyLine(std::string_view line);
    void ParseValueLine(std::string_view line);
    void ParseData(std::string_view data, RegOp& op);
    void ParseHex(std::string_view data, RegOp& op);

    LineReader reader_;
    bool version5_;
    const std::vector<BadText>& bad_;
    std::size_t nextBad_ = 0;
    bool skipErrors_;
    RegImportResult& result_;
    std::vector<RegOp> ops_;
    bool inKey_ = false;         // value lines go to the last key line's key
    bool ignoreValues_ = false;  // ... or nowhere, after a deleted or skipped key
};

bool Parser::NextLine(std::string_view& line) {
    if (!reader_.Next(line))
        return false;
    if (nextBad_ < bad_.size() && bad_[nextBad_].offset < reader_.Position()) {
        const BadText::Kind kind = bad_[nextBad_].kind;
        while (nextBad_ < bad_.size() && bad_[nextBad_].offset < reader_.Position())
            ++nextBad_;
        Fail(BadTextMessage(kind));
    }
    return true;
}

std::vector<RegOp> Parser::Parse() {
    std::string_view line;
    const bool any = reader_.Next(line);
    const std::string_view header = TrimView(line);
    if (!any || (header != kHeader4 && header != kHeader5))
        throw Exception("Line 1: Not a registry file: the first line must be REGEDIT4 or " +
                        std::string(kHeader5) + ".");
    while (true) {
        try {
            if (!NextLine(line))
                break;
            ParseLine(line);
        } catch (const LineError& error) {
            std::string message = "Line " + std::to_string(error.line) + ": " + error.message;
            if (!skipErrors_)
                throw Exception(message);
            result_.skipped.push_back(std::move(message));
        }
    }
    return std::move(ops_);
}

void Parser::ParseLine(std::string_view line) {
    while (!line.empty() && IsWhiteSpace(line.front()))
        line.remove_prefix(1);
    if (line.empty() || line.front() == ';')
        return;
    if (line.front() == '[')
        ParseKeyLine(line);
    else if (line.front() == '"' || line.front() == '@')
        ParseValueLine(line);
    else
        Fail("Unexpected text: " + Excerpt(line));
}

void Parser::ParseKeyLine(std::string_view line) {
    // Values that follow a key line in error go nowhere.
    inKey_ = false;
    ignoreValues_ = true;
    const std::size_t close = line.rfind(']');
    if (close == std::string_view::npos)
        Fail("] expected at the end of the key line.");
    if (!OnlyComment(line.substr(close + 1)))
        Fail("Unexpected text after the key name: " + Excerpt(line.substr(close + 1)));
    std::string_view name = line.substr(1, close - 1);
    const bool deletion = !name.empty() && name.front() == '-';
    if (deletion)
        name.remove_prefix(1);
    if (name.empty())
        Fail("Key name expected.");

    const std::size_t slash = name.find('\\');
    const std::string_view rootName = name.substr(0, slash);
    const RootKey root = RegFileRootFromName(rootName);
    if (root == kUnknownRoot)
        Fail("Unknown root key " + Excerpt(rootName) + ".");
    std::string_view path =
        slash == std::string_view::npos ? std::string_view() : name.substr(slash + 1);
    if (!path.empty() && path.back() == '\\')
        path.remove_suffix(1);
    std::size_t depth = 0;
    for (std::size_t start = 0; !path.empty() && start <= path.size();) {
        std::size_t end = path.find('\\', start);
        if (end == std::string_view::npos)
            end = path.size();
        const std::string_view part = path.substr(start, end - start);
        if (part.empty())
            Fail("Empty key name in " + Excerpt(name) + ".");
        if (part.size() > kMaxKeyNameLength)
            Fail("Key name longer than " + std::to_string(kMaxKeyNameLength) +
                 " characters: " + Excerpt(part));
        if (++depth > kMaxKeyDepth)
            Fail("Key path deeper than " + std::to_string(kMaxKeyDepth) + " levels.");
        start = end + 1;
    }
    if (deletion && path.empty())
        Fail("A root key cannot be deleted: " + std::string(rootName) + ".");

    RegOp& op = ops_.emplace_back();
    op.kind = deletion ? RegOp::Kind::DeleteKey : RegOp::Kind::Key;
    op.line = reader_.LineNumber();
    op.root = root;
    op.name.assign(path);
    inKey_ = !deletion;
    ignoreValues_ = deletion;
}

void Parser::ParseValueLine(std::string_view line) {
    RegOp op;
    op.line = reader_.LineNumber();
    std::size_t pos = 1;
    if (line.front() == '"') {
        pos = ReadQuoted(line, op.name);
        if (pos == 0)
            Fail("Unterminated value name: " + Excerpt(line));
        if (op.name.size() > kMaxValueNameLength)
            Fail("Value name longer than " + std::to_string(kMaxValueNameLength) + " characters.");
    }
    while (pos < line.size() && IsWhiteSpace(line[pos]))
        ++pos;
    if (pos >= line.size() || line[pos] != '=')
        Fail("= expected after the value name: " + Excerpt(line));
    ++pos;
    while (pos < line.size() && IsWhiteSpace(line[pos]))
        ++pos;
    ParseData(line.substr(pos), op);
    if (inKey_)
        ops_.push_back(std::move(op));
    else if (!ignoreValues_)
        throw LineError{op.line, "Value outside of a key: " + Excerpt(line)};
}

void Parser::ParseData(std::string_view data, RegOp& op) {
    op.kind = RegOp::Kind::SetValue;
    if (!data.empty() && data.front() == '-' && OnlyComment(data.substr(1))) {
        op.kind = RegOp::Kind::DeleteValue;
        return;
    }
    if (!data.empty() && data.front() == '"') {
        std::string text;
        const std::size_t used = ReadQuoted(data, text);
        if (used == 0)
            Fail("Unterminated string: " + Excerpt(data));
        if (!OnlyComment(data.substr(used)))
            Fail("Unexpected text after the string: " + Excerpt(data.substr(used)));
        op.type = RegSz;
        op.data.assign(text.begin(), text.end());
        op.data.push_back(0);
        return;
    }
    if (data.starts_with("dword:")) {
        data.remove_prefix(6);
        while (!data.empty() && IsWhiteSpace(data.front()))
            data.remove_prefix(1);
        std::uint32_t number = 0;
        std::size_t digits = 0;
        while (digits < data.size() && HexDigit(data[digits]) >= 0)
            number = (number << 4) | static_cast<std::uint32_t>(HexDigit(data[digits++]));
        if (digits == 0 || digits > 8 || !OnlyComment(data.substr(digits)))
            Fail("Invalid dword value: " + Excerpt(data));
        op.type = RegDword;
        op.data = {static_cast<std::uint8_t>(number), static_cast<std::uint8_t>(number >> 8),
                   static_cast<std::uint8_t>(number >> 16),
                   static_cast<std::uint8_t>(number >> 24)};
        return;
    }
    if (data.starts_with("hex")) {
        ParseHex(data.substr(3), op);
        return;
    }
    Fail("Unknown value type: " + Excerpt(data));
}

void Parser::ParseHex(std::string_view data, RegOp& op) {
    op.type = RegBinary;
    if (!data.empty() && data.front() == '(') {
        std::size_t digits = 1;
        std::uint32_t type = 0;
        while (digits < data.size() && HexDigit(data[digits]) >= 0)
            type = (type << 4) | static_cast<std::uint32_t>(HexDigit(data[digits++]));
        if (digits == 1 || digits > 9 || digits >= data.size() || data[digits] != ')')
            Fail("Invalid type in hex(...): " + Excerpt(data));
        op.type = type;
        data.remove_prefix(digits + 1);
    }
    if (data.empty() || data.front() != ':')
        Fail(": expected after hex: " + Excerpt(data));
    data.remove_prefix(1);

    // The byte list, continued over the lines that end in "\". An error is
    // reported after the continuation lines were read, so that skipping it
    // skips the whole value.
    std::optional<LineError> error;
    while (true) {
        const std::size_t comment = data.find(';');
        data = TrimView(data.substr(0, comment));
        const bool continued = !data.empty() && data.back() == '\\';
        if (continued)
            data = TrimView(data.substr(0, data.size() - 1));
        for (std::size_t pos = 0; !error && pos < data.size();) {
            std::size_t end = data.find(',', pos);
            if (end == std::string_view::npos)
                end = data.size();
            const std::string_view item = TrimView(data.substr(pos, end - pos));
            const int high = item.size() == 2 ? HexDigit(item[0]) : item.size() == 1 ? 0 : -1;
            const int low = item.empty() ? -1 : HexDigit(item.back());
            if (high < 0 || low < 0)
                error = LineError{reader_.LineNumber(),
                                  "Invalid byte in hex data: " + Excerpt(data.substr(pos))};
            else
                op.data.push_back(static_cast<std::uint8_t>(high * 16 + low));
            pos = end + 1;
        }
        if (!continued)
            break;
        std::string_view line;
        do {
            if (!reader_.Next(line))
                Fail("The file ends in the middle of a value continued with \\.");
            line = TrimView(line);
        } while (line.empty() || line.front() == ';');
        if (nextBad_ < bad_.size() && bad_[nextBad_].offset < reader_.Position() && !error)
            error = LineError{reader_.LineNumber(), BadTextMessage(bad_[nextBad_].kind)};
        data = line;
    }
    if (error)
        throw *error;
    const bool text = op.type == RegSz || op.type == RegExpandSz || op.type == RegMultiSz;
    if (version5_ && text) {
        std::string converted;
        const std::string_view bytes(reinterpret_cast<const char*>(op.data.data()), op.data.size());
        std::vector<BadText> bad;
        if (!AppendFromUtf16Le(bytes, converted, &bad))
            throw LineError{op.line, bad.front().kind == BadText::Invalid
                                         ? "Invalid UTF-16 text in the string data."
                                         : "The string data holds characters that the ANSI "
                                           "code page cannot represent."};
        op.data.assign(converted.begin(), converted.end());
    }
}

}  // namespace

RootKey RegFileRootFromName(std::string_view name) {
    static constexpr struct {
        std::string_view name;
        RootKey root;
    } kShortNames[] = {{"HKCR", HKEY_CLASSES_ROOT},
                       {"HKCU", HKEY_CURRENT_USER},
                       {"HKLM", HKEY_LOCAL_MACHINE},
                       {"HKU", HKEY_USERS},
                       {"HKCC", HKEY_CURRENT_CONFIG}};
    const std::string upper = UpperCaseAscii(name);
    for (const auto& entry : kShortNames)
        if (upper == entry.name)
            return entry.root;
    return RootKeyFromName(name);
}

namespace {

// The text of a file: UTF-16LE converted into decoded (the places that could
// not be converted added to bad), a UTF-8 byte order mark left out.
std::string_view DecodeRegText(std::string_view fileBytes, std::string& decoded,
                               std::vector<BadText>& bad) {
    std::string_view text = fileBytes;
    if (text.starts_with("\xFF\xFE")) {
        decoded.reserve(text.size() / 2);  // exact for ASCII text
        AppendFromUtf16Le(text.substr(2), decoded, &bad);
        text = decoded;
    } else if (text.starts_with("\xEF\xBB\xBF")) {
        text.remove_prefix(3);
    }
    return text;
}

RegImportResult ParseAndApply(RegistryStore& store, std::string_view text, std::string& decoded,
                              const std::vector<BadText>& bad, const RegImportOptions& options) {
    const bool version5 = TrimView(text.substr(0, text.find_first_of("\r\n"))) == kHeader5;
    RegImportResult result;
    std::vector<RegOp> ops = Parser(text, version5, bad, options.skipErrors, result).Parse();
    if (!decoded.empty())
        std::string().swap(decoded);  // the operations hold everything now
    ApplyRegOps(store, ops, options.progress, result);
    return result;
}

}  // namespace

RegImportResult ImportRegText(RegistryStore& store, std::string_view fileBytes,
                              const RegImportOptions& options) {
    std::string decoded;
    std::vector<BadText> bad;
    const std::string_view text = DecodeRegText(fileBytes, decoded, bad);
    return ParseAndApply(store, text, decoded, bad, options);
}

RegImportResult ImportRegFile(RegistryStore& store, const std::string& path,
                              const RegImportOptions& options) {
    std::ifstream file(path, std::ios::binary);
    if (!file)
        throw Exception("Could not open " + path + ": " + std::strerror(errno));
    file.seekg(0, std::ios::end);
    const std::streamoff size = file.tellg();
    file.seekg(0, std::ios::beg);
    std::string bytes(size > 0 ? static_cast<std::size_t>(size) : 0, '\0');
    if (size < 0 || !file.read(bytes.data(), static_cast<std::streamsize>(bytes.size())))
        throw Exception("Could not read " + path + ".");
    std::string decoded;
    std::vector<BadText> bad;
    const std::string_view text = DecodeRegText(bytes, decoded, bad);
    if (!decoded.empty())
        std::string().swap(bytes);  // converted: the file's bytes are no longer needed
    return ParseAndApply(store, text, decoded, bad, options);
}

}  // namespace zanver
