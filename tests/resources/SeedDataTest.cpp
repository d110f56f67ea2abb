// The bundled seed data: it must import cleanly and hold what the editor
// relies on to show a real-looking set of associations.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "ActiveStore.h"
#include "MemoryStore.h"
#include "RegFile.h"
#include "RegistryAccess.h"
#include "SeedRegistry.h"
#include "StoreHelpers.h"
#include "StrUtils.h"

using namespace zanver;
using namespace zanver::test;

namespace {

std::vector<std::string> Extensions() {
    std::vector<std::string> names = SubKeysOf(HKEY_CLASSES_ROOT, "");
    std::erase_if(names, [](const std::string& name) { return !name.starts_with('.'); });
    return names;
}

class SeedData : public ::testing::Test {
  protected:
    void SetUp() override { result_ = ImportRegText(store_, SeedRegistryText()); }

    MemoryStore store_;
    ScopedActiveStore active_{store_};
    RegImportResult result_;
};

TEST(SeedText, IsRegedit4TextWithCrLfLineEnds) {
    const std::string_view text = SeedRegistryText();
    EXPECT_TRUE(text.starts_with("REGEDIT4\r\n") && text.ends_with("\r\n"));
    // A line feed always follows a carriage return, which never stands alone.
    for (std::size_t i = 1; i < text.size(); ++i)
        ASSERT_EQ(text[i] == '\n', text[i - 1] == '\r') << "line end at byte " << i;
    EXPECT_EQ(text.find('\0'), std::string_view::npos);
}

TEST_F(SeedData, EveryExtensionNamesAFileTypeWithADescription) {
    EXPECT_GT(result_.keys, 300u);
    const std::vector<std::string> extensions = Extensions();
    EXPECT_GE(extensions.size(), 40u);
    for (const std::string& ext : extensions) {
        const std::string fileType = ReadString(HKEY_CLASSES_ROOT, ext, "");
        ASSERT_FALSE(fileType.empty()) << ext;
        EXPECT_FALSE(ReadString(HKEY_CLASSES_ROOT, fileType, "").empty()) << ext << " " << fileType;
    }
}

// Every verb has a command, and every command line survives the import whole
// (a broken hex(2) continuation would cut it short or leave it empty).
TEST_F(SeedData, EveryShellVerbHasACommand) {
    int verbs = 0;
    for (const std::string& key : SubKeysOf(HKEY_CLASSES_ROOT, "")) {
        for (const std::string& verb : SubKeysOf(HKEY_CLASSES_ROOT, key + "\\shell")) {
            const std::string path = key + "\\shell\\" + verb + "\\command";
            const std::uint32_t type = GetValueType(HKEY_CLASSES_ROOT, path, "");
            EXPECT_TRUE(type == RegSz || type == RegExpandSz) << path;
            const std::string command = ReadExpandString(HKEY_CLASSES_ROOT, path, "");
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
    for (const std::string& key : SubKeysOf(HKEY_CLASSES_ROOT, "")) {
        const std::string guid = ReadString(HKEY_CLASSES_ROOT, key + "\\CLSID", "");
        if (key.starts_with('.') || key == "CLSID" || guid.empty())
            continue;
        ++pointing;
        EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, "CLSID\\" + guid + "\\ProgID", ""), key) << guid;
    }
    EXPECT_GE(pointing, 3);
}

TEST_F(SeedData, ContentTypesAreInTheMimeDatabase) {
    std::map<std::string, std::vector<std::string>> byType;
    for (const std::string& ext : Extensions()) {
        const std::string type = ReadString(HKEY_CLASSES_ROOT, ext, "Content Type");
        if (!type.empty())
            byType[type].push_back(LowerCaseAscii(ext));
    }
    EXPECT_GE(byType.size(), 25u);
    for (const auto& [type, extensions] : byType)
        EXPECT_THAT(extensions,
                    ::testing::Contains(LowerCaseAscii(ReadString(
                        HKEY_CLASSES_ROOT, "MIME\\Database\\Content Type\\" + type, "Extension"))))
            << type;
}

TEST_F(SeedData, EditFlagsHoldFourBytes) {
    int found = 0;
    for (const std::string& key : SubKeysOf(HKEY_CLASSES_ROOT, "")) {
        std::uint32_t type = 0;
        std::vector<std::uint8_t> data;
        if (!ReadRawValue(HKEY_CLASSES_ROOT, key, "EditFlags", type, data))
            continue;
        ++found;
        EXPECT_TRUE(type == RegBinary || type == RegDword) << key;
        EXPECT_EQ(data.size(), 4u) << key;
    }
    EXPECT_GE(found, 15);
}

TEST_F(SeedData, ShellKeysForAnyFileFoldersDrivesAndThePerUserSettings) {
    for (const char* key :
         {"*\\shellex\\ContextMenuHandlers\\Open With", "Folder\\shell\\open\\command",
          "Drive\\shell\\find\\command", "Unknown\\shell\\openas\\command"})
        EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, key)) << key;
    EXPECT_FALSE(GetTemplatesFolder().empty());
    const std::string fileExts = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts";
    const std::string app = ReadString(HKEY_CURRENT_USER, fileExts + "\\.log", "Application");
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, "Applications\\" + app + "\\shell\\open\\command"));
}

}  // namespace
