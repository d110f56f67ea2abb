#include "SetValueConfirmed.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ConfirmFixture.h"
#include "ErrorCodes.h"
#include "ErrorOf.h"

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
            std::string value = record.Value;
            std::replace(value.begin(), value.end(), '\0', '|');
            log.push_back(kind +
                          (target == &changeTarget        ? " @change "
                           : target == &createValueTarget ? " @value "
                           : target == &createKeyTarget   ? " @key "
                                                          : " @? ") +
                          value);
            return true;
        };
    }
    std::string Read(const std::string& key, const std::string& name) {
        return ReadValueText(HKEY_CLASSES_ROOT, key, name, false);
    }

    int changeTarget = 0;
    int createValueTarget = 0;
    int createKeyTarget = 0;
    std::vector<std::string> log;
};

TEST_F(SetValueConfirmedTest, AsksWritesAndRecordsByWhatExistedBefore) {
    const struct {
        const char* beforeName;  // a value of key written first; nullptr: no key
        const char* beforeText;
        const char* key;
        const char* name;
        const char* what;
        const char* display;
        const char* text;
        const char* question;  // "": none asked
        bool yes;              // the answer, and what the call returns
        const char* record;    // the undo description; "": nothing written or recorded
        const char* undone;    // how the record's procedure was called
    } cases[] = {
        // A new key: one question, recorded as created, named by the display
        // word or by the full value name.
        {nullptr, "", ".abc", "", "file type", "extension", "\"abcfile\"",
         "Create extension .abc with file type \"abcfile\"?", true,
         "Create extension .abc with file type \"abcfile\"", "create key @key .abc"},
        {nullptr, "", "abcfile\\Shell\\open\\command", "", "value", "", "\"x.exe\"",
         "Create HKEY_CLASSES_ROOT\\abcfile\\Shell\\open\\command\\ with value \"x.exe\"?", true,
         "Create HKEY_CLASSES_ROOT\\abcfile\\Shell\\open\\command\\ with value \"x.exe\"",
         "create key @key abcfile\\Shell\\open\\command"},
        // A changed value is recorded with its old text.
        {"", "\"oldfile\"", ".abc", "", "file type", "extension", "\"abcfile\"",
         "Set file type of extension .abc to \"abcfile\"?", true,
         "change file type of extension .abc from \"oldfile\"",
         "change @change HKEY_CLASSES_ROOT\\.abc||\"oldfile\""},
        {"Content Type", "\"text/plain\"", ".abc", "Content Type", "value", "", "\"text/x-abc\"",
         "Set value of HKEY_CLASSES_ROOT\\.abc\\Content Type to \"text/x-abc\"?", true,
         "change HKEY_CLASSES_ROOT\\.abc\\Content Type",
         "change @change HKEY_CLASSES_ROOT\\.abc|Content Type|\"text/plain\""},
        // A new value of an existing key.
        {"", "\"abcfile\"", ".abc", "Content Type", "MIME type", "extension", "\"text/plain\"",
         "Set MIME type of extension .abc\\Content Type to \"text/plain\"?", true,
         "create extension .abc\\Content Type", "create value @value .abc|Content Type"},
        // Equal text is left alone; a change of letter case is a change.
        {"", "\"abcfile\"", ".abc", "", "file type", "extension", "\"abcfile\"", "", true, "", ""},
        {"", "\"abcfile\"", ".abc", "", "file type", "extension", "\"ABCfile\"",
         "Set file type of extension .abc to \"ABCfile\"?", true,
         "change file type of extension .abc from \"abcfile\"",
         "change @change HKEY_CLASSES_ROOT\\.abc||\"abcfile\""},
        // Declined questions.
        {nullptr, "", ".abc", "", "file type", "extension", "\"abcfile\"",
         "Create extension .abc with file type \"abcfile\"?", false, "", ""},
        {"", "\"oldfile\"", ".abc", "", "file type", "extension", "\"newfile\"",
         "Set file type of extension .abc to \"newfile\"?", false, "", ""},
        {"", "\"oldfile\"", ".abc", "Content Type", "value", "extension", "\"text/plain\"",
         "Set value of extension .abc\\Content Type to \"text/plain\"?", false, "", ""},
    };
    // With confirmation off nothing is asked and every write is made.
    for (const bool confirm : {true, false}) {
        for (const auto& c : cases) {
            if (!confirm && !c.yes)
                continue;
            SCOPED_TRACE(std::string(c.key) + " " + c.text + (confirm ? " asked" : " silent"));
            MemoryStore rowMemory;
            FaultStore rowFaults(rowMemory);
            ScopedActiveStore useRow(rowFaults);
            ProgramState::ClearUndoList();
            log.clear();
            OptionFlags = confirm ? kOptionConfirmWrites : 0;
            if (c.beforeName != nullptr)
                SetText(HKEY_CLASSES_ROOT, c.key, c.beforeName, c.beforeText);
            const std::string before = rowMemory.Dump();
            rowFaults.ResetCounts();
            if (confirm && *c.question != '\0')
                questions.ExpectConfirm(c.question, c.yes ? MessageResult::Yes : MessageResult::No);

            EXPECT_EQ(Set(c.key, c.name, c.what, c.display, c.text), c.yes);
            EXPECT_EQ(rowFaults.Calls(FaultStore::Call::SetValue), *c.record != '\0' ? 1 : 0);
            if (*c.record == '\0') {
                EXPECT_EQ(rowMemory.Dump(), before);
                EXPECT_THAT(UndoDescriptions(), IsEmpty());
                continue;
            }
            EXPECT_EQ(Read(c.key, c.name), c.text);
            EXPECT_THAT(UndoDescriptions(), ElementsAre(c.record));
            PerformUndo(UndoList);
            EXPECT_THAT(log, ElementsAre(c.undone));
        }
    }
}

