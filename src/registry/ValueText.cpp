#include "ValueText.h"

#include <cstdio>

#include "EscapedText.h"
#include "Exception.h"
#include "RegFileText.h"
#include "Store.h"
#include "StrUtils.h"

namespace zanver {

namespace {

constexpr char kQuote = '"';
constexpr char kByteSeparator = ',';
constexpr std::string_view kPrefixSeparator = ": ";
constexpr std::string_view kTypeNumberWord = "hex(";
constexpr std::string_view kRegNoneName = "REG_NONE";

// How many characters of an offending text the messages show.
constexpr std::size_t kShortQuote = 32;
constexpr std::size_t kLongQuote = 64;

std::string_view TypeWord(std::uint32_t type) {
    return TypeWords[type];
}

// ---------------------------------------------------------------- writing

std::string ByteList(const std::uint8_t* data, std::size_t size) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(size * 3);
    for (std::size_t i = 0; i < size; ++i) {
        if (i > 0)
            text += kByteSeparator;
        text += kDigits[data[i] >> 4];
        text += kDigits[data[i] & 0x0F];
    }
    return text;
}

std::string PrefixedByteList(std::string_view prefix, const std::uint8_t* data, std::size_t size) {
    std::string text(prefix);
    text += kPrefixSeparator;
    text += ByteList(data, size);
    return text;
}

// "hex(%d)" with the type number as a signed 32-bit decimal.
std::string TypeNumberPrefix(std::uint32_t type) {
    return std::string(kTypeNumberWord) + std::to_string(static_cast<std::int32_t>(type)) + ")";
}

std::string QuotedUpToZero(const std::uint8_t* data, std::size_t size) {
    std::size_t length = 0;
    while (length < size && data[length] != 0)
        ++length;
    std::string text(1, kQuote);
    text.append(reinterpret_cast<const char*>(data), length);
    text += kQuote;
    return text;
}

std::string DwordText(const std::uint8_t* data, std::size_t size) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4 && i < size; ++i)
        value |= static_cast<std::uint32_t>(data[i]) << (8 * i);
    char digits[9];
    std::snprintf(digits, sizeof digits, "%08X", static_cast<unsigned>(value));
    return std::string(TypeWord(RegDword)) + std::string(kPrefixSeparator) + digits;
}

// Whether a REG_SZ's bytes come back unchanged from the quoted form of
// REGEDIT4 text: characters without a zero byte, one terminating zero, and no
// line break but CR LF (the escaped form turns a lone CR or LF into CR LF).
// Outside Windows the clipboard carries the program's text as UTF-8, so bytes
// that are no valid UTF-8 would not survive it either.
bool QuotedFormKeepsBytes(const std::uint8_t* data, std::size_t size) {
    if (size == 0 || data[size - 1] != 0)
        return false;
#ifndef _WIN32
    if (!regfile::IsValidUtf8(std::string_view(reinterpret_cast<const char*>(data), size - 1)))
        return false;
#endif
    for (std::size_t i = 0; i + 1 < size; ++i) {
        if (data[i] == 0)
            return false;
        if (data[i] == '\r' && data[i + 1] != '\n')
            return false;
        if (data[i] == '\n' && (i == 0 || data[i - 1] != '\r'))
            return false;
    }
    return true;
}

std::string StringUpToZero(const Bytes& data) {
    std::size_t length = 0;
    while (length < data.size() && data[length] != 0)
        ++length;
    return std::string(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(length));
}

// ---------------------------------------------------------------- reading

[[noreturn]] void RaiseUndeterminedType(std::string_view text) {
    throw Exception(
        "Could not determine the type of value: " + std::string(text.substr(0, kShortQuote)) +
        ". Use no value at all, the words unassigned or hex(0) to make a value" +
        " unassigned. Enclose a string in double quotes or start with one of" +
        " the following words: expandable string, hex, dword, dword big" +
        " endian , link, multiple strings, resource list or hex(a DWORD representing type).");
}

