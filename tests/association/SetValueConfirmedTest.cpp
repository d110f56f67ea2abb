#include "SetValueConfirmed.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ConfirmFixture.h"
#include "ErrorCodes.h"
#include "Exception.h"
#include "LastError.h"
#include "ValueText.h"
#include "ValueTextRegistry.h"

namespace zanver::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class SetValueConfirmedTest : public ConfirmFixture {
  protected:
    // Writes through SetValueConfirmed with procedures that log which of the
    // three was undone and on which target, with the record's value (its
    // zero separators shown as "|").
    bool Set(const std::string& key, const std::string& name, const std::string& what,
             const std::string& display, const std::string& text) {
        return SetValueConfirmed(HKEY_CLASSES_ROOT, key, name, what, display, text,
                                 Logging("change"), &changeTarget, Logging("create value"),
                                 &createValueTarget, Logging("create key"), &createKeyTarget);
    }
    UndoProcedure Logging(std::string kind) {
        return [this, kind](void* target, TUndo& record) {
            log.push_back(kind +
                          (target == &changeTarget        ? " @change"
                           : target == &createValueTarget ? " @value"
                           : target == &createKeyTarget   ? " @key"
                                                          : " @?") +
                          " " + Shown(record.Value));
            return true;
        };
    }
    static std::string Shown(std::string value) {
        std::replace(value.begin(), value.end(), '\0', '|');
        return value;
    }
    std::string Read(const std::string& key, const std::string& name) {
        return ReadValueText(HKEY_CLASSES_ROOT, key, name, false);
    }

    int changeTarget = 0;
    int createValueTarget = 0;
    int createKeyTarget = 0;
    std::vector<std::string> log;
};

TEST_F(SetValueConfirmedTest, NewKeyIsCreatedAfterOneQuestionAndRecordedAsCreated) {
    ExpectConfirm("Create extension .abc with file type \"abcfile\"?", true);
    EXPECT_TRUE(Set(".abc", "", "file type", "extension", "\"abcfile\""));
    EXPECT_EQ(Read(".abc", ""), "\"abcfile\"");
    EXPECT_THAT(UndoDescriptions(),
                ElementsAre("Create extension .abc with file type \"abcfile\""));
    PerformUndo(UndoList);
    EXPECT_THAT(log, ElementsAre("create key @key .abc"));
}

TEST_F(SetValueConfirmedTest, NewKeyWithoutDisplayWordIsNamedByItsFullValueName) {
    ExpectConfirm("Create HKEY_CLASSES_ROOT\\abcfile\\Shell\\open\\command\\ with value \"x.exe\"?",
                  true);
    EXPECT_TRUE(Set("abcfile\\Shell\\open\\command", "", "value", "", "\"x.exe\""));
    EXPECT_THAT(UndoDescriptions(),
                ElementsAre("Create HKEY_CLASSES_ROOT\\abcfile\\Shell\\open\\command\\ with value "
                            "\"x.exe\""));
    EXPECT_EQ(UndoList.Objects(0).Value, "abcfile\\Shell\\open\\command");
}

TEST_F(SetValueConfirmedTest, ChangedValueAsksSetAndRecordsTheOldText) {
    PutString(HKEY_CLASSES_ROOT, ".abc", "", "oldfile");
    ExpectConfirm("Set file type of extension .abc to \"abcfile\"?", true);
    EXPECT_TRUE(Set(".abc", "", "file type", "extension", "\"abcfile\""));
    EXPECT_EQ(Read(".abc", ""), "\"abcfile\"");
    EXPECT_THAT(UndoDescriptions(),
                ElementsAre("change file type of extension .abc from \"oldfile\""));
    PerformUndo(UndoList);
    EXPECT_THAT(log, ElementsAre("change @change HKEY_CLASSES_ROOT\\.abc||\"oldfile\""));
}

TEST_F(SetValueConfirmedTest, ChangedValueWithoutDisplayWordNamesTheFullValue) {
    PutString(HKEY_CLASSES_ROOT, ".abc", "Content Type", "text/plain");
    ExpectConfirm("Set value of HKEY_CLASSES_ROOT\\.abc\\Content Type to \"text/x-abc\"?", true);
    EXPECT_TRUE(Set(".abc", "Content Type", "value", "", "\"text/x-abc\""));
    EXPECT_THAT(UndoDescriptions(), ElementsAre("change HKEY_CLASSES_ROOT\\.abc\\Content Type"));
    EXPECT_EQ(Shown(UndoList.Objects(0).Value),
              "HKEY_CLASSES_ROOT\\.abc|Content Type|\"text/plain\"");
}

TEST_F(SetValueConfirmedTest, NewValueOfExistingKeyIsRecordedAsCreated) {
    PutString(HKEY_CLASSES_ROOT, ".abc", "", "abcfile");
    ExpectConfirm("Set MIME type of extension .abc\\Content Type to \"text/plain\"?", true);
    EXPECT_TRUE(Set(".abc", "Content Type", "MIME type", "extension", "\"text/plain\""));
    EXPECT_EQ(Read(".abc", "Content Type"), "\"text/plain\"");
    EXPECT_THAT(UndoDescriptions(), ElementsAre("create extension .abc\\Content Type"));
    PerformUndo(UndoList);
    EXPECT_THAT(log, ElementsAre("create value @value .abc|Content Type"));
}

