// Registry files exchanged with the system's own registry editor (regedit.exe,
// Wine's under the Wine leg): what our exporter writes must import unchanged,
// and what the system's editor exports must import into our store with every
// value intact. The registry is read back through Win32Store.

// Our headers first: <windows.h> turns the root names of RootKeys.h into macros.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "ErrorCodes.h"
#include "ErrorOf.h"
#include "MemoryStore.h"
#include "RegFile.h"
#include "RootKeys.h"
#include "StoreHelpers.h"
#include "Utf16Text.h"
#include "Win32Store.h"

namespace {
constexpr zanver::StoreKey kCurrentUser = zanver::HKEY_CURRENT_USER;
}  // namespace

#include <windows.h>

using namespace zanver;

namespace {

constexpr const char* kBase = "Software\\ZanverRegFileWineTest";

// Writes keys and values of every kind below HKEY_CURRENT_USER\base: ASCII
// text, binary data, the types that carry no text and text outside ASCII (the
// system's 8-bit ANSI code page on Windows). The values of each key are written
// in the order of their names, in which Wine's registry keeps them.
void Fill(RegistryStore& store, const std::string& base) {
    using namespace std::string_literals;
    const auto put = [&](const std::string& path, const std::string& name = {},
                         std::optional<std::uint32_t> type = {}, const std::string& bytes = {}) {
        const std::string full = path.empty() ? base : base + "\\" + path;
        test::Key key(store);
        ASSERT_EQ(test::Create(store, kCurrentUser, full, key), 0) << full;
        if (type) {
            EXPECT_EQ(test::Set(store, key, name, *type, bytes), 0) << full << " " << name;
        }
    };
    put("", "", RegSz, "default value\0"s);
    put("", "backslashes", RegSz, "C:\\Program Files\\App\\\\x\\\0"s);
    put("", "big endian", RegDwordBigEndian, "\x12\x34\x56\x78"s);
    put("", "binary empty", RegBinary, ""s);
    put("", "caf\xe9", RegSz,
        "Gr\xfc\xdf"
        "e \xe0 \xb5\0"s);
    put("", "dword", RegDword, "\x78\x56\x34\x12"s);
    put("", "dword max", RegDword, "\xff\xff\xff\xff"s);
    put("", "empty", RegSz, "\0"s);
    put("", "expand", RegExpandSz, "%SystemRoot%\\system32\\app.dll,-101\0"s);
    put("", "expand non-ascii", RegExpandSz, "%APPDATA%\\\xc9t\xe9\0"s);
    put("", "multi", RegMultiSz, "one\0two \"2\"\0\\three\0\0"s);
    put("", "multi non-ascii", RegMultiSz, "\xe4\0\xf6\xfc\0\0"s);
    put("", "name with \"quotes\", \\ and =", RegSz, "v\0"s);
    put("", "none", RegNone, "\x01\x02"s);
    put("", "none empty", RegNone, ""s);
    put("", "quotes", RegSz, "say \"hi\" and \"\"\0"s);
    put("", "qword", 11, "\x01\x02\x03\x04\x05\x06\x07\x08"s);
    put("", "type 0x100", 0x100, "\xAA\xBB"s);
    // Lengths around and far over a line of hex bytes, in the order of their names.
    for (std::size_t length : {1u, 24u, 25u, 26u, 27u, 333u, 80u}) {
        std::string bytes;
        for (std::size_t i = 0; i < length; ++i)
            bytes.push_back(static_cast<char>(i * 37 + length));
        put("Binary", "b" + std::to_string(length), RegBinary, bytes);
    }
    put("Cl\xe9", "", RegSz, "key name outside ASCII\0"s);
    // Long text over the wrap width, in hex(2) and hex(7).
    put("Long", "", RegSz, std::string(400, 's') + "\0"s);
    put("Long", "expand", RegExpandSz,
        std::string(150, 'x') + "%TEMP%\\" + std::string(90, 'y') + "\0"s);
    put("Long", "multi", RegMultiSz,
        std::string(100, 'm') + "\0"s + std::string(60, 'n') + "\0\0"s);
    put("Sub\\Deeper\\Deepest", "", RegSz, "deep\0"s);
    put("Key with spaces [and brackets]", "v", RegDword, "\x01\0\0\0"s);
    put("Empty key");
    put("Sub\\Empty below");
}

std::string Tree(RegistryStore& store, const std::string& base) {
    return test::Tree(store, kCurrentUser, base);
}

// Runs the system's registry editor with args and waits for it.
DWORD RunRegedit(const std::string& args) {
    std::string command = "regedit.exe " + args;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return GetLastError() | 0x80000000u;
    WaitForSingleObject(process.hProcess, 120000);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

class RegFileWineTest : public ::testing::Test {
  protected:
    void SetUp() override {
        RemoveTestKey();
        char folder[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, folder);
        file_ = std::string(folder) + "zanver-regfile-wine-" +
                std::to_string(GetCurrentProcessId()) + ".reg";
    }
    void TearDown() override {
        RemoveTestKey();
        std::remove(file_.c_str());
    }
    static void RemoveTestKey() {
        RegDeleteTreeA(HKEY_CURRENT_USER, kBase);
        RegDeleteKeyA(HKEY_CURRENT_USER, kBase);
    }

    std::string file_;
};

// Our export, imported by the system's editor, reads back the same through
// the registry.
TEST_F(RegFileWineTest, OurExportImportsUnchanged) {
    const std::string base = std::string(kBase) + "\\Ours";
    MemoryStore memory;
    Fill(memory, base);
    for (const RegFormat format : {RegFormat::Version5, RegFormat::Regedit4}) {
        ExportRegFile(memory, kCurrentUser, base, file_, format);
        ASSERT_EQ(RunRegedit("/s " + Quoted(file_)), 0u);
        Win32Store registry;
        EXPECT_EQ(Tree(registry, base), Tree(memory, base));
        RemoveTestKey();
    }
}

// The system editor's export imports into our store with every key and value.
TEST_F(RegFileWineTest, TheirExportImportsWithEveryValue) {
    const std::string base = std::string(kBase) + "\\Theirs";
    Win32Store registry;
    Fill(registry, base);
    ASSERT_EQ(RunRegedit("/e " + Quoted(file_) + " " + Quoted("HKEY_CURRENT_USER\\" + base)), 0u);
    MemoryStore memory;
    ImportRegFile(memory, file_);
    EXPECT_EQ(Tree(memory, base), Tree(registry, base));
}

// The error of importing a 5.00 file holding lines, or "no error".
std::string Version5ImportError(RegistryStore& store, const std::u16string& lines) {
    const std::u16string key(kBase, kBase + std::strlen(kBase));
    return ErrorOf([&] {
        ImportRegText(store, Utf16(u"Windows Registry Editor Version 5.00\r\n[HKEY_CURRENT_USER\\" +
                                   key + u"]\r\n" + lines));
    });
}

// The registry's 8-bit text is in the ANSI code page (1252 in Wine's default
// prefix): characters outside it are refused with the line rather than stored
// as '?' or a look-alike, and a lone surrogate standing for a byte is the byte.
TEST_F(RegFileWineTest, Version5ImportConvertsToTheAnsiCodePage) {
    if (GetACP() != 1252)
        GTEST_SKIP() << "ANSI code page " << GetACP();
    MemoryStore store;
    EXPECT_EQ(Version5ImportError(store,
                                  u"\"caf\u00e9\"=\"\u20ac \xDCE9\"\r\n"
                                  u"\"x\"=hex(2):e9,00,fc,00,00,00\r\n"),
              "no error");
    const std::string values = Tree(store, kBase);
    EXPECT_EQ(values, "\"caf\xe9\" 1: 128 32 233 0\n\"x\" 2: 233 252 0\n");

    // U+0100 would become 'A' by best fit; U+4E2D has no form at all.
    EXPECT_EQ(Version5ImportError(store, u"\"ok\"=\"1\"\r\n\"\u0100\"=\"v\"\r\n"),
              "Line 4: The line holds characters that the ANSI code page cannot represent.");
    EXPECT_EQ(Version5ImportError(store, u"\"a\"=hex(1):2d,4e,00,00\r\n"),
              "Line 3: The string data holds characters that the ANSI code page cannot "
              "represent.");
    EXPECT_EQ(Version5ImportError(store, u"\"a\"=\"\U0001F600\"\r\n"),
              "Line 3: The line holds characters that the ANSI code page cannot represent.");
    EXPECT_EQ(Version5ImportError(store, u"\"a\"=\"x\xD800y\"\r\n"),
              "Line 3: Invalid UTF-16 text.");
    EXPECT_EQ(Tree(store, kBase), values);
}

}  // namespace
