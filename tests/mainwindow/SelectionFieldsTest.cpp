// The extension, file type and description fields driven as the user drives
// them: typing browses, leaving commits after the questions, and creations
// are undone with their own question.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QLineEdit>

#include <string>
#include <vector>

#include "ErrorCodes.h"
#include "ErrorOf.h"
#include "Errors.h"
#include "FaultStore.h"
#include "MainWindowFixture.h"
#include "Options.h"
#include "RegTreeNode.h"
#include "Undo.h"
#include "ZVCheckBox.h"
#include "ZVComboBox.h"
#include "ZVEdit.h"
#include "ZVRegTreeView.h"

namespace zanver {
namespace {

using ::testing::Contains;
using ::testing::Each;
using ::testing::Not;
using ::testing::StartsWith;

class SelectionFieldsTest : public MainWindowTest {
  protected:
    void ExpectDelete(const std::string& key) {
        questions.ExpectQuestion("Delete HKEY_CLASSES_ROOT\\" + key + " from the registry?");
    }
    // Replaces the field's text by typing, then leaves it (which commits it)
    // unless told not to.
    void Enter(QWidget* field, const QString& text, bool leave = true) {
        field->setFocus(Qt::TabFocusReason);
        gui::ProcessEvents();
        auto* line = qobject_cast<QLineEdit*>(field);
        if (line == nullptr)
            line = static_cast<TZVComboBox*>(field)->lineEdit();
        line->selectAll();
        gui::Type(line, text);
        if (text.isEmpty())
            line->clear();
        if (leave)
            Leave();
    }
    void Leave() {
        window->RegTreeViewFileType->setFocus(Qt::TabFocusReason);
        gui::ProcessEvents();
    }
    // "CurExt ComboExt CurFileType ComboFileType".
    std::string Panel() const {
        return window->CurExt + " " + Text(window->ComboExt) + " " + window->CurFileType + " " +
               Text(window->ComboFileType);
    }
};

TEST_F(SelectionFieldsTest, TypicalRoadCreatesAnExtensionAndUndoesIt) {
    TZVFormMain& w = OpenShown();
    Enter(w.ComboExt, ".abc", false);
    EXPECT_EQ(w.CurExt, "");  // no such key to browse to

    // No file type is shown, so the new extension proposes one named after it.
    questions.ExpectConfirm("Create new extension .abc with file type \"abcfile\"?");
    Leave();
    EXPECT_EQ(Panel(), ".abc .abc abcfile abcfile");
    EXPECT_EQ(Status(), "file type abcfile not found. (11)");
    EXPECT_EQ(
        CaptionOf(w.RegTreeViewExt->TopNode()) + "|" + CaptionOf(w.RegTreeViewFileType->TopNode()),
        ".abc = \"abcfile\"|(no node)");
    EXPECT_TRUE(w.ComboExt->HasItem(".abc"));
    EXPECT_EQ(UndoList.LastDescription(), "create extension .abc");

    ExpectDelete(".abc");
    PerformUndo(UndoList);
    EXPECT_FALSE(Exists(".abc"));
    EXPECT_FALSE(w.ComboExt->HasItem(".abc"));
    EXPECT_EQ(Text(w.ComboExt) + w.CurExt, ".abc.abc");
    EXPECT_EQ(Status(), "Extension .abc not found in registry (12)");
    EXPECT_EQ(w.RegTreeViewExt->TopNode(), nullptr);
    EXPECT_THAT(test::UndoDescriptions(), Not(Contains(StartsWith("create "))));
}

TEST_F(SelectionFieldsTest, SetKeyDefaultAsksRefusesAndReportsFailures) {
    TZVFormMain& w = Open();
    FaultStore faults(store);
    ScopedActiveStore useFaults(faults);
    using Call = FaultStore::Call;
    TZVComboBox* const ext = w.ComboExt;
    TZVComboBox* const type = w.ComboFileType;
    TZVComboBox* const mime = w.ComboMimeType;
    // A declined question leaves an extension selected (true), aborts a file
    // type and reports nothing done for other keys (false). Without a key,
    // a value to write or with a value stored nothing is asked. A created key
    // is recorded under the control's undo name, also when its value cannot
    // be written.
    const struct {
        const char* key;
        const char* value;
        TZVComboBox* control;
        const char* question;  // "": none asked
        bool yes;
        Call fail;           // Call::Any: none
        const char* result;  // "true", "false", the record added or the error
    } cases[] = {
        {"x/y", "", mime, "Create new MIME type x/y?", false, Call::Any, "false"},
        {".empty", "t", type, "Set file type for file type .empty to \"t\"?", false, Call::Any,
         "Abort"},
        {".empty", "t", ext, "Set file type for extension .empty to \"t\"?", false, Call::Any,
         "true"},
        {".empty", "t", ext, "Set file type for extension .empty to \"t\"?", true, Call::SetValue,
         "true"},
        {".empty", "t", ext, "Set file type for extension .empty to \"t\"?", true, Call::Any,
         "true"},
        {"", "x", ext, "", false, Call::Any, "false"},
        {"txtfile", "", type, "", false, Call::Any, "false"},
        {".txt", "x", ext, "", false, Call::Any, "false"},
        {".txt", "x", ext, "", false, Call::QueryValue,
         "Could not retrieve file type for extension .txt. Access is denied"},
        {"x/y", "", mime, "Create new MIME type x/y?", true, Call::Any, "create MIME type x/y"},
        {".fresh", "x", ext, "Create new extension .fresh with file type \"x\"?", true,
         Call::SetValue, "create extension .fresh"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.key) + " " + c.question);
        if (*c.question != '\0')
            questions.ExpectConfirm(c.question, c.yes ? MessageResult::Yes : MessageResult::No);
        if (c.fail != Call::Any)
            faults.FailNth(c.fail, 1, err::kAccessDenied);
        if (c.fail == Call::SetValue)
            questions.ExpectError("Could not set default value for key " + std::string(c.key) +
                                  ". Access is denied");
        const int records = UndoList.Count();
        bool done = false;
        std::string result = ErrorOf([&] {
            done = w.SetKeyDefault(c.key, c.value, c.control->UndoName, "file type", c.control);
        });
        if (result == "no error")
            result = !done                        ? "false"
                     : UndoList.Count() > records ? UndoList.LastDescription()
                                                  : "true";
        EXPECT_EQ(result, c.result);
    }
    EXPECT_EQ(DefaultOf(".empty") + DefaultOf(".txt") + DefaultOf(".fresh"), "ttxtfile");
    EXPECT_TRUE(mime->HasItem("x/y"));

