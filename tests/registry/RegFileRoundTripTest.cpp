#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "DataSetGenerator.h"
#include "ErrorCodes.h"
#include "Exception.h"
#include "FaultStore.h"
#include "MemoryStore.h"
#include "RegFile.h"
#include "TempFolder.h"
#ifndef _WIN32
#include "SqliteStore.h"
#endif

using namespace zanver;
using ::testing::StartsWith;
namespace fs = std::filesystem;

namespace {

// A generated association data set below HKEY_CURRENT_USER\Gen, with values
// of every kind the files must carry besides.
void Fill(MemoryStore& store) {
    bench::DataSetOptions options;
    options.scale = 0.01;
    options.root = HKEY_CURRENT_USER;
    options.basePath = "Gen";
    ASSERT_EQ(bench::GenerateDataSet(store, options), 0);
    StoreKey key = 0;
    bool existed = false;
    ASSERT_EQ(
        store.CreateKey(HKEY_CURRENT_USER, "Gen\\Odd \"[key]\"\\sub", kKeyAllAccess, key, existed),
        0);
    const auto put = [&](const std::string& name, std::uint32_t type, const std::string& data) {
        ASSERT_EQ(store.SetValue(key, name, type,
                                 reinterpret_cast<const std::uint8_t*>(data.data()), data.size()),
                  0);
    };
    put("", RegSz, std::string("default\0", 8));
    put("quote\"back\\slash\nline\rcr", RegSz, std::string("a\\\"b\r\nc\0", 8));
    put("no zero", RegSz, "abc");
    put("empty", RegSz, "");
    put("inner zero", RegSz, std::string("a\0b\0", 4));
    put("expand", RegExpandSz, std::string("%PATH%\0", 7));
    put("multi", RegMultiSz, std::string("one\0tw\xC3\xB6\0\0", 10));
    put("dword", RegDword, std::string("\x1F\0\0\x80", 4));
    put("short dword", RegDword, "\x01");
    put("none", RegNone, "");
    put("qword", 11, std::string(8, '\xFF'));
    put("binary", RegBinary, std::string(200, '\x5A'));
    put("\xE4nsi", RegSz, std::string("\xE4\xF6\0", 3));
    put(std::string(200, 'n'), 0x12345678, "xyz");
    store.CloseKey(key);
}

class RegFileRoundTrip : public ::testing::TestWithParam<RegFormat> {};

TEST_P(RegFileRoundTrip, ImportOfAnExportGivesTheSameStore) {
    MemoryStore original;
    Fill(original);
    const std::string text = ExportRegText(original, HKEY_CURRENT_USER, "Gen", GetParam());

    MemoryStore copy;
    const RegImportResult result = ImportRegText(copy, text);
    EXPECT_TRUE(result.skipped.empty());
    EXPECT_GT(result.keys, 100u);
    EXPECT_EQ(copy.Dump(HKEY_CURRENT_USER, "Gen"), original.Dump(HKEY_CURRENT_USER, "Gen"));
    EXPECT_TRUE(copy.SameContents(original));
    EXPECT_EQ(ExportRegText(copy, HKEY_CURRENT_USER, "Gen", GetParam()), text);
}

INSTANTIATE_TEST_SUITE_P(Formats, RegFileRoundTrip,
                         ::testing::Values(RegFormat::Regedit4, RegFormat::Version5),
                         [](const auto& info) {
                             return info.param == RegFormat::Regedit4 ? "Regedit4" : "Version5";
                         });

TEST(RegFileStores, AStoreFailureHalfwayNamesTheLine) {
    MemoryStore memory;
    FaultStore faults(memory);
    faults.FailNth(FaultStore::Call::SetValue, 2, err::kAccessDenied);
    try {
        ImportRegText(faults, "REGEDIT4\n[HKEY_CURRENT_USER\\T]\n\"a\"=\"1\"\n\"b\"=\"2\"\n");
        FAIL();
    } catch (const Exception& e) {
        // The error text after it is the system's own.
        EXPECT_THAT(e.Message(), StartsWith("Line 4: Could not write HKEY_CURRENT_USER\\T\\b. "));
    }
}

TEST(RegFileStores, FilesAreWrittenAndReadAsBytes) {
    const TempFolder folder;
    const fs::path path = folder.File("test.reg");
    MemoryStore original;
    Fill(original);
    ExportRegFile(original, HKEY_CURRENT_USER, "Gen", path.string(), RegFormat::Version5);
    MemoryStore copy;
    ImportRegFile(copy, path.string());
    fs::remove(path);
    EXPECT_TRUE(copy.SameContents(original));
    EXPECT_THROW(ImportRegFile(copy, path.string()), Exception);
}

#ifndef _WIN32
TEST(RegFileStores, ASqliteImportIsOneTransaction) {
    const TempFolder folder;
    const fs::path path = folder.File("test.db");
    {
        std::string error;
        auto sqlite = SqliteStore::Open(path.string(), error);
        ASSERT_TRUE(sqlite) << error;
        FaultStore faults(*sqlite);
        // The 30th key fails: the 29 before it must be rolled back too.
        faults.FailNth(FaultStore::Call::CreateKey, 30, err::kDiskFull);
        std::string text = "REGEDIT4\n";
        for (int i = 0; i < 40; ++i)
            text += "[HKEY_CURRENT_USER\\T\\k" + std::to_string(i) + "]\n\"v\"=dword:1\n";
        EXPECT_THROW(ImportRegText(faults, text), Exception);
        StoreKey key = 0;
        EXPECT_EQ(sqlite->OpenKey(HKEY_CURRENT_USER, "T", kKeyRead, key), err::kFileNotFound);

        ImportRegText(*sqlite, text);
        ASSERT_EQ(sqlite->OpenKey(HKEY_CURRENT_USER, "T\\k39", kKeyRead, key), 0);
        sqlite->CloseKey(key);
    }
}
#endif

}  // namespace
