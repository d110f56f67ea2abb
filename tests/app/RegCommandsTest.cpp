#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "ActiveStore.h"
#include "MemoryStore.h"
#include "RegCommands.h"
#include "RegistryAccess.h"
#include "TempFolder.h"

using namespace zanver;

class RegCommands : public ::testing::Test {
  protected:
    int Run(std::vector<std::string> args) {
        out.str("");
        err.str("");
        return RunRegCommand(args, out, err);
    }
    MemoryStore store;
    ScopedActiveStore active{store};
    std::ostringstream out;
    std::ostringstream err;
};

TEST_F(RegCommands, SetThenQueryShowsKeysAsTheTreeDoes) {
    ASSERT_EQ(Run({"set", "HKEY_CLASSES_ROOT\\.txt", "\"txtfile\""}), 0) << err.str();
    ASSERT_EQ(Run({"set", "HKEY_CLASSES_ROOT\\.txt", "Content Type", "\"text/plain\""}), 0);
    ASSERT_EQ(Run({"set", "hkey_classes_root\\.txt\\ShellNew", "NullFile", "\"\""}), 0);
    ASSERT_EQ(Run({"set", "HKEY_CLASSES_ROOT\\.txt\\PersistentHandler", "dword: 1f"}), 0);

    ASSERT_EQ(Run({"query", "HKEY_CLASSES_ROOT\\.TXT"}), 0);
    EXPECT_EQ(out.str(),
              "HKEY_CLASSES_ROOT\\.TXT = \"txtfile\"\n"
              "  Content Type = \"text/plain\"\n"
              "  PersistentHandler = dword: 0000001F\n"
              "  ShellNew\n");
    ASSERT_EQ(Run({"query", "HKEY_CLASSES_ROOT\\.txt", "--recursive"}), 0);
    EXPECT_EQ(out.str(),
              "HKEY_CLASSES_ROOT\\.txt = \"txtfile\"\n"
              "  Content Type = \"text/plain\"\n"
              "  PersistentHandler = dword: 0000001F\n"
              "  ShellNew\n"
              "    NullFile = \"\"\n");
}

TEST_F(RegCommands, DeleteRemovesValuesAndWholeKeys) {
    Run({"set", "HKEY_CURRENT_USER\\a\\b\\c", "v", "hex: 01"});
    Run({"set", "HKEY_CURRENT_USER\\a", "w", "\"x\""});
    EXPECT_EQ(Run({"delete", "HKEY_CURRENT_USER\\a", "W"}), 0) << err.str();
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, "a", "w"));
    EXPECT_EQ(Run({"delete", "HKEY_CURRENT_USER\\a"}), 0) << err.str();
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "a"));
}

