#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "ClassId.h"
#include "ConfirmFixture.h"
#include "ErrorCodes.h"
#include "Errors.h"
#include "GlobalRegistry.h"
#include "Status.h"
#include "ValueNames.h"

namespace zanver::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST(StatusLineTest, HigherOrEqualLevelsReplaceLowerOnesAndClearingFollowsTheShownLevel) {
    TStatusLine line;
    line.ShowStatus("file type abcfile not found", 11);
    EXPECT_EQ(line.Caption(), "file type abcfile not found");
    EXPECT_EQ(line.Hint(), "file type abcfile not found");
    EXPECT_EQ(line.Color(), StatusColor::Rgb(255, 0, 0));

    line.ShowStatus("a hint", 0);  // lower: dropped
    EXPECT_EQ(line.MsgLevel(), 11);
    EXPECT_EQ(line.Caption(), "file type abcfile not found");

    line.ShowStatus("Extension .abc not found in registry", 12);
    EXPECT_EQ(line.MsgLevel(), 12);
    line.ShowStatus("done", 15);
    EXPECT_EQ(line.Color(), StatusColor::Rgb(0, 128, 0));

    line.ClearStatus(StatusLevel(11) | StatusLevel(12));  // 15 is shown: stays
    EXPECT_EQ(line.Caption(), "done");
    line.ClearStatus(StatusLevel(15));
    EXPECT_EQ(line.MsgLevel(), 0);
    EXPECT_EQ(line.Caption(), "");
    EXPECT_EQ(line.Color(), StatusColor::SystemButtonFace());

    line.ShowStatus("warning", 4);
    EXPECT_EQ(line.Color(), StatusColor::Rgb(243, 220, 126));
}

TEST(StatusLineTest, HintsReachTheHandlerAtLevelZeroOnlyWhileOneIsInstalled) {
    std::vector<std::pair<std::string, int>> shown;
    ShowHint("dropped");
    StatusHandler = [&](std::string_view text, int level) { shown.emplace_back(text, level); };
    ShowHint("shown");
    StatusHandler = nullptr;
    ShowHint("dropped too");
    EXPECT_THAT(shown, ElementsAre(std::pair<std::string, int>("shown", 0)));
}

TEST(ConfirmTest, FormatFillsPlaceholdersInOrder) {
    EXPECT_EQ(FormatTexts("Set %s of %s to %s?", {"value", "HKEY_CLASSES_ROOT\\.a\\", "\"%s\""}),
              "Set value of HKEY_CLASSES_ROOT\\.a\\ to \"%s\"?");
    EXPECT_EQ(FormatTexts("100%% %s", {}), "100% ");
}

class CoreQuestionsTest : public ConfirmFixture {};

TEST_F(CoreQuestionsTest, ConfirmationIsCaptionedWithTheCurrentTitleAndAsksOnlyWhenOn) {
    SetAppTitle("Zanver .abc");
    prompter.Expect("Zanver .abc confirm write to registry", "Write it?", MessageButtons::YesNo,
                    MessageIcon::Question, MessageResult::Yes);
    prompter.Expect("Zanver .abc confirm write to registry", "Write a?", MessageButtons::YesNo,
                    MessageIcon::Question, MessageResult::No);
    EXPECT_TRUE(ConfirmWrite("Write it?"));
    EXPECT_FALSE(ConfirmWriteFmt("Write %s?", {"a"}));
    OptionFlags = kOptionShowClassIds | kOptionNoConfirmPaste;
    EXPECT_TRUE(ConfirmWrite("not asked"));
    EXPECT_TRUE(ConfirmWriteFmt("not %s", {"asked"}));

    prompter.Expect("Zanver .abc", "Really?", MessageButtons::YesNoCancel, MessageIcon::Warning,
                    MessageResult::Cancel);
    EXPECT_EQ(ShowMessageBox("Really?", MessageButtons::YesNoCancel, MessageIcon::Warning),
              MessageResult::Cancel);
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
    PutString(HKEY_CLASSES_ROOT, "CLSID\\" + id, "", "");
    EXPECT_EQ(DescribeClassId(id), id + " has no description");
    WriteString(HKEY_CLASSES_ROOT, "CLSID\\" + id + "\\InProcServer32", "", true, "x.dll");
    EXPECT_EQ(DescribeClassId(id), id + " has InProcServer32 x.dll");
    PutString(HKEY_CLASSES_ROOT, "CLSID\\" + id + "\\ProgID", "", "Abc.Document.1");
    EXPECT_EQ(DescribeClassId(id), id + " has ProgID Abc.Document.1");
    PutString(HKEY_CLASSES_ROOT, "CLSID\\" + id, "", "Abc Document");
    EXPECT_EQ(DescribeClassId(id), id + " is Abc Document");
}

class ValueNamesTest : public ConfirmFixture {
  protected:
    const std::string key = "Software\\KQ\\Zanver\\History\\ComboExt";
};

TEST_F(ValueNamesTest, SavedNamesReadBackInOrderUpToTheLimit) {
    PutString(HKEY_CURRENT_USER, key, "stale", "");
    SaveValueNames(GlobalRegistry, HKEY_CURRENT_USER, key, 3, {"c", "A", "b", "d"});
    std::vector<std::string> names{"old"};
    EXPECT_TRUE(ReadSettingsValueNames(key, names));
    EXPECT_THAT(names, ElementsAre("c", "A", "b"));
    EXPECT_EQ(ReadString(HKEY_CURRENT_USER, key, "A"), "");
    EXPECT_EQ(GlobalRegistry.GetRootKey(), HKEY_CLASSES_ROOT);
    EXPECT_FALSE(GlobalRegistry.HasCurrentKey());
}

TEST_F(ValueNamesTest, EmptyListLeavesTheKeyDeletedAndReadingAMissingKeyKeepsTheList) {
    PutString(HKEY_CURRENT_USER, key + "\\sub", "x", "y");
    SaveValueNames(GlobalRegistry, HKEY_CURRENT_USER, key, 8, {});
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, key));
    std::vector<std::string> names{"kept"};
    GlobalRegistry.SetRootKey(HKEY_LOCAL_MACHINE);
    EXPECT_FALSE(ReadSettingsValueNames(key, names));
    EXPECT_THAT(names, ElementsAre("kept"));
    EXPECT_EQ(GlobalRegistry.GetRootKey(), HKEY_CLASSES_ROOT);
}

TEST_F(ValueNamesTest, KeyThatCannotBeCreatedRaisesAndIsGone) {
    PutString(HKEY_CURRENT_USER, key, "a", "");
    TRegistry registry(HKEY_LOCAL_MACHINE);
    faults.FailNth(FaultStore::Call::CreateKey, 1, err::kAccessDenied);
    try {
        SaveValueNames(registry, HKEY_CURRENT_USER, key, 8, {"a", "b"});
        ADD_FAILURE() << "no error";
    } catch (const EZanver& error) {
        EXPECT_STREQ(error.what(),
                     "Failed to create HKEY_CURRENT_USER\\Software\\KQ\\Zanver\\History\\ComboExt");
    }
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, key));
    EXPECT_EQ(registry.GetRootKey(), HKEY_LOCAL_MACHINE);
}

}  // namespace
}  // namespace zanver::test
