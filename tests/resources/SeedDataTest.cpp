// The bundled seed data: it must import cleanly and hold what the editor
// relies on to show a real-looking set of associations.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "ActiveStore.h"
#include "MemoryStore.h"
#include "RegFile.h"
#include "Registry.h"
#include "RegistryAccess.h"
#include "SeedRegistry.h"
#include "StrUtils.h"

using namespace zanver;

namespace {

constexpr std::uint32_t kRegSz = 1;
constexpr std::uint32_t kRegExpandSz = 2;
constexpr const char* kExplorer = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer";

std::vector<std::string> SubKeys(RootKey root, const std::string& path) {
    TRegistry registry(root);
    std::vector<std::string> names;
    if (registry.OpenKey(path, false))
        registry.GetKeyNames(names);
    return names;
}

std::vector<std::string> Extensions() {
    std::vector<std::string> names = SubKeys(HKEY_CLASSES_ROOT, "");
    std::erase_if(names, [](const std::string& name) { return !name.starts_with('.'); });
    return names;
}

std::string Command(const std::string& fileType, const std::string& verb) {
    return ReadExpandString(HKEY_CLASSES_ROOT, fileType + "\\shell\\" + verb + "\\command", "");
}

class SeedData : public ::testing::Test {
  protected:
    void SetUp() override { result_ = ImportRegText(store_, SeedRegistryText()); }

    MemoryStore store_;
    ScopedActiveStore active_{store_};
    RegImportResult result_;
};

TEST(SeedText, IsEightBitRegedit4TextWithCrLfLineEnds) {
    const std::string_view text = SeedRegistryText();
    ASSERT_TRUE(text.starts_with("REGEDIT4\r\n"));
    ASSERT_TRUE(text.ends_with("\r\n"));
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n') {
            ASSERT_EQ(text[i - 1], '\r') << "bare line feed at byte " << i;
        }
        if (text[i] == '\r') {
            ASSERT_EQ(text[i + 1], '\n') << "bare carriage return at byte " << i;
        }
        ASSERT_NE(text[i], '\0') << "zero byte at " << i;
    }
}

TEST_F(SeedData, ImportsWithoutSkippingAnything) {
    EXPECT_TRUE(result_.skipped.empty());
    EXPECT_GT(result_.keys, 300u);
    EXPECT_EQ(result_.deletions, 0u);
}

TEST_F(SeedData, EveryExtensionNamesAFileTypeWithADescription) {
    const std::vector<std::string> extensions = Extensions();
    EXPECT_GE(extensions.size(), 40u);
    for (const std::string& ext : extensions) {
        const std::string fileType = ReadString(HKEY_CLASSES_ROOT, ext, "");
        ASSERT_FALSE(fileType.empty()) << ext;
        EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, fileType)) << ext << " -> " << fileType;
        EXPECT_FALSE(ReadString(HKEY_CLASSES_ROOT, fileType, "").empty()) << fileType;
    }
    for (const char* common : {".txt", ".htm", ".jpg", ".mp3", ".avi", ".zip", ".doc", ".exe",
                               ".bat", ".ps1", ".py", ".cpp", ".lnk", ".url"})
        EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, common)) << common;
}

TEST_F(SeedData, TextFilesOpenEditAndPrintWithExpandableCommands) {
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, ".txt", ""), "txtfile");
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, ".txt", "Content Type"), "text/plain");
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, ".txt", "PerceivedType"), "text");
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, "txtfile", ""), "Text Document");
    EXPECT_EQ(GetValueType(HKEY_CLASSES_ROOT, "txtfile\\shell\\open\\command", ""), kRegExpandSz);
    EXPECT_EQ(Command("txtfile", "open"), "%SystemRoot%\\system32\\NOTEPAD.EXE \"%1\"");
    EXPECT_EQ(Command("txtfile", "printto"),
              "%SystemRoot%\\system32\\NOTEPAD.EXE /pt \"%1\" \"%2\" \"%3\" \"%4\"");
    EXPECT_EQ(ReadExpandString(HKEY_CLASSES_ROOT, "txtfile\\DefaultIcon", ""),
              "%SystemRoot%\\system32\\imageres.dll,-102");
    EXPECT_TRUE(ValueExists(HKEY_CLASSES_ROOT, ".txt\\ShellNew", "NullFile"));
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, ".doc\\Wordpad.Document.1\\ShellNew", "FileName"),
              "winword.doc");
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, "htmlfile\\shell\\open\\ddeexec\\Topic", ""),
              "WWW_OpenURL");
}

