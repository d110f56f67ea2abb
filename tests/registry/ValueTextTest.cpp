#include <gtest/gtest.h>

#include <string>
#include <typeinfo>
#include <vector>

#include "ErrorOf.h"
#include "Exception.h"
#include "Store.h"
#include "StoreHelpers.h"
#include "ValueText.h"

using namespace zanver;
using zanver::test::Sz;

namespace {

Bytes B(std::initializer_list<int> values) {
    Bytes data;
    for (int v : values)
        data.push_back(static_cast<std::uint8_t>(v));
    return data;
}

const std::string kUndetermined1 = "Could not determine the type of value: ";
const std::string kUndetermined2 =
    ". Use no value at all, the words unassigned or hex(0) to make a value unassigned. Enclose "
    "a string in double quotes or start with one of the following words: expandable string, "
    "hex, dword, dword big endian , link, multiple strings, resource list or hex(a DWORD "
    "representing type).";

// The message ParseValueText raises for text, and whether it is a conversion
// error.
std::pair<std::string, bool> ParseError(std::string_view text) {
    std::uint32_t type = 0;
    Bytes data;
    try {
        ParseValueText(text, type, data);
    } catch (const Exception& e) {
        return {e.Message(), typeid(e) == typeid(EConvertError)};
    }
    return {"no error", false};
}

}  // namespace

TEST(ValueTextFormat, EachTypeInBothStyles) {
    struct Case {
        Bytes data;
        std::uint32_t type;
        std::string display;
        std::string regedit;
    };
    const std::vector<Case> cases = {
        {Sz("abc"), RegSz, "\"abc\"", "\"abc\""},
        // The clipboard's quoted form would change these strings.
        {B({'a', 0, 'b', 0}), RegSz, "\"a\"", "hex(1): 61,00,62,00"},
        {B({'a', 'b'}), RegSz, "\"ab\"", "hex(1): 61,62"},
        {{}, RegSz, "\"\"", "hex(1): "},
        {B({'a', '\n', 'b', 0}), RegSz, "\"a\nb\"", "hex(1): 61,0A,62,00"},
        {B({'a', '\r', '\n', 0}), RegSz, "\"a\r\n\"", "\"a\r\n\""},
        {Sz("a\"b\\c"), RegSz, "\"a\"b\\c\"", "\"a\"b\\c\""},
        {B({1, 2, 255}), RegBinary, "hex: 01,02,FF", "hex: 01,02,FF"},
        {{}, RegBinary, "hex: ", "hex: "},
        {B({0x78, 0x56, 0x34, 0x12}), RegDword, "dword: 12345678", "dword: 12345678"},
        {{}, RegNone, "unassigned", "hex(0): "},
        {B({1}), RegNone, "unassigned", "hex(0): 01"},
        {Sz("%PATH%"), RegExpandSz, "expandable string: \"%PATH%\"",
         "hex(2): 25,50,41,54,48,25,00"},
        {B({0, 0, 0, 1}), RegDwordBigEndian, "dword big endian: 00,00,00,01",
         "hex(5): 00,00,00,01"},
        {B({0x61, 0}), RegLink, "link: 61,00", "hex(6): 61,00"},
        {B({1, 2, 255}), RegMultiSz, "multiple strings: 01,02,FF", "hex(7): 01,02,FF"},
        {B({0xAB}), RegResourceList, "resource list: AB", "hex(8): AB"},
        {B({1, 2, 255}), 9, "hex(9): 01,02,FF", "hex(9): 01,02,FF"},
        {{}, 0xFFFFFFFFu, "hex(-1): ", "hex(-1): "},
        {B({0x10}), 0x80000000u, "hex(-2147483648): 10", "hex(-2147483648): 10"},
        // A DWORD of another size: missing bytes count as zero and extra ones
        // are not shown; for the clipboard it keeps its exact bytes.
        {B({0x1F}), RegDword, "dword: 0000001F", "hex(4): 1F"},
        {{}, RegDword, "dword: 00000000", "hex(4): "},
        {B({1, 2, 3, 4, 5}), RegDword, "dword: 04030201", "hex(4): 01,02,03,04,05"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FormatValueText(c.data, c.type, false), c.display);
        EXPECT_EQ(FormatValueText(c.data, c.type, true), c.regedit);
    }
    EXPECT_EQ(FormatValueText(nullptr, 0, RegDword, false), "dword: 00000000");
}

