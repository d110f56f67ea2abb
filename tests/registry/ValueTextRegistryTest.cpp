#include <gtest/gtest.h>

#include <string>

#include "ActiveStore.h"
#include "ErrorCodes.h"
#include "ErrorOf.h"
#include "FaultStore.h"
#include "MemoryStore.h"
#include "RegistryAccess.h"
#include "StoreHelpers.h"
#include "ValueTextRegistry.h"

using namespace zanver;
using namespace zanver::test;

namespace {

const char* const kKey = "Software\\Test";

class ValueTextRegistryTest : public ::testing::Test {
  protected:
    MemoryStore memory_;
    FaultStore store_{memory_};
    ScopedActiveStore active_{store_};

    void Put(const std::string& name, std::uint32_t type, const Bytes& data) {
        SetBytes(HKEY_CURRENT_USER, kKey, name, type, data);
    }
    std::string RaisedBySet(std::string_view name, std::string_view text) {
        return ErrorOf([&] { SetValueText(HKEY_CURRENT_USER, kKey, name, text); });
    }
};

}  // namespace

TEST_F(ValueTextRegistryTest, ReadsValuesInBothStyles) {
    Put("s", RegSz, Bytes{'a', 'b', 0});
    Put("x", RegExpandSz, Bytes{'%', 'X', '%', 0});
    Put("d", RegDword, Bytes{0x1F, 0, 0, 0});
    EXPECT_EQ(ReadValueText(HKEY_CURRENT_USER, kKey, "S", false), "\"ab\"");
    EXPECT_EQ(ReadValueText(HKEY_CURRENT_USER, kKey, "s", true), "\"ab\"");
    EXPECT_EQ(ReadValueText(HKEY_CURRENT_USER, kKey, "x", false), "expandable string: \"%X%\"");
    EXPECT_EQ(ReadValueText(HKEY_CURRENT_USER, kKey, "x", true), "hex(2): 25,58,25,00");
    EXPECT_EQ(ReadValueText(HKEY_CURRENT_USER, kKey, "d", true), "dword: 0000001F");
}

TEST_F(ValueTextRegistryTest, UnreadableValueIsUnassigned) {
    Put("s", RegSz, Bytes{'a', 0});
    EXPECT_EQ(ReadValueText(HKEY_CURRENT_USER, kKey, "missing", false), "unassigned");
    EXPECT_EQ(ReadValueText(HKEY_CURRENT_USER, "No\\Such\\Key", "", true), "hex(0): ");
    store_.FailNth(FaultStore::Call::QueryValue, 1, err::kAccessDenied);
    EXPECT_EQ(ReadValueText(HKEY_CURRENT_USER, kKey, "s", true), "hex(0): ");
}

TEST_F(ValueTextRegistryTest, SetStoresParsedTypeAndBytes) {
    struct Case {
        std::string name;
        std::string text;
        std::uint32_t type;
        Bytes data;
    };
    const Case cases[] = {
        {"path", "expandable string: \"%PATH%\"", RegExpandSz, {'%', 'P', 'A', 'T', 'H', '%', 0}},
        {"multi", "hex(7): 61,00,00", RegMultiSz, {0x61, 0, 0}},
        {"count", "DWORD 1f", RegDword, {0x1F, 0, 0, 0}},
        {"none", "", RegNone, {}},
        // An unassigned default value becomes the empty string.
        {"", "unassigned", RegSz, {0}},
    };
    for (const Case& c : cases) {
        SetValueText(HKEY_CURRENT_USER, kKey, c.name, c.text);
        std::uint32_t type = 99;
        Bytes data;
        ASSERT_TRUE(ReadRawValue(HKEY_CURRENT_USER, kKey, c.name, type, data)) << c.text;
        EXPECT_EQ(type, c.type) << c.text;
        EXPECT_EQ(data, c.data) << c.text;
    }
}

TEST_F(ValueTextRegistryTest, MalformedTextWritesNothing) {
    const std::string before = memory_.Dump();
    store_.ResetCounts();
    EXPECT_EQ(RaisedBySet("v", "hex: 01,,02"), "Could not convert byte 2 starting at: ,02");
    EXPECT_EQ(RaisedBySet("v", "dword: xyz"), "Could not covert $xyz to DWORD");
    EXPECT_EQ(RaisedBySet("v", "\"open"), "Unterminated string or extra input: \"open");
    EXPECT_EQ(store_.Calls(FaultStore::Call::Any), 0);
    EXPECT_EQ(memory_.Dump(), before);
}

TEST_F(ValueTextRegistryTest, RefusedWriteReportsTheValueText) {
    Put("v", RegSz, Bytes{'o', 'l', 'd', 0});
    store_.FailNth(FaultStore::Call::SetValue, 1, err::kAccessDenied);
    EXPECT_EQ(RaisedBySet("v", "dword: 1"),
              "Failed to set value v of key HKEY_CURRENT_USER\\Software\\Test to dword: 1. " +
                  ErrorText(err::kAccessDenied));
    EXPECT_EQ(ReadValueText(HKEY_CURRENT_USER, kKey, "v", false), "\"old\"");

    store_.FailNth(FaultStore::Call::CreateKey, 1, err::kAccessDenied);
    EXPECT_EQ(RaisedBySet("", "  "),
              "Failed to set default value for key HKEY_CURRENT_USER\\Software\\Test to   . " +
                  ErrorText(err::kAccessDenied));
    store_.FailNth(FaultStore::Call::SetValue, 1, err::kAccessDenied);
    EXPECT_EQ(RaisedBySet("", ""),
              "Failed to set default value for key HKEY_CURRENT_USER\\Software\\Test to "
              "unassigned. " +
                  ErrorText(err::kAccessDenied));
    EXPECT_EQ(ReadValueText(HKEY_CURRENT_USER, kKey, "", false), "unassigned");
}