// Every verb has a command, and every command line survives the import whole
// (a broken hex(2) continuation would cut it short or leave it empty).
TEST_F(SeedData, EveryShellVerbHasACommand) {
    int verbs = 0;
    for (const std::string& key : SubKeys(HKEY_CLASSES_ROOT, "")) {
        if (key.starts_with('.') || key == "CLSID" || key == "MIME")
            continue;
        for (const std::string& verb : SubKeys(HKEY_CLASSES_ROOT, key + "\\shell")) {
            const std::string path = key + "\\shell\\" + verb + "\\command";
            const std::uint32_t type = GetValueType(HKEY_CLASSES_ROOT, path, "");
            EXPECT_TRUE(type == kRegSz || type == kRegExpandSz) << path;
            const std::string command = Command(key, verb);
            EXPECT_FALSE(command.empty()) << path;
            EXPECT_EQ(command, Trim(command)) << path;
            EXPECT_EQ(std::count(command.begin(), command.end(), '"') % 2, 0) << path;
            ++verbs;
        }
    }
    EXPECT_GT(verbs, 80);
}

TEST_F(SeedData, FileTypesPointToRegisteredClasses) {
    int pointing = 0;
    for (const std::string& key : SubKeys(HKEY_CLASSES_ROOT, "")) {
        if (key.starts_with('.') || key == "CLSID")
            continue;
        const std::string guid = ReadString(HKEY_CLASSES_ROOT, key + "\\CLSID", "");
        if (guid.empty())
            continue;
        ++pointing;
        EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, "CLSID\\" + guid)) << key << " -> " << guid;
        EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, "CLSID\\" + guid + "\\ProgID", ""), key);
    }
    EXPECT_GE(pointing, 3);
    const std::string link = "CLSID\\{00021401-0000-0000-C000-000000000046}";
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, link, ""), "Shortcut");
    EXPECT_FALSE(ReadExpandString(HKEY_CLASSES_ROOT, link + "\\InProcServer32", "").empty());
    // Classes known only by their program identifier or their server.
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, "CLSID\\{25336920-03F9-11CF-8FD0-00AA00686F13}", ""),
              "");
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT,
                         "pngfile\\shellex\\{E357FCCD-A995-4576-B01F-234630154E96}", ""),
              "{7B4E2C18-5A93-4F06-9D21-3C8E6A0F4B75}");
    EXPECT_FALSE(ReadExpandString(HKEY_CLASSES_ROOT,
                                  "CLSID\\{7B4E2C18-5A93-4F06-9D21-3C8E6A0F4B75}\\InProcServer32",
                                  "")
                     .empty());
}

TEST_F(SeedData, ContentTypesAreInTheMimeDatabase) {
    std::map<std::string, std::vector<std::string>> byType;
    for (const std::string& ext : Extensions()) {
        const std::string type = ReadString(HKEY_CLASSES_ROOT, ext, "Content Type");
        if (!type.empty())
            byType[type].push_back(LowerCaseAscii(ext));
    }
    EXPECT_GE(byType.size(), 25u);
    for (const auto& [type, extensions] : byType) {
        const std::string ext =
            ReadString(HKEY_CLASSES_ROOT, "MIME\\Database\\Content Type\\" + type, "Extension");
        EXPECT_NE(std::find(extensions.begin(), extensions.end(), LowerCaseAscii(ext)),
                  extensions.end())
            << type << " names " << ext;
    }
}

TEST_F(SeedData, ShellKeysForAnyFileFoldersDrivesAndUnknownTypes) {
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, "*"));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, "*\\shellex\\ContextMenuHandlers\\Open With"));
    EXPECT_FALSE(Command("Folder", "open").empty());
    EXPECT_FALSE(Command("Drive", "find").empty());
    EXPECT_NE(Command("Unknown", "openas").find("OpenAs_RunDLL %1"), std::string::npos);
    EXPECT_TRUE(ValueExists(HKEY_CLASSES_ROOT, "lnkfile", "NeverShowExt"));
    EXPECT_TRUE(ValueExists(HKEY_CLASSES_ROOT, "dllfile", "AlwaysShowExt"));
}

TEST_F(SeedData, EditFlagsHoldFourBytes) {
    int found = 0;
    for (const std::string& key : SubKeys(HKEY_CLASSES_ROOT, "")) {
        std::uint32_t type = 0;
        std::vector<std::uint8_t> data;
        if (!ReadRawValue(HKEY_CLASSES_ROOT, key, "EditFlags", type, data))
            continue;
        ++found;
        EXPECT_TRUE(type == 3 || type == 4) << key;
        EXPECT_EQ(data.size(), 4u) << key;
    }
    EXPECT_GE(found, 15);
}

TEST_F(SeedData, PerUserSettingsNameTheTemplatesAndOverrides) {
    EXPECT_FALSE(GetTemplatesFolder().empty());
    const std::string fileExts = std::string(kExplorer) + "\\FileExts\\";
    const std::string app = ReadString(HKEY_CURRENT_USER, fileExts + ".log", "Application");
    EXPECT_EQ(app, "wordpad.exe");
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, "Applications\\" + app + "\\shell\\open\\command"));
    EXPECT_EQ(ReadString(HKEY_CURRENT_USER, fileExts + ".jpg", "Application"), "mspaint.exe");
}

}  // namespace