TEST(ValueTextParse, AcceptedForms) {
    struct Case {
        std::string text;
        std::uint32_t type;
        Bytes data;
    };
    const std::vector<Case> cases = {
        {"", RegNone, {}},
        {" \t\r\n ", RegNone, {}},
        {"UnAssigned:", RegNone, {}},
        {"REG_NONE and anything after it", RegNone, {}},
        {"hex(0): 01,02", RegNone, B({1, 2})},
        {"unassigned: 05", RegNone, B({5})},
        {"\"a\"b\"", RegSz, Sz("a\"b")},
        {"\"\"", RegSz, Sz("")},
        {"  \"x y\"  ", RegSz, Sz("x y")},
        {"\"\\n\"", RegSz, Sz("\\n")},
        {"EXPANDABLE STRING\"x\"", RegExpandSz, Sz("x")},
        {"link : \"target\"", RegLink, Sz("target")},
        {"dword:", RegDword, B({0, 0, 0, 0})},
        {"DWORD 1f", RegDword, B({0x1F, 0, 0, 0})},
        {"dword : 1f", RegDword, B({0x1F, 0, 0, 0})},
        {"dword: FFFFFFFF", RegDword, B({255, 255, 255, 255})},
        {"hex: 01,02,FF", RegBinary, B({1, 2, 255})},
        {"hex:01,02,", RegBinary, B({1, 2})},
        {"hex: 1 , 2\t,\n3", RegBinary, B({1, 2, 3})},
        {"hex: 1FF,12345678", RegBinary, B({0xFF, 0x78})},
        {"hex", RegBinary, {}},
        {"resource list: ab", RegResourceList, B({0xAB})},
        {"HEX(9)01,02", 9, B({1, 2})},
        {"hex( 12) : 0a", 12, B({10})},
        {"hex($10):", 16, {}},
        {"hex(-1): ff", 0xFFFFFFFFu, B({255})},
        {"hex(4): 1f", RegDword, B({0x1F})},
        {"hex(1): 41", RegSz, B({0x41})},
    };
    for (const Case& c : cases) {
        std::uint32_t type = 99;
        Bytes data = B({7});
        ParseValueText(c.text, type, data);
        EXPECT_EQ(type, c.type) << c.text;
        EXPECT_EQ(data, c.data) << c.text;
    }
}

