#include <gtest/gtest.h>

#include <string>

#include "ErrorCodes.h"
#include "ErrorOf.h"
#include "RegistryFixture.h"
#include "ValueTextRegistry.h"

using namespace zanver;
using namespace zanver::test;

namespace {

const char* const kKey = "Software\\Test";

class ValueTextRegistryTest : public RegistryFixture {
  protected:
    void Put(const std::string& name, std::uint32_t type, const Bytes& data) {
        SetBytes(HKEY_CURRENT_USER, kKey, name, type, data);
    }
    std::string RaisedBySet(std::string_view name, std::string_view text) {
        return ErrorOf([&] { SetValueText(HKEY_CURRENT_USER, kKey, name, text); });
    }
};

}  // namespace

TEST_F(ValueTextRegistryTest, ReadsValuesInBothStyles) {
    Put("x", RegExpandSz, Sz("%X%"));
    Put("d", RegDword, Bytes{0x1F, 0, 0, 0});
    EXPECT_EQ(ReadValueText(HKEY_CURRENT_USER, kKey, "X", false), "expandable string: \"%X%\"");
    EXPECT_EQ(ReadValueText(HKEY_CURRENT_USER, kKey, "x", true), "hex(2): 25,58,25,00");
    EXPECT_EQ(ReadValueText(HKEY_CURRENT_USER, kKey, "d", true), "dword: 0000001F");
}

TEST_F(ValueTextRegistryTest, UnreadableValueIsUnassigned) {
    Put("s", RegSz, Sz("a"));
    EXPECT_EQ(ReadValueText(HKEY_CURRENT_USER, kKey, "missing", false), "unassigned");
    EXPECT_EQ(ReadValueText(HKEY_CURRENT_USER, "No\\Such\\Key", "", true), "hex(0): ");
    faults.FailNth(FaultStore::Call::QueryValue, 1, err::kAccessDenied);
    EXPECT_EQ(ReadValueText(HKEY_CURRENT_USER, kKey, "s", true), "hex(0): ");
}

TEST_F(ValueTextRegistryTest, SetStoresParsedTypeAndBytes) {
    SetValueText(HKEY_CURRENT_USER, kKey, "path", "expandable string: \"%P%\"");
    SetValueText(HKEY_CURRENT_USER, kKey, "count", "DWORD 1f");
    SetValueText(HKEY_CURRENT_USER, kKey, "none", "");
    // An unassigned default value becomes the empty string.
    SetValueText(HKEY_CURRENT_USER, kKey, "", "unassigned");
    EXPECT_EQ(memory.Dump(HKEY_CURRENT_USER, kKey),
              "[HKEY_CURRENT_USER\\Software\\Test]\n  \"path\" 2: 25 50 25 00\n"
              "  \"count\" 4: 1F 00 00 00\n  \"none\" 0:\n  \"\" 1: 00\n");
}

TEST_F(ValueTextRegistryTest, MalformedTextWritesNothing) {
    const std::string before = memory.Dump();
    faults.ResetCounts();
    EXPECT_EQ(RaisedBySet("v", "hex: 01,,02"), "Could not convert byte 2 starting at: ,02");
    EXPECT_EQ(faults.Calls(FaultStore::Call::Any), 0);
    EXPECT_EQ(memory.Dump(), before);
}

TEST_F(ValueTextRegistryTest, RefusedWriteReportsTheValueText) {
    Put("v", RegSz, Sz("old"));
    faults.FailNth(FaultStore::Call::SetValue, 1, err::kAccessDenied);
    EXPECT_EQ(RaisedBySet("v", "dword: 1"),
              "Failed to set value v of key HKEY_CURRENT_USER\\Software\\Test to dword: 1. " +
                  ErrorText(err::kAccessDenied));
    EXPECT_EQ(ReadValueText(HKEY_CURRENT_USER, kKey, "v", false), "\"old\"");

    faults.FailNth(FaultStore::Call::CreateKey, 1, err::kAccessDenied);
    EXPECT_EQ(RaisedBySet("", "  "),
              "Failed to set default value for key HKEY_CURRENT_USER\\Software\\Test to   . " +
                  ErrorText(err::kAccessDenied));
    faults.FailNth(FaultStore::Call::SetValue, 1, err::kAccessDenied);
    EXPECT_EQ(RaisedBySet("", ""),
              "Failed to set default value for key HKEY_CURRENT_USER\\Software\\Test to "
              "unassigned. " +
                  ErrorText(err::kAccessDenied));
    EXPECT_EQ(ReadValueText(HKEY_CURRENT_USER, kKey, "", false), "unassigned");
}