    // A key that cannot be deleted keeps its record.
    faults.FailNth(Call::DeleteKey, 1, err::kAccessDenied);
    faults.FailNth(Call::DeleteKey, 2, err::kAccessDenied);
    ExpectDelete(".fresh");
    questions.ExpectError("Could not delete key HKEY_CLASSES_ROOT\\.fresh. Access is denied");
    PerformUndo(UndoList);
    EXPECT_TRUE(Exists(".fresh"));
    EXPECT_EQ(UndoList.LastDescription(), "create extension .fresh");
}

TEST_F(SelectionFieldsTest, ExtensionBoxBrowsesToExactNamesAndCommitsOnExit) {
    Import("REGEDIT4\n[HKEY_CLASSES_ROOT\\.q]\n");
    TZVFormMain& w = OpenShown();
    Enter(w.ComboExt, "txt", false);
    EXPECT_EQ(w.CurExt, "");  // "txt" is not its normal form ".txt"
    Leave();                  // an existing file type is never replaced: no question
    EXPECT_EQ(Panel(), ".txt .txt txtfile txtfile");
    Enter(w.ComboExt, ".log", false);
    EXPECT_EQ(w.CurExt, ".log");
    EXPECT_THAT(test::UndoDescriptions(), Each(StartsWith("change ")));

    // The file type shown is proposed; declining still shows the extension.
    questions.ExpectConfirm("Create new extension .xyz with file type \"txtfile\"?",
                            MessageResult::No);
    Enter(w.ComboExt, ".xyz");
    EXPECT_FALSE(Exists(".xyz"));
    EXPECT_EQ(w.CurExt, ".xyz");
    EXPECT_EQ(Status(), "Extension .xyz not found in registry (12)");
    // A lone dot selects no extension.
    Enter(w.ComboExt, ".");
    EXPECT_EQ(Text(w.ComboExt) + w.windowTitle().toStdString(), "Zanver");
    EXPECT_FALSE(w.RegTreeViewExt->isEnabled());
    // A backslash is refused while typing.
    questions.ExpectError("A file name extension cannot contain a backslash (\\).");
    Enter(w.ComboExt, "a\\", false);
    EXPECT_EQ(Text(w.ComboExt) + w.CurExt, "a\\");
    w.ComboExt->lineEdit()->clear();
    // A name longer than a key name may be is refused before any question.
    const std::string tooLong = "." + std::string(300, 'x');
    questions.ExpectError(
        "A key name cannot be longer than 255 characters: " + tooLong.substr(0, 32) + "...");
    Enter(w.ComboExt, QString::fromStdString(tooLong));
    EXPECT_FALSE(Exists(tooLong));
    EXPECT_EQ(Text(w.ComboExt), tooLong);
    w.ComboExt->lineEdit()->clear();
    Leave();
    // While the window closes nothing is asked.
    w.Closing = true;
    Enter(w.ComboExt, ".q");
    EXPECT_EQ(w.CurExt, ".q");
    EXPECT_EQ(DefaultOf(".q"), "");
    w.Closing = false;
}

TEST_F(SelectionFieldsTest, ClosingWithAFieldThatCannotCommitKeepsTheWindowAndTheText) {
    TZVFormMain& w = OpenShown();
    w.SelectExtension(".log", 0);
    OptionFlags &= ~kOptionConfirmWrites;
    FaultStore faults(store);
    ScopedActiveStore useFaults(faults);
    const std::string refused =
        "Failed to set default value for key HKEY_CLASSES_ROOT\\txtfile to \"New words\". "
        "Access is denied.";
    faults.FailNth(FaultStore::Call::SetValue, 1, err::kAccessDenied);
    Enter(w.EditFileTypeDescr, "New words", false);
    questions.ExpectError(refused);
    w.close();
    gui::ProcessEvents();
    EXPECT_TRUE(w.isVisible());
    EXPECT_FALSE(w.Closing);
    EXPECT_EQ(w.EditFileTypeDescr->text().toStdString(), "New words");
    EXPECT_TRUE(w.EditFileTypeDescr->hasFocus());
    // The same when it is closed while another window is active.
    QWidget other;
    ASSERT_TRUE(gui::ShowAndFocus(&other));
    ASSERT_FALSE(w.isActiveWindow());
    ASSERT_TRUE(w.EditFileTypeDescr->Entered());
    faults.FailNth(FaultStore::Call::SetValue, 1, err::kAccessDenied);
    questions.ExpectError(refused);
    w.close();
    gui::ProcessEvents();
    EXPECT_EQ(prompter.PendingCount(), 0u);  // told at the close, not later
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(w.EditFileTypeDescr->text().toStdString(), "New words");
    ASSERT_TRUE(gui::ShowAndFocus(w.EditFileTypeDescr));
    // Once the text can be written, it is, and the window closes.
    w.close();
    gui::ProcessEvents();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(DefaultOf("txtfile"), "New words");
}

TEST_F(SelectionFieldsTest, FileTypeBoxBrowsesCreatesRepointsOrRestores) {
    TZVFormMain& w = OpenShown();
    w.SelectExtension(".log", 0);
    // Browsing skips excluded keys and never writes; declining the new
    // default value puts the stored file type back.
    Enter(w.ComboFileType, "Software", false);
    EXPECT_EQ(w.CurFileType, "txtfile");
    Enter(w.ComboFileType, "Paint.Picture", false);
    EXPECT_EQ(w.CurFileType, "Paint.Picture");
    questions.ExpectConfirm("Set file type of extension .log to \"Paint.Picture\"?",
                            MessageResult::No);
    Leave();
    EXPECT_EQ(Panel(), ".log .log txtfile txtfile");
    EXPECT_EQ(DefaultOf(".log"), "txtfile");
    // Declining a creation does the same.
    questions.ExpectConfirm("Create new file type other?", MessageResult::No);
    Enter(w.ComboFileType, "other");
    EXPECT_FALSE(Exists("other"));
    EXPECT_EQ(Panel(), ".log .log txtfile txtfile");

    questions.ExpectConfirm("Create new file type newtype?");
    questions.ExpectConfirm("Set file type of extension .log to \"newtype\"?");
    Enter(w.ComboFileType, "newtype");
    EXPECT_TRUE(Exists("newtype"));
    EXPECT_EQ(DefaultOf(".log"), "newtype");
    EXPECT_EQ(w.RegTreeViewExt->TopNode()->NodeValue(), "\"newtype\"");
    EXPECT_THAT(test::UndoDescriptions(), Contains("create file type newtype"));
    EXPECT_EQ(UndoList.LastDescription(), "change file type of extension .log from \"txtfile\"");

    // An empty file type is "Unknown"; an excluded key is selected unlisted.
    questions.ExpectConfirm("Set file type of extension .log to \"Unknown\"?");
    Enter(w.ComboFileType, " ");
    EXPECT_EQ(DefaultOf(".log"), "Unknown");
    questions.ExpectConfirm("Set file type of extension .log to \"software\"?");
    Enter(w.ComboFileType, "software");
    EXPECT_EQ(w.CurFileType, "software");
    EXPECT_FALSE(w.ComboFileType->HasItem("software"));
}

TEST_F(SelectionFieldsTest, DescriptionIsWrittenDeletedOrCreatesTheFileType) {
    TZVFormMain& w = OpenShown();
    w.SelectExtension(".txt", 0);
    questions.ExpectConfirm("Set value of HKEY_CLASSES_ROOT\\txtfile\\ to \"Plain text\"?");
    Enter(w.EditFileTypeDescr, " Plain text ");
    EXPECT_EQ(DefaultOf("txtfile") + "|" + w.EditFileTypeDescr->Text(), "Plain text|Plain text");
    questions.ExpectConfirm(
        "Delete default value of HKEY_CLASSES_ROOT\\txtfile\\ from the registry?");
    Enter(w.EditFileTypeDescr, "");
    EXPECT_EQ(DefaultOf("txtfile"), "");
    EXPECT_EQ(Status(), "No description found for file type txtfile (3)");

    // A description for a missing file type creates its key.
    w.SelectExtension(".nft", 0);
    questions.ExpectConfirm("Create HKEY_CLASSES_ROOT\\nofile\\ with value \"Nothing\"?");
    Enter(w.EditFileTypeDescr, "Nothing");
    EXPECT_EQ(DefaultOf("nofile"), "Nothing");
    EXPECT_TRUE(w.FileTypeExists);
    EXPECT_EQ(Status(), "");
}

}  // namespace
}  // namespace zanver
