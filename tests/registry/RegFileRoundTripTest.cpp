#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "DataSetGenerator.h"
#include "ErrorCodes.h"
#include "ErrorOf.h"
#include "Exception.h"
#include "FaultStore.h"
#include "MemoryStore.h"
#include "RegFile.h"
#include "StoreHelpers.h"
#include "TempFolder.h"

using namespace zanver;
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
    test::Key key(store);
    ASSERT_EQ(test::Create(store, HKEY_CURRENT_USER, "Gen\\Odd \"[key]\"\\sub", key), 0);
    const auto put = [&](const std::string& name, std::uint32_t type, const std::string& data) {
        ASSERT_EQ(test::Set(store, key, name, type, data), 0) << name;
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
}

class RegFileRoundTrip : public ::testing::TestWithParam<RegFormat> {};

// Files are written and read as bytes.
TEST_P(RegFileRoundTrip, ImportOfAnExportGivesTheSameStore) {
    const TempFolder folder;
    const std::string path = folder.File("test.reg");
    MemoryStore original;
    Fill(original);
    ExportRegFile(original, HKEY_CURRENT_USER, "Gen", path, GetParam());
    MemoryStore copy;
    EXPECT_GT(ImportRegFile(copy, path).keys, 100u);
    EXPECT_EQ(copy.Dump(), original.Dump());
    EXPECT_EQ(ExportRegText(copy, HKEY_CURRENT_USER, "Gen", GetParam()),
              ExportRegText(original, HKEY_CURRENT_USER, "Gen", GetParam()));
    fs::remove(path);
    EXPECT_THROW(ImportRegFile(copy, path), Exception);
}

INSTANTIATE_TEST_SUITE_P(Formats, RegFileRoundTrip,
                         ::testing::Values(RegFormat::Regedit4, RegFormat::Version5),
                         [](const auto& info) {
                             return info.param == RegFormat::Regedit4 ? "Regedit4" : "Version5";
                         });

// An import is one transaction: a store failure half way names the line and
// leaves nothing of the import behind.
TEST(RegFileStores, AStoreFailureHalfwayNamesTheLineAndChangesNothing) {
    MemoryStore memory;
    FaultStore faults(memory);
    const std::string before = memory.Dump();
    faults.FailNth(FaultStore::Call::SetValue, 2, err::kAccessDenied);
    EXPECT_EQ(ErrorOf([&] {
                  ImportRegText(faults,
                                "REGEDIT4\n[HKEY_CURRENT_USER\\T]\n\"a\"=\"1\"\n\"b\"=\"2\"\n");
              }),
              "Line 4: Could not write HKEY_CURRENT_USER\\T\\b. " + ErrorText(err::kAccessDenied));
    EXPECT_EQ(memory.Dump(), before);
}

}  // namespace
