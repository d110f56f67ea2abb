// zanver-reg --reset-store: asks, and replaces the store only on yes.
#include "ResetStore.h"
#include "TempFolder.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "ActiveStore.h"
#include "RegistryAccess.h"
#include "SqliteStore.h"

using namespace zanver;
namespace fs = std::filesystem;

namespace {

constexpr std::string_view kSeed = "REGEDIT4\r\n\r\n[HKEY_CLASSES_ROOT\\.txt]\r\n@=\"txtfile\"\r\n";

class ResetStore : public ::testing::Test {
  protected:
    ResetStore() {
        // A store the user has worked on.
        std::string error;
        auto store = SqliteStore::Open(path_, error);
        if (!store)
            throw std::runtime_error(error);
        ScopedActiveStore active(*store);
        WriteString(HKEY_CLASSES_ROOT, ".own", "", false, "ownfile");
    }
    int Run(std::vector<std::string> args, const std::string& answer) {
        std::istringstream in(answer);
        out_.str("");
        err_.str("");
        return RunResetStore(args, path_, kSeed, in, out_, err_);
    }
    // The file type of an extension in the store file ("" when missing).
    std::string FileTypeOf(const std::string& ext) {
        std::string error;
        auto store = SqliteStore::Open(path_, error);
        if (!store)
            return error;
        ScopedActiveStore active(*store);
        return ReadString(HKEY_CLASSES_ROOT, ext, "");
    }
    std::string Prompt() const {
        return "Replace the store " + path_ +
               " with the bundled associations? Everything in it will be lost. [y/N] ";
    }

    TempFolder temp_;
    std::string path_ = temp_.File("registry.db");
    std::ostringstream out_;
    std::ostringstream err_;
};

// Every answer but yes leaves the store as it was; yes replaces it.
TEST_F(ResetStore, OnlyYesReplacesTheStoreWithTheSeed) {
    const std::pair<const char*, bool> answers[] = {
        {"n\n", false},   {"\n", false}, {"", false}, {"no\n", false},     {"yess\n", false},
        {"maybe", false}, {"y\n", true}, {"Y", true}, {" YES \r\n", true},
    };
    const std::string done = "The store " + path_ + " now holds the bundled associations.\n";
    for (const auto& [answer, yes] : answers) {
        EXPECT_EQ(Run({"--reset-store"}, answer), yes ? 0 : 1) << answer;
        EXPECT_EQ(err_.str(), Prompt() + (yes ? "" : "The store was not changed.\n")) << answer;
        EXPECT_EQ(out_.str(), yes ? done : "") << answer;
        EXPECT_EQ(FileTypeOf(".own"), yes ? "" : "ownfile") << answer;
        EXPECT_EQ(FileTypeOf(".txt"), yes ? "txtfile" : "") << answer;
    }
}

TEST_F(ResetStore, TheYesOptionReplacesAFileThatIsNoLongerAStore) {
    fs::remove(path_ + "-wal");
    fs::remove(path_ + "-shm");
    std::ofstream(path_, std::ios::trunc) << std::string(4096, 'x');
    // The yes option does not ask.
    ASSERT_EQ(Run({"--reset-store", "--yes"}, ""), 0) << err_.str();
    EXPECT_EQ(err_.str(), "");
    EXPECT_EQ(FileTypeOf(".txt"), "txtfile");
}

TEST_F(ResetStore, OtherArgumentsAreRefusedWithoutTouchingTheStore) {
    EXPECT_EQ(Run({"--reset-store", "HKEY_CLASSES_ROOT"}, "y\n"), 2);
    EXPECT_EQ(err_.str().rfind("--reset-store takes no arguments but --yes.\nUsage:", 0), 0u);
    EXPECT_EQ(FileTypeOf(".own"), "ownfile");
}

}  // namespace