TEST_F(SetValueConfirmedTest, WithConfirmationOffAllThreeCasesWriteSilentlyAndRecord) {
    OptionFlags = 0;
    PutString(HKEY_CLASSES_ROOT, ".old", "", "oldfile");
    EXPECT_TRUE(Set(".abc", "", "file type", "extension", "\"abcfile\""));
    EXPECT_TRUE(Set(".old", "", "file type", "extension", "\"newfile\""));
    EXPECT_TRUE(Set(".old", "Content Type", "value", "", "\"text/plain\""));
    EXPECT_THAT(prompter.Asked(), IsEmpty());
    EXPECT_THAT(UndoDescriptions(),
                ElementsAre("Create extension .abc with file type \"abcfile\"",
                            "change file type of extension .old from \"oldfile\"",
                            "create HKEY_CLASSES_ROOT\\.old\\Content Type"));
    EXPECT_EQ(Read(".old", "Content Type"), "\"text/plain\"");
}

TEST_F(SetValueConfirmedTest, DeclinedQuestionWritesAndRecordsNothing) {
    PutString(HKEY_CLASSES_ROOT, ".old", "", "oldfile");
    const std::string before = memory.Dump();
    ExpectConfirm("Create extension .abc with file type \"abcfile\"?", false);
    ExpectConfirm("Set file type of extension .old to \"newfile\"?", false);
    ExpectConfirm("Set value of extension .old\\Content Type to \"text/plain\"?", false);
    EXPECT_FALSE(Set(".abc", "", "file type", "extension", "\"abcfile\""));
    EXPECT_FALSE(Set(".old", "", "file type", "extension", "\"newfile\""));
    EXPECT_FALSE(Set(".old", "Content Type", "value", "extension", "\"text/plain\""));
    EXPECT_EQ(memory.Dump(), before);
    EXPECT_TRUE(UndoList.Empty());
}

TEST_F(SetValueConfirmedTest, EqualTextIsLeftAloneButALetterCaseChangeIsWritten) {
    PutString(HKEY_CLASSES_ROOT, ".abc", "", "abcfile");
    faults.ResetCounts();
    EXPECT_TRUE(Set(".abc", "", "file type", "extension", "\"abcfile\""));
    EXPECT_EQ(faults.Calls(FaultStore::Call::SetValue), 0);
    EXPECT_TRUE(UndoList.Empty());

    ExpectConfirm("Set file type of extension .abc to \"ABCfile\"?", true);
    EXPECT_TRUE(Set(".abc", "", "file type", "extension", "\"ABCfile\""));
    EXPECT_EQ(Read(".abc", ""), "\"ABCfile\"");
    EXPECT_THAT(UndoDescriptions(),
                ElementsAre("change file type of extension .abc from \"abcfile\""));
}

TEST_F(SetValueConfirmedTest, MalformedTextRaisesTheParsersMessageAndChangesNothing) {
    PutString(HKEY_CLASSES_ROOT, ".old", "", "oldfile");
    const std::string before = memory.Dump();
    for (const std::string text : {"dword: 12x", "\"unterminated", "hex: 0g"}) {
        std::string parserMessage;
        try {
            std::uint32_t type = 0;
            Bytes data;
            ParseValueText(text, type, data);
        } catch (const Exception& error) {
            parserMessage = error.what();
        }
        ASSERT_FALSE(parserMessage.empty()) << text;
        for (const std::string key : {".old", ".new"}) {
            try {
                Set(key, "", "file type", "extension", text);
                ADD_FAILURE() << "no error for " << text;
            } catch (const Exception& error) {
                EXPECT_EQ(error.what(), parserMessage);
            }
        }
    }
    EXPECT_EQ(memory.Dump(), before);
    EXPECT_TRUE(UndoList.Empty());
}

TEST_F(SetValueConfirmedTest, RefusedWriteGivesTheFailureMessage) {
    PutString(HKEY_CLASSES_ROOT, ".old", "", "oldfile");
    const std::string before = memory.Dump();
    SetLastErrorCode(err::kAccessDenied);
    const std::string systemText = LastErrorText();  // the system's own wording
    faults.FailNth(FaultStore::Call::SetValue, 1, err::kAccessDenied);
    ExpectConfirm("Set file type of extension .old to \"newfile\"?", true);
    try {
        Set(".old", "", "file type", "extension", "\"newfile\"");
        ADD_FAILURE() << "no error";
    } catch (const Exception& error) {
        EXPECT_EQ(error.what(),
                  "Failed to set default value for key HKEY_CLASSES_ROOT\\.old to "
                  "\"newfile\". " +
                      systemText);
    }
    EXPECT_EQ(memory.Dump(), before);
    EXPECT_TRUE(UndoList.Empty());
}

TEST_F(SetValueConfirmedTest, RefusedWriteOfNewKeyLeavesOnlyTheCreateEntry) {
    faults.FailNth(FaultStore::Call::SetValue, 1, err::kAccessDenied);
    ExpectConfirm("Create extension .abc with file type \"abcfile\"?", true);
    EXPECT_THROW(Set(".abc", "", "file type", "extension", "\"abcfile\""), Exception);
    EXPECT_THAT(UndoDescriptions(),
                ElementsAre("Create extension .abc with file type \"abcfile\""));
    EXPECT_EQ(UndoList.Objects(0).Value, ".abc");
    EXPECT_FALSE(ValueExists(HKEY_CLASSES_ROOT, ".abc", ""));
}

}  // namespace
}  // namespace zanver::test