std::string_view TrimLeftView(std::string_view text) {
    std::size_t begin = 0;
    while (begin < text.size() && IsWhiteSpace(text[begin]))
        ++begin;
    return text.substr(begin);
}

std::string_view TrimRightView(std::string_view text) {
    std::size_t end = text.size();
    while (end > 0 && IsWhiteSpace(text[end - 1]))
        --end;
    return text.substr(0, end);
}

char UpperAscii(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool StartsWithWord(std::string_view text, std::string_view word) {
    return text.size() >= word.size() && LowerCaseAscii(text.substr(0, word.size())) == word;
}

// Checks the type word at the start of text and returns what follows it,
// without leading white space and one optional colon.
std::string_view AfterTypeWord(std::string_view text, std::string_view word) {
    if (!StartsWithWord(text, word))
        RaiseUndeterminedType(text);
    std::string_view rest = TrimLeftView(text.substr(word.size()));
    if (!rest.empty() && rest.front() == ':')
        rest = TrimLeftView(rest.substr(1));
    return rest;
}

// The characters between the double quotes of a string form.
std::string_view StringBody(std::string_view rest) {
    if (rest.empty())
        throw Exception(std::string(1, kQuote) + " expected.");
    if (rest.front() != kQuote)
        throw Exception(std::string(1, kQuote) +
                        " expected: " + std::string(rest.substr(0, kShortQuote)));
    if (rest.size() < 2 || rest.back() != kQuote)
        throw Exception("Unterminated string or extra input: " +
                        std::string(rest.substr(0, kLongQuote)));
    return rest.substr(1, rest.size() - 2);
}

Bytes StringBytes(std::string_view body) {
    Bytes data(body.begin(), body.end());
    data.push_back(0);
    return data;
}

std::uint32_t ReadDwordNumber(std::string_view rest) {
    if (rest.empty())
        return 0;
    const std::string number = "$" + std::string(rest);
    std::int32_t value = 0;
    if (!TryStrToInt(number, value))
        throw EConvertError("Could not covert " + number + " to DWORD");
    return static_cast<std::uint32_t>(value);
}

Bytes DwordBytes(std::uint32_t value) {
    return Bytes{static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
                 static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
}

// Reads the type number of "hex(<number>)"; rest is the text after "hex(" and
// is left on what follows the ")", white space and one colon.
std::uint32_t ReadTypeNumber(std::string_view& rest) {
    const std::size_t close = rest.find(')');
    if (close == std::string_view::npos) {
        if (rest.empty())
            throw Exception(") expected.");
        throw Exception(") expected: " + std::string(rest.substr(0, kShortQuote)));
    }
    const auto type = static_cast<std::uint32_t>(StrToInt(rest.substr(0, close)));
    rest = TrimLeftView(rest.substr(close + 1));
    if (!rest.empty() && rest.front() == ':')
        rest = TrimLeftView(rest.substr(1));
    return type;
}

Bytes ReadByteList(std::string_view rest) {
    Bytes data;
    std::size_t position = 1;
    while (!rest.empty()) {
        const std::size_t comma = rest.find(kByteSeparator);
        const std::string_view item =
            TrimRightView(comma == std::string_view::npos ? rest : rest.substr(0, comma));
        std::int32_t value = 0;
        if (item.empty() || !TryStrToInt("$" + std::string(item), value))
            throw EConvertError("Could not convert byte " + std::to_string(position) +
                                " starting at: " + std::string(rest));
        data.push_back(static_cast<std::uint8_t>(value & 0xFF));
        rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
        rest = TrimLeftView(rest);
        ++position;
    }
    return data;
}

// The forms a value text can take, chosen by its first character.
enum class Form { Empty, RegNoneName, String, DwordNumber, TypeNumber, ByteList };

struct Dispatch {
    Form form;
    std::uint32_t type;
    std::string_view word;  // the type word to check; empty for a bare string
};

Dispatch ChooseForm(std::string_view text) {
    if (text.empty())
        return {Form::Empty, RegNone, {}};
    switch (UpperAscii(text.front())) {
        case kQuote:
            return {Form::String, RegSz, {}};
        case 'E':
            return {Form::String, RegExpandSz, TypeWord(RegExpandSz)};
        case 'L':
            return {Form::String, RegLink, TypeWord(RegLink)};
        case 'D':
            if (text.size() >= 8 && UpperAscii(text[7]) == 'I')
                return {Form::ByteList, RegDwordBigEndian, TypeWord(RegDwordBigEndian)};
            return {Form::DwordNumber, RegDword, TypeWord(RegDword)};
        case 'H':
            if (text.size() >= 4 && text[3] == '(')
                return {Form::TypeNumber, RegNone, kTypeNumberWord};
            return {Form::ByteList, RegBinary, TypeWord(RegBinary)};
        case 'M':
            return {Form::ByteList, RegMultiSz, TypeWord(RegMultiSz)};
        case 'R':
            if (UpperCaseAscii(text.substr(0, kRegNoneName.size())) == kRegNoneName)
                return {Form::RegNoneName, RegNone, {}};
            return {Form::ByteList, RegResourceList, TypeWord(RegResourceList)};
        case 'U':
            return {Form::ByteList, RegNone, TypeWord(RegNone)};
        default:
            RaiseUndeterminedType(text);
    }
}

// "hex(" needs no trimming after the word: the number follows at once.
std::string_view AfterTypeNumberWord(std::string_view text) {
    if (!StartsWithWord(text, kTypeNumberWord))
        RaiseUndeterminedType(text);
    return text.substr(kTypeNumberWord.size());
}

}  // namespace

std::string FormatValueText(const std::uint8_t* data, std::size_t size, std::uint32_t type,
                            bool regeditStyle) {
    if (data == nullptr)
        size = 0;
    switch (type) {
        case RegSz:
            // The clipboard must carry every byte: a string the quoted form
            // would change goes as a numbered byte list.
            if (regeditStyle && !QuotedFormKeepsBytes(data, size))
                return PrefixedByteList(TypeNumberPrefix(type), data, size);
            return QuotedUpToZero(data, size);
        case RegBinary:
            return PrefixedByteList(TypeWord(RegBinary), data, size);
        case RegDword:
            if (regeditStyle && size != 4)
                return PrefixedByteList(TypeNumberPrefix(type), data, size);
            return DwordText(data, size);
        case RegNone:
        case RegExpandSz:
        case RegDwordBigEndian:
        case RegLink:
        case RegMultiSz:
        case RegResourceList:
            if (regeditStyle)
                return PrefixedByteList(TypeNumberPrefix(type), data, size);
            if (type == RegNone)
                return std::string(TypeWord(RegNone));
            if (type == RegExpandSz)
                return std::string(TypeWord(RegExpandSz)) + std::string(kPrefixSeparator) +
                       QuotedUpToZero(data, size);
            return PrefixedByteList(TypeWord(type), data, size);
        default:
            return PrefixedByteList(TypeNumberPrefix(type), data, size);
    }
}

std::string FormatValueText(const Bytes& data, std::uint32_t type, bool regeditStyle) {
    return FormatValueText(data.data(), data.size(), type, regeditStyle);
}

void ParseValueText(std::string_view text, std::uint32_t& type, Bytes& data) {
    type = RegNone;
    data.clear();
    text = TrimView(text);
    const Dispatch dispatch = ChooseForm(text);
    std::uint32_t parsedType = dispatch.type;
    Bytes parsed;
    switch (dispatch.form) {
        case Form::Empty:
        case Form::RegNoneName:
            break;
        case Form::String: {
            const std::string_view rest =
                dispatch.word.empty() ? text : AfterTypeWord(text, dispatch.word);
            parsed = StringBytes(StringBody(rest));
            break;
        }
        case Form::DwordNumber:
            parsed = DwordBytes(ReadDwordNumber(AfterTypeWord(text, dispatch.word)));
            break;
        case Form::TypeNumber: {
            std::string_view rest = AfterTypeNumberWord(text);
            parsedType = ReadTypeNumber(rest);
            parsed = ReadByteList(rest);
            break;
        }
        case Form::ByteList:
            parsed = ReadByteList(AfterTypeWord(text, dispatch.word));
            break;
    }
    type = parsedType;
    data = std::move(parsed);
}

std::uint32_t ValueTextType(std::string_view text) {
    text = TrimView(text);
    const Dispatch dispatch = ChooseForm(text);
    switch (dispatch.form) {
        case Form::Empty:
        case Form::RegNoneName:
            break;
        case Form::String:
            StringBody(dispatch.word.empty() ? text : AfterTypeWord(text, dispatch.word));
            break;
        case Form::TypeNumber: {
            std::string_view rest = AfterTypeNumberWord(text);
            return ReadTypeNumber(rest);
        }
        case Form::DwordNumber:
        case Form::ByteList:
            AfterTypeWord(text, dispatch.word);
            break;
    }
    return dispatch.type;
}

std::string MakeStringValueText(std::string_view text, bool expandable) {
    std::string result;
    if (expandable) {
        result += TypeWord(RegExpandSz);
        result += kPrefixSeparator;
    }
    result += kQuote;
    result += text;
    result += kQuote;
    return result;
}

std::string StringFromValueText(std::string_view valueText) {
    std::uint32_t type = RegNone;
    Bytes data;
    ParseValueText(valueText, type, data);
    if (type == RegNone || data.empty())
        return {};
    if (type != RegSz && type != RegExpandSz && type != RegLink)
        throw Exception("Expected string type for value " + std::string(valueText) +
                        ". Enclose in double quotes to create a string type." +
                        " Pefix this string with expandable string to make it an expandable" +
                        " string.");
    return StringUpToZero(data);
}

std::string ToRegeditValueText(std::string_view valueText) {
    // Surrounding blanks are dropped first, so that every string, however it
    // was typed, gets the escaped form.
    valueText = TrimView(valueText);
    if (!valueText.empty() && valueText.front() == kQuote) {
        const std::string_view inner =
            valueText.size() >= 2 ? valueText.substr(1, valueText.size() - 2) : std::string_view();
        const Bytes bytes = StringBytes(inner);
        if (QuotedFormKeepsBytes(bytes.data(), bytes.size()))
            return QuoteText(inner);
        return FormatValueText(bytes, RegSz, true);
    }
    std::uint32_t type = RegNone;
    Bytes data;
    ParseValueText(valueText, type, data);
    if (type == RegSz && QuotedFormKeepsBytes(data.data(), data.size()))
        return QuoteText(StringUpToZero(data));  // "hex(1): ..." that a string carries
    return FormatValueText(data, type, true);
}

std::string FromRegeditValueText(std::string_view text) {
    text = TrimView(text);
    if (!text.empty() && text.front() == kQuote)
        return std::string(1, kQuote) + UnquoteText(text) + kQuote;
    std::uint32_t type = RegNone;
    Bytes data;
    ParseValueText(text, type, data);
    return ExactValueText(data, type);
}

std::string ExactValueText(const Bytes& data, std::uint32_t type) {
    std::string display = FormatValueText(data, type, false);
    // Some values have no exact display form (a REG_NONE with data, a DWORD
    // that is not 4 bytes, a string with a zero byte inside, a link, whose
    // byte list reads back only as a string); those keep their bytes as a
    // numbered byte list, so that nothing is lost on the way back.
    bool same = false;
    try {
        std::uint32_t shownType = RegNone;
        Bytes shown;
        ParseValueText(display, shownType, shown);
        same = shownType == type && shown == data;
    } catch (const Exception&) {
    }
    if (!same)
        display = PrefixedByteList(TypeNumberPrefix(type), data.data(), data.size());
    return display;
}

}  // namespace zanver
