#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ClassId.h"
#include "ConfirmFixture.h"
#include "ErrorCodes.h"
#include "ErrorOf.h"
#include "Errors.h"
#include "GlobalRegistry.h"
#include "Status.h"
#include "ValueNames.h"

namespace zanver::test {
namespace {

using ::testing::ElementsAre;

TEST(StatusLineTest, HigherOrEqualLevelsReplaceLowerOnesAndClearingFollowsTheShownLevel) {
    TStatusLine line;
    line.ShowStatus("not found", 11);
    line.ShowStatus("a hint", 0);  // lower: dropped
    EXPECT_EQ(line.Caption() + "|" + line.Hint(), "not found|not found");
    EXPECT_EQ(line.Color(), StatusColors[11]);
    line.ShowStatus("also not found", 12);
    line.ShowStatus("done", 15);
    EXPECT_EQ(line.MsgLevel(), 15);

    line.ClearStatus(StatusLevel(11) | StatusLevel(12));  // 15 is shown: stays
    EXPECT_EQ(line.Caption(), "done");
    line.ClearStatus(StatusLevel(15));
    EXPECT_EQ(line.MsgLevel(), 0);
    EXPECT_EQ(line.Caption(), "");
    EXPECT_EQ(line.Color(), StatusColor::SystemButtonFace());
}

class CoreQuestionsTest : public ConfirmFixture {};

TEST_F(CoreQuestionsTest, ConfirmationAsksOnlyWhenOn) {
    questions.ExpectConfirm("Write a?", MessageResult::No);
    EXPECT_FALSE(ConfirmWriteFmt("Write %s?", {"a"}));
    OptionFlags = kOptionShowClassIds | kOptionNoConfirmPaste;
    EXPECT_TRUE(ConfirmWrite("not asked"));
}

TEST_F(CoreQuestionsTest, WithoutPromptsNothingIsConfirmed) {
    SetCorePrompts(nullptr);
    EXPECT_FALSE(ConfirmWrite("Write it?"));
    OptionFlags = 0;
    EXPECT_TRUE(ConfirmWrite("Write it?"));
}

TEST_F(CoreQuestionsTest, DescribeClassIdFallsBackThroughNameProgIdAndServer) {
    const std::string id = "{00000000-0000-0000-0000-00000000000A}";
    EXPECT_EQ(DescribeClassId(id), id + " not found");
    MakeKey(HKEY_CLASSES_ROOT, "CLSID\\" + id);
    EXPECT_EQ(DescribeClassId(id), id + " has no description");
    WriteString(HKEY_CLASSES_ROOT, "CLSID\\" + id + "\\InProcServer32", "", true, "x.dll");
    EXPECT_EQ(DescribeClassId(id), id + " has InProcServer32 x.dll");
    SetText(HKEY_CLASSES_ROOT, "CLSID\\" + id + "\\ProgID", "", "\"Abc.Document.1\"");
    EXPECT_EQ(DescribeClassId(id), id + " has ProgID Abc.Document.1");
    SetText(HKEY_CLASSES_ROOT, "CLSID\\" + id, "", "\"Abc Document\"");
    EXPECT_EQ(DescribeClassId(id), id + " is Abc Document");
}

class ValueNamesTest : public ConfirmFixture {
  protected:
    const std::string key = "Software\\KQ\\Zanver\\History\\ComboExt";
};

TEST_F(ValueNamesTest, SavedNamesReadBackInOrderUpToTheLimit) {
    SetText(HKEY_CURRENT_USER, key, "stale", "\"\"");
    SaveValueNames(GlobalRegistry, HKEY_CURRENT_USER, key, 3, {"c", "A", "b", "d"});
    std::vector<std::string> names{"old"};
    EXPECT_TRUE(ReadSettingsValueNames(key, names));
    EXPECT_THAT(names, ElementsAre("c", "A", "b"));
    EXPECT_EQ(ReadString(HKEY_CURRENT_USER, key, "A"), "");
    EXPECT_EQ(GlobalRegistry.GetRootKey(), HKEY_CLASSES_ROOT);
    EXPECT_FALSE(GlobalRegistry.HasCurrentKey());
}

TEST_F(ValueNamesTest, EmptyListLeavesTheKeyDeletedAndReadingAMissingKeyKeepsTheList) {
    MakeKey(HKEY_CURRENT_USER, key + "\\sub");
    SaveValueNames(GlobalRegistry, HKEY_CURRENT_USER, key, 8, {});
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, key));
    std::vector<std::string> names{"kept"};
    GlobalRegistry.SetRootKey(HKEY_LOCAL_MACHINE);
    EXPECT_FALSE(ReadSettingsValueNames(key, names));
    EXPECT_THAT(names, ElementsAre("kept"));
    EXPECT_EQ(GlobalRegistry.GetRootKey(), HKEY_CLASSES_ROOT);
}

TEST_F(ValueNamesTest, KeyThatCannotBeCreatedRaisesAndIsGone) {
    MakeKey(HKEY_CURRENT_USER, key);
    TRegistry registry(HKEY_LOCAL_MACHINE);
    faults.FailNth(FaultStore::Call::CreateKey, 1, err::kAccessDenied);
    EXPECT_EQ(ErrorOf<EZanver>([&] {
                  SaveValueNames(registry, HKEY_CURRENT_USER, key, 8, {"a", "b"});
              }),
              "Failed to create HKEY_CURRENT_USER\\Software\\KQ\\Zanver\\History\\ComboExt");
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, key));
    EXPECT_EQ(registry.GetRootKey(), HKEY_LOCAL_MACHINE);
}

}  // namespace
}  // namespace zanver::test
