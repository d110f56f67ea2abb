#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "ActiveStore.h"
#include "MemoryStore.h"
#include "RegCommands.h"
#include "TempFolder.h"

using namespace zanver;

namespace {

class RegFileCommands : public ::testing::Test {
  protected:
    int Run(std::vector<std::string> args) {
        err.str("");
        return RunRegCommand(args, out, err);
    }
    void Write(const std::string& text) { std::ofstream(file, std::ios::binary) << text; }
    std::string Read() {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    TempFolder folder;
    std::string file = folder.File("commands.reg");
    MemoryStore store;
    ScopedActiveStore active{store};
    std::ostringstream out;
    std::ostringstream err;
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
    EXPECT_EQ(Run({"export", "HKEY_NOWHERE\\x", file}), 1);
    EXPECT_EQ(Run({"import"}), 1);
    EXPECT_EQ(Run({"export", "HKCU"}), 1);
}

}  // namespace