TEST_F(SetValueConfirmedTest, MalformedTextIsRefusedBeforeAnyQuestion) {
    SetText(HKEY_CLASSES_ROOT, ".old", "", "\"oldfile\"");
    const std::string before = memory.Dump();
    for (const std::string key : {".old", ".new"})
        EXPECT_EQ(ErrorOf([&] { Set(key, "", "file type", "extension", "dword: 12x"); }),
                  "Could not covert $12x to DWORD")
            << key;
    EXPECT_EQ(memory.Dump(), before);
    EXPECT_TRUE(UndoList.Empty());
}

TEST_F(SetValueConfirmedTest, RefusedWritesRecordOnlyTheKeyTheyMade) {
    SetText(HKEY_CLASSES_ROOT, ".old", "", "\"oldfile\"");
    const std::string before = memory.Dump();
    faults.FailNth(FaultStore::Call::SetValue, 1, err::kAccessDenied);
    questions.ExpectConfirm("Set file type of extension .old to \"newfile\"?");
    EXPECT_EQ(ErrorOf([&] { Set(".old", "", "file type", "extension", "\"newfile\""); }),
              "Failed to set default value for key HKEY_CLASSES_ROOT\\.old to \"newfile\". " +
                  ErrorText(err::kAccessDenied));
    EXPECT_EQ(memory.Dump(), before);
    EXPECT_TRUE(UndoList.Empty());

    faults.FailNth(FaultStore::Call::SetValue, 1, err::kAccessDenied);
    questions.ExpectConfirm("Create extension .abc with file type \"abcfile\"?");
    EXPECT_NE(ErrorOf([&] { Set(".abc", "", "file type", "extension", "\"abcfile\""); }),
              "no error");
    EXPECT_THAT(UndoDescriptions(),
                ElementsAre("Create extension .abc with file type \"abcfile\""));
    EXPECT_EQ(UndoList.Objects(0).Value, ".abc");
    EXPECT_FALSE(ValueExists(HKEY_CLASSES_ROOT, ".abc", ""));
}

}  // namespace
}  // namespace zanver::test