TEST(ValueTextParse, ErrorMessages) {
    struct Case {
        std::string text;
        std::string message;
        bool convertError;
    };
    const std::string longText(40, 'z');
    const std::vector<Case> cases = {
        {"xyz", kUndetermined1 + "xyz" + kUndetermined2, false},
        {"  " + longText + "  ", kUndetermined1 + longText.substr(0, 32) + kUndetermined2, false},
        {"hax: 01", kUndetermined1 + "hax: 01" + kUndetermined2, false},
        {"hexx(1)", "Could not convert byte 1 starting at: x(1)", true},
        {"dword big: 01", kUndetermined1 + "dword big: 01" + kUndetermined2, false},
        {"expandable string", "\" expected.", false},
        {"expandable string: %PATH%", "\" expected: %PATH%", false},
        {"link " + longText, "\" expected: " + longText.substr(0, 32), false},
        {"\"", "Unterminated string or extra input: \"", false},
        {"\"abc", "Unterminated string or extra input: \"abc", false},
        {"link: \"abc\" x", "Unterminated string or extra input: \"abc\" x", false},
        {"\"" + longText + longText + "x",
         "Unterminated string or extra input: \"" + (longText + longText).substr(0, 63), false},
        {"dword: 123456789", "Could not covert $123456789 to DWORD", true},
        {"dword xyz", "Could not covert $xyz to DWORD", true},
        {"hex: 01,,02", "Could not convert byte 2 starting at: ,02", true},
        {"hex: 123456789", "Could not convert byte 1 starting at: 123456789", true},
        {"multiple strings: 00,0x1", "Could not convert byte 2 starting at: 0x1", true},
        {"hex(7", ") expected: 7", false},
        {"hex(", ") expected.", false},
        {"hex(x): 01", "'x' is not a valid integer value", true},
        {"hex(): 01", "'' is not a valid integer value", true},
        {"hex(3): 01,x", "Could not convert byte 2 starting at: x", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseError(c.text), std::pair(c.message, c.convertError)) << c.text;
}

TEST(ValueTextType, ChecksWordsQuotesAndTypeNumbersOnly) {
    EXPECT_EQ(ValueTextType("dword: zz"), RegDword);
    EXPECT_EQ(ValueTextType("hex: zz"), RegBinary);
    EXPECT_EQ(ValueTextType("dword big endian zz"), RegDwordBigEndian);
    EXPECT_EQ(ValueTextType("hex(12): zz"), 12u);
    EXPECT_EQ(ValueTextType("resource list"), RegResourceList);

    // The words must be complete, and a type number a number.
    EXPECT_EQ(ErrorOf([] { ValueTextType("multiple"); }),
              kUndetermined1 + "multiple" + kUndetermined2);
    EXPECT_EQ(ErrorOf([] { ValueTextType("hex(q)"); }), "'q' is not a valid integer value");
}

TEST(ValueTextStrings, StringFromValueText) {
    EXPECT_EQ(StringFromValueText("\"abc\""), "abc");
    EXPECT_EQ(StringFromValueText("expandable string: \"%x%\""), "%x%");
    EXPECT_EQ(StringFromValueText("link \"y\""), "y");
    EXPECT_EQ(StringFromValueText("hex(1): 41,00,42"), "A");
    EXPECT_EQ(StringFromValueText("hex(2): 41,42"), "AB");
    EXPECT_EQ(StringFromValueText(""), "");
    EXPECT_EQ(StringFromValueText("hex(0): 41"), "");
    EXPECT_EQ(StringFromValueText("hex:"), "");
    EXPECT_EQ(StringFromValueText("dword big endian"), "");

    const std::string tail =
        ". Enclose in double quotes to create a string type. Pefix this string with expandable "
        "string to make it an expandable string.";
    for (const std::string text : {"dword: 1", " hex: 41 "})
        EXPECT_EQ(ErrorOf([&] { StringFromValueText(text); }),
                  "Expected string type for value " + text + tail);
    EXPECT_THROW(StringFromValueText("\"open"), Exception);
}

TEST(ValueTextStrings, MakeStringValueTextQuotesWithoutEscaping) {
    EXPECT_EQ(MakeStringValueText("a\"b\\", false), "\"a\"b\\\"");
    EXPECT_EQ(MakeStringValueText("%PATH%", true), "expandable string: \"%PATH%\"");
    EXPECT_EQ(MakeStringValueText("", false), "\"\"");
}

TEST(ValueTextConversion, DisplayToRegeditAndBack) {
    struct Case {
        std::string display;
        std::string regedit;
    };
    const std::vector<Case> cases = {
        {"\"C:\\dir\\\"q\"", "\"C:\\\\dir\\\\\\\"q\""},
        {"\"a\r\nb\"", "\"a\\nb\""},
        {"\"\"", "\"\""},
        {"expandable string: \"%PATH%\"", "hex(2): 25,50,41,54,48,25,00"},
        {"dword: 0000001F", "dword: 0000001F"},
        {"multiple strings: 61,00,00", "hex(7): 61,00,00"},
        {"hex: 01", "hex: 01"},
        {"unassigned", "hex(0): "},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ToRegeditValueText(c.display), c.regedit);
        EXPECT_EQ(FromRegeditValueText(c.regedit), c.display);
    }
    EXPECT_EQ(ToRegeditValueText("dword:1f"), "dword: 0000001F");
    EXPECT_EQ(ToRegeditValueText("\""), "\"\"");
    // Strings get the escaped form however they were typed.
    EXPECT_EQ(ToRegeditValueText("  \"a\\b\" "), "\"a\\\\b\"");
    EXPECT_EQ(ToRegeditValueText("hex(1): 22,5C,6E,00"), "\"\\\"\\\\n\"");
    // A string the quoted form cannot carry keeps its bytes.
    EXPECT_EQ(ToRegeditValueText("hex(1): 22,5C,6E,00,41"), "hex(1): 22,5C,6E,00,41");
    EXPECT_EQ(ToRegeditValueText("\"a\nb\""), "hex(1): 61,0A,62,00");
    EXPECT_EQ(FromRegeditValueText(" \"a\\\\b\" "), "\"a\\b\"");
    EXPECT_EQ(FromRegeditValueText("dword:0000001f"), "dword: 0000001F");
    EXPECT_EQ(FromRegeditValueText("\"a\rb\\q\""), "\"a\rb\\q\"");
    // Values without an exact display form keep their bytes.
    EXPECT_EQ(FromRegeditValueText("hex(0):"), "unassigned");
    EXPECT_EQ(FromRegeditValueText("hex(0):01"), "hex(0): 01");
    EXPECT_EQ(FromRegeditValueText("hex(4):01,02,03"), "hex(4): 01,02,03");
    EXPECT_EQ(FromRegeditValueText("hex(2):41,42"), "hex(2): 41,42");
    EXPECT_EQ(FromRegeditValueText("hex(2):41,42,00"), "expandable string: \"AB\"");
    EXPECT_EQ(FromRegeditValueText("hex(6):61,00"), "hex(6): 61,00");
    EXPECT_THROW(ToRegeditValueText("zzz"), Exception);
    EXPECT_EQ(ErrorOf([] { FromRegeditValueText("\"abc"); }),
              "Unterminated string or extra input: \"abc");
}
