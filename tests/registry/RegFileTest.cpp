#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "ErrorOf.h"
#include "MemoryStore.h"
#include "RegFile.h"
#include "Utf16Text.h"

using namespace zanver;
using ::testing::StartsWith;

namespace {

class RegFileTest : public ::testing::Test {
  protected:
    RegImportResult Import(const std::string& text, bool skip = false) {
        RegImportOptions options;
        options.skipErrors = skip;
        return ImportRegText(store, text, options);
    }
    // The message of the import's error; the store must be unchanged by it.
    std::string ImportError(const std::string& text) {
        const std::string before = store.Dump();
        const std::string error = ErrorOf([&] { Import(text); });
        EXPECT_EQ(store.Dump(), before) << text;
        return error;
    }
    std::string Export(const std::string& key, RegFormat format = RegFormat::Regedit4) {
        return ExportRegText(store, HKEY_CURRENT_USER, key, format);
    }
    std::string Dump(const std::string& key = "T") { return store.Dump(HKEY_CURRENT_USER, key); }

    MemoryStore store;
};

TEST_F(RegFileTest, ReadsBothHeadersWithEveryLineEnd) {
    const std::string body[] = {"[HKEY_CURRENT_USER\\T]", "@=\"def\"", "\"a\"=dword:0000001f",
                                "\"b\"=hex:01,ff"};
    for (const char* end : {"\r\n", "\n", "\r"}) {
        std::string text4 = "REGEDIT4";
        std::u16string text5 = u"Windows Registry Editor Version 5.00";
        for (const std::string& line : body) {
            text4 += end + line;
            text5 += std::u16string(end, end + std::char_traits<char>::length(end)) +
                     std::u16string(line.begin(), line.end());
        }
        MemoryStore fromText4;
        ImportRegText(fromText4, text4);  // no final line end
        ImportRegText(store, Utf16(text5 + u"\r\n"));
        EXPECT_EQ(store.Dump(), fromText4.Dump());
    }
    EXPECT_EQ(Dump(),
              "[HKEY_CURRENT_USER\\T]\n  \"\" 1: 64 65 66 00\n  \"a\" 4: 1F 00 00 00\n"
              "  \"b\" 3: 01 FF\n");
}

TEST_F(RegFileTest, ReadsEscapesCommentsAndContinuedHexLines) {
    const auto result = Import(
        "REGEDIT4\n"
        "; a comment\n"
        "  [HKCU\\T\\Sub] ; trailing comment\n"
        "\"q\\\"\\\\\" = \"a\\\\b\\\"c\\nd\\re\\x\" ; note\n"
        "\"long\"=hex(7):61,00,\\\n"
        "  ; a comment between continuation lines\n"
        "\n"
        "  62,00,\\ ; and after the backslash\n"
        "  00\n"
        "\"odd\"=hex(abc):01\n"
        "\"dw\"=dword: 1f\n");
    EXPECT_EQ(result.keys, 1u);
    EXPECT_EQ(result.values, 4u);
    EXPECT_EQ(store.Dump(HKEY_CURRENT_USER, "T\\Sub"),
              "[HKEY_CURRENT_USER\\T\\Sub]\n"
              "  \"q\\\"\\\\\" 1: 61 5C 62 22 63 0A 64 0D 65 5C 78 00\n"
              "  \"long\" 7: 61 00 62 00 00\n"
              "  \"odd\" 2748: 01\n"
              "  \"dw\" 4: 1F 00 00 00\n");
}

TEST_F(RegFileTest, DeletesKeysWithTheirSubtreesAndValues) {
    // A subkey named by a blank goes with its parent.
    Import(
        "REGEDIT4\n[HKEY_CURRENT_USER\\T\\A\\B\\C]\n\"x\"=\"1\"\n[HKEY_CURRENT_USER\\T]\n"
        "\"keep\"=\"1\"\n\"gone\"=\"2\"\n@=\"d\"\n[HKEY_CURRENT_USER\\T\\A\\ ]\n");
    const auto result = Import(
        "REGEDIT4\n[-HKEY_CURRENT_USER\\T\\A]\n\"ignored\"=\"under a deleted key\"\n"
        "[-HKEY_CURRENT_USER\\T\\Missing]\n[HKEY_CURRENT_USER\\T]\n"
        "\"gone\"=-\n@=-\n\"never there\"=-\n");
    EXPECT_EQ(result.deletions, 4u);
    EXPECT_EQ(Dump(), "[HKEY_CURRENT_USER\\T]\n  \"keep\" 1: 31 00\n");
}

// Keys are created below the nearest key before them that is their ancestor;
// each value must still land in its own key, whatever order the keys come in.
TEST_F(RegFileTest, ValuesLandInTheirKeysInAnyOrderOfKeys) {
    const auto result = Import(
        "REGEDIT4\n[HKEY_CURRENT_USER\\T\\A]\n\"v\"=\"a\"\n[HKEY_CURRENT_USER\\T\\A\\B\\C]\n"
        "\"v\"=\"abc\"\n[HKEY_CURRENT_USER\\T\\AB]\n\"v\"=\"ab\"\n"
        "[HKEY_CURRENT_USER\\T\\A\\B]\n\"v\"=\"a.b\"\n[HKEY_LOCAL_MACHINE\\T\\A\\D]\n"
        "[HKEY_CURRENT_USER\\T\\A\\D]\n\"v\"=\"ad\"\n[HKEY_CURRENT_USER\\t\\a\\d\\E]\n"
        "\"v\"=\"ade\"\n[-HKEY_CURRENT_USER\\T\\A\\D]\n[HKEY_CURRENT_USER\\T\\A\\D\\F]\n"
        "\"v\"=\"adf\"\n");
    EXPECT_EQ(result.keys, 8u);
    EXPECT_EQ(Dump(),
              "[HKEY_CURRENT_USER\\T]\n[HKEY_CURRENT_USER\\T\\A]\n  \"v\" 1: 61 00\n"
              "[HKEY_CURRENT_USER\\T\\A\\B]\n  \"v\" 1: 61 2E 62 00\n"
              "[HKEY_CURRENT_USER\\T\\A\\B\\C]\n  \"v\" 1: 61 62 63 00\n"
              "[HKEY_CURRENT_USER\\T\\A\\D]\n[HKEY_CURRENT_USER\\T\\A\\D\\F]\n"
              "  \"v\" 1: 61 64 66 00\n[HKEY_CURRENT_USER\\T\\AB]\n  \"v\" 1: 61 62 00\n");
    EXPECT_EQ(store.Dump(HKEY_LOCAL_MACHINE, "T"),
              "[HKEY_LOCAL_MACHINE\\T]\n[HKEY_LOCAL_MACHINE\\T\\A]\n"
              "[HKEY_LOCAL_MACHINE\\T\\A\\D]\n");
}

TEST_F(RegFileTest, ReportsEveryErrorWithItsLineAndChangesNothing) {
    Import("REGEDIT4\n[HKEY_CURRENT_USER\\T]\n\"v\"=\"old\"\n");
    const std::string good = "REGEDIT4\n[HKEY_CURRENT_USER\\T]\n\"v\"=\"new\"\n[HKCU\\T\\New]\n";
    const struct {
        std::string text;
        std::string message;
    } cases[] = {
        {"REGEDIT5\n", "Line 1: Not a registry file"},
        {"", "Line 1: Not a registry file"},
        {good + "garbage\n", "Line 5: Unexpected text: garbage"},
        {good + "[HKEY_NOWHERE\\x]\n", "Line 5: Unknown root key HKEY_NOWHERE."},
        {good + "[HKEY_CURRENT_USER\\x\n", "Line 5: ] expected"},
        {good + "[HKEY_CURRENT_USER\\a\\\\b]\n", "Line 5: Empty key name"},
        {good + "[HKCU\\" + std::string(256, 'k') + "]\n", "Line 5: Key name longer than 255"},
        {good + "[-HKEY_CURRENT_USER]\n", "Line 5: A root key cannot be deleted"},
        {good + "\"" + std::string(16384, 'n') + "\"=\"x\"\n", "Line 5: Value name longer than"},
        {good + "\"a\"=\"unterminated\n", "Line 5: Unterminated string"},
        {good + "\"a\"=\"x\"junk\n", "Line 5: Unexpected text after the string"},
        {good + "\"a\"=dword:123456789\n", "Line 5: Invalid dword value"},
        {good + "\"a\"=hex(zz):01\n", "Line 5: Invalid type in hex(...)"},
        {good + "\"a\"=hex:01,\\\n  02,,03\n", "Line 6: Invalid byte in hex data: ,03"},
        {good + "\"a\"=hex:01,\\\n  02,\\\n", "Line 6: The file ends in the middle of a value"},
        {good + "\"a\"=qword:1\n", "Line 5: Unknown value type: qword:1"},
        {good + "\"a\" \"x\"\n", "Line 5: = expected"},
        {"REGEDIT4\n\"a\"=\"x\"\n", "Line 2: Value outside of a key"},
    };
    for (const auto& c : cases)
        EXPECT_THAT(ImportError(c.text), StartsWith(c.message)) << c.text;
    std::string deep = "REGEDIT4\n[HKCU";
    for (int i = 0; i < 513; ++i)
        deep += "\\k";
    EXPECT_THAT(ImportError(deep + "]\n"), StartsWith("Line 2: Key path deeper than 512 levels"));
}

TEST_F(RegFileTest, SkipsBadLinesWithTheirContinuationsWhenAsked) {
    const auto result = Import(
        "REGEDIT4\n[HKEY_CURRENT_USER\\T]\n\"a\"=hex:zz,\\\n  01,02\n"
        "\"b\"=\"kept\"\n[HKEY_BAD\\x]\n\"lost\"=\"under the bad key\"\n"
        "[HKCU\\T]\n\"c\"=dword:2\n",
        true);
    EXPECT_EQ(result.skipped, (std::vector<std::string>{"Line 3: Invalid byte in hex data: zz,",
                                                        "Line 6: Unknown root key HKEY_BAD."}));
    EXPECT_EQ(Dump(),
              "[HKEY_CURRENT_USER\\T]\n  \"b\" 1: 6B 65 70 74 00\n  \"c\" 4: 02 00 00 00\n");
}

TEST_F(RegFileTest, ConvertsUtf16WithSurrogatePairsAndRejectsLoneSurrogates) {
#ifndef _WIN32
    // U+00E9 and U+1F600 (a surrogate pair) in a name, a string and hex(1) data,
    // stored as UTF-8 (on Windows the store's text is in the ANSI code page:
    // RegFileWineTest checks that conversion).
    Import(
        Utf16(u"Windows Registry Editor Version 5.00\r\n[HKEY_CURRENT_USER\\T]\r\n"
              u"\"\u00e9\U0001F600\"=\"\U0001F600\"\r\n"
              u"\"h\"=hex(1):e9,00,3d,d8,00,de,00,00\r\n"));
    EXPECT_EQ(Dump(),
              "[HKEY_CURRENT_USER\\T]\n"
              "  \"\\xC3\\xA9\\xF0\\x9F\\x98\\x80\" 1: F0 9F 98 80 00\n"
              "  \"h\" 1: C3 A9 F0 9F 98 80 00\n");
#endif

    const std::u16string header = u"Windows Registry Editor Version 5.00\r\n[HKCU\\T]\r\n";
    EXPECT_THAT(ImportError(Utf16(header + u"\"a\"=\"x\xD800y\"\r\n")),
                StartsWith("Line 3: Invalid UTF-16 text."));
    EXPECT_THAT(ImportError(Utf16(header + u"\"a\"=hex(2):00,d8,00,00\r\n")),
                StartsWith("Line 3: Invalid UTF-16 text in the string data."));
    // A truncated file: half a character at the end.
    EXPECT_THAT(ImportError(Utf16(header + u"\"a\"=\"b\"").append("\x41")),
                StartsWith("Line 3: Invalid UTF-16 text."));
}

TEST_F(RegFileTest, ExportsLikeTheSystemEditorWithWrappedHex) {
    // 60 bytes, 0 to 0x3b, wrap over three lines.
    std::string bin = "00";
    for (int i = 1; i < 60; ++i)
        bin += "," + std::string(1, "0123"[i / 16]) + "0123456789abcdef"[i % 16];
    Import(
        "REGEDIT4\n[HKEY_CURRENT_USER\\T]\n@=\"def\"\n\"s\"=\"a\\\\b\\\"c\\nd\"\n"
        "\"dw\"=dword:0000001f\n\"bin\"=hex:" +
        bin + "\n\"" + std::string(70, 'n') +
        "\"=hex:ab,ab,ab\n\"t\"=hex(abc):01\n"
        "\"empty\"=hex(1):\n\"inner zero\"=hex(1):61,00,62,00\n\"short dword\"=hex(4):01\n"
        "[HKEY_CURRENT_USER\\T\\b]\n[HKEY_CURRENT_USER\\T\\A]\n");
    EXPECT_EQ(
        Export("T"),
        "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\T]\r\n@=\"def\"\r\n\"s\"=\"a\\\\b\\\"c\\nd\"\r\n"
        "\"dw\"=dword:0000001f\r\n"
        "\"bin\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16,\\\r\n"
        "  17,18,19,1a,1b,1c,1d,1e,1f,20,21,22,23,24,25,26,27,28,29,2a,2b,2c,2d,2e,2f,\\\r\n"
        "  30,31,32,33,34,35,36,37,38,39,3a,3b\r\n"
        "\"" +
            std::string(70, 'n') +
            "\"=hex:ab,\\\r\n  ab,ab\r\n"
            "\"t\"=hex(abc):01\r\n\"empty\"=hex(1):\r\n\"inner zero\"=hex(1):61,00,62,00\r\n"
            "\"short dword\"=hex(4):01\r\n\r\n"
            "[HKEY_CURRENT_USER\\T\\A]\r\n\r\n[HKEY_CURRENT_USER\\T\\b]\r\n\r\n");

    // Version 5.00: UTF-16LE with a byte order mark, string data in UTF-16.
    Import("REGEDIT4\n[HKEY_CURRENT_USER\\U]\n\"x\"=hex(2):25,00\n");
    EXPECT_EQ(Export("U", RegFormat::Version5),
              Utf16(u"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\U]\r\n"
                    u"\"x\"=hex(2):25,00,00,00\r\n\r\n"));
}

}  // namespace