TEST_F(RegCommands, FailuresPrintTheMessageAndChangeNothing) {
    Run({"set", "HKEY_CLASSES_ROOT\\k", "\"keep\""});
    const std::string before = store.Dump();
    const struct {
        std::vector<std::string> args;
        std::string message;
    } cases[] = {
        {{"set", "HKEY_CLASSES_ROOT\\k", "dword: xyz"}, "Could not covert $xyz to DWORD.\n"},
        {{"set", "HKCU\\k", "\"x\""},
         "Unknown root key in HKCU\\k. Write keys with a full root name, such as "
         "HKEY_CLASSES_ROOT\\.txt.\n"},
        {{"set", "HKEY_CLASSES_ROOT\\" + std::string(256, 'n'), "\"x\""},
         "Failed to set default value for key HKEY_CLASSES_ROOT\\" + std::string(256, 'n') +
             " to \"x\". The parameter is incorrect.\n"},
        {{"delete", "HKEY_CLASSES_ROOT\\missing"},
         "Failed to delete HKEY_CLASSES_ROOT\\missing. The system cannot find the file "
         "specified.\n"},
        {{"delete", "HKEY_CLASSES_ROOT\\k", "missing"},
         "Failed to delete HKEY_CLASSES_ROOT\\k\\missing. The system cannot find the file "
         "specified.\n"},
        {{"delete", "HKEY_CLASSES_ROOT"}, "A root key cannot be deleted: HKEY_CLASSES_ROOT.\n"},
        {{"delete", "HKEY_CLASSES_ROOT\\\\"}, "A root key cannot be deleted: HKEY_CLASSES_ROOT.\n"},
        {{"delete", "HKEY_LOCAL_MACHINE\\Software"},
         "Failed to delete HKEY_LOCAL_MACHINE\\Software. Access is denied.\n"},
        {{"query", "HKEY_CLASSES_ROOT\\missing"},
         "Could not open HKEY_CLASSES_ROOT\\missing. The system cannot find the file specified.\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Run(c.args), 1) << c.message;
        EXPECT_EQ(err.str(), c.message);
        EXPECT_EQ(store.Dump(), before) << c.message;
    }
}

TEST_F(RegCommands, UsageErrorsShowHowToCallTheTool) {
    EXPECT_EQ(Run({}), 2);
    EXPECT_NE(err.str().find("Usage: zanver-reg"), std::string::npos);
    EXPECT_EQ(Run({"frobnicate"}), 2);
    EXPECT_EQ(err.str().rfind("Unknown command frobnicate.\nUsage:", 0), 0u);
    EXPECT_EQ(Run({"set", "HKEY_CLASSES_ROOT\\k"}), 1);
    EXPECT_EQ(Run({"--help"}), 0);
    EXPECT_NE(out.str().find("query KEY [--recursive]"), std::string::npos);
}

class RegFileCommands : public RegCommands {
  protected:
    void Write(const std::string& text) { std::ofstream(file, std::ios::binary) << text; }
    std::string Read() {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    TempFolder folder;
    std::string file = folder.File("commands.reg");
};

TEST_F(RegFileCommands, ImportThenExportInBothFormats) {
    Write("REGEDIT4\r\n\r\n[HKEY_CLASSES_ROOT\\.abc]\r\n@=\"abcfile\"\r\n\"n\"=dword:00000002\r\n");
    ASSERT_EQ(Run({"import", file}), 0) << err.str();
    EXPECT_EQ(err.str(), "");
    ASSERT_EQ(Run({"export", "HKCR\\.abc", file, "--regedit4"}), 0) << err.str();
    EXPECT_EQ(Read(),
              "REGEDIT4\r\n\r\n[HKEY_CLASSES_ROOT\\.abc]\r\n@=\"abcfile\"\r\n"
              "\"n\"=dword:00000002\r\n\r\n");
    ASSERT_EQ(Run({"export", "HKEY_CLASSES_ROOT\\.abc", file}), 0) << err.str();
    EXPECT_EQ(Read().substr(0, 6), std::string("\xFF\xFEW\0i\0", 6));
}

TEST_F(RegFileCommands, FailuresPrintTheMessageAndChangeNothing) {
    Write("REGEDIT4\n[HKEY_CURRENT_USER\\a]\n\"x\"=\"1\"\nbad line\n");
    const std::string before = store.Dump();
    EXPECT_EQ(Run({"import", file}), 1);
    EXPECT_EQ(err.str(), "Line 4: Unexpected text: bad line.\n");
    EXPECT_EQ(store.Dump(), before);

    EXPECT_EQ(Run({"import", file, "--skip-errors"}), 0);
    EXPECT_EQ(err.str(), "Skipped Line 4: Unexpected text: bad line\n");
    EXPECT_NE(store.Dump(), before);

    EXPECT_EQ(Run({"export", "HKEY_CURRENT_USER\\missing", file}), 1);
    EXPECT_EQ(err.str(),
              "Could not open HKEY_CURRENT_USER\\missing. The system cannot find the file "
              "specified.\n");
    EXPECT_EQ(Run({"import"}), 1);
}
