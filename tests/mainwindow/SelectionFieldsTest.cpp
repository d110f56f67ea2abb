// The extension, file type and description fields driven as the user drives
// them: typing browses, leaving commits after the questions, and the
// creations are undone with their own question.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QLineEdit>

#include <string>
#include <vector>

#include "AppTitle.h"
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
using ::testing::ElementsAre;
using ::testing::Not;

class SelectionFieldsTest : public MainWindowTest {
  protected:
    // A write question as it is asked while the window's caption is Title.
    void ExpectWrite(const std::string& title, std::string text, bool yes) {
        Expect(title + " confirm write to registry", std::move(text), MessageButtons::YesNo,
               MessageIcon::Question, yes ? MessageResult::Yes : MessageResult::No);
    }
    void ExpectBox(const std::string& title, std::string text, MessageButtons buttons,
                   MessageIcon icon, MessageResult answer) {
        Expect(title, std::move(text), buttons, icon, answer);
    }
    // Puts the focus into a field with its whole text selected, and types.
    static void TypeInto(QWidget* field, QLineEdit* editor, const QString& text) {
        field->setFocus(Qt::TabFocusReason);
        gui::ProcessEvents();
        editor->selectAll();
        gui::Type(editor, text);
    }
    // The window shown, with the focus in a field without handlers.
    TZVFormMain& Shown() {
        TZVFormMain& w = Open();
        EXPECT_TRUE(gui::ShowAndFocus(w.CheckBoxConfirmOpen));
        return w;
    }
    // Moves the focus to that field, which commits the one left.
    void Leave() {
        window->CheckBoxConfirmOpen->setFocus(Qt::TabFocusReason);
        gui::ProcessEvents();
    }
    static std::vector<std::string> Descriptions() {
        std::vector<std::string> list;
        for (int i = 0; i < UndoList.Count(); ++i)
            list.push_back(UndoList.Descriptions(i));
        return list;
    }
    static bool HasCreateRecord() {
        for (const std::string& description : Descriptions())
            if (description.rfind("create ", 0) == 0)
                return true;
        return false;
    }
};

TEST_F(SelectionFieldsTest, TypicalRoadCreatesAnExtensionAndUndoesIt) {
    TZVFormMain& w = Shown();
    TypeInto(w.ComboExt, w.ComboExt->lineEdit(), ".abc");
    EXPECT_EQ(w.CurExt, "");  // no such key to browse to

    // No file type is shown, so the new extension proposes one named after it.
    ExpectWrite("Zanver", "Create new extension .abc with file type \"abcfile\"?", true);
    Leave();
    EXPECT_EQ(DefaultOf(".abc"), "abcfile");
    EXPECT_EQ(w.windowTitle().toStdString(), "Zanver .abc");
    EXPECT_EQ(Text(w.ComboFileType), "abcfile");
    EXPECT_EQ(StatusText(), "file type abcfile not found.");
    EXPECT_EQ(StatusLevel(), 11);
    ASSERT_NE(w.RegTreeViewExt->TopNode(), nullptr);
    EXPECT_EQ(w.RegTreeViewExt->TopNode()->NodeName(), ".abc");
    EXPECT_EQ(w.RegTreeViewExt->TopNode()->NodeValue(), "\"abcfile\"");
    EXPECT_EQ(w.RegTreeViewFileType->TopNode(), nullptr);
    EXPECT_TRUE(w.ComboExt->HasItem(".abc"));
    EXPECT_EQ(UndoHint(UndoList), "Undo create extension .abc");

    ExpectBox("Zanver .abc", "Delete HKEY_CLASSES_ROOT\\.abc from the registry?",
              MessageButtons::YesNo, MessageIcon::Question, MessageResult::Yes);
    PerformUndo(UndoList);
    EXPECT_FALSE(Exists(".abc"));
    EXPECT_FALSE(w.ComboExt->HasItem(".abc"));
    EXPECT_EQ(Text(w.ComboExt), ".abc");
    EXPECT_EQ(w.CurExt, ".abc");
    EXPECT_EQ(StatusText(), "Extension .abc not found in registry");
    EXPECT_EQ(w.RegTreeViewExt->TopNode(), nullptr);
    EXPECT_FALSE(HasCreateRecord());
}

TEST_F(SelectionFieldsTest, TypingBrowsesOnlyToExactNamesAndNeverWrites) {
    TZVFormMain& w = Shown();
    TypeInto(w.ComboExt, w.ComboExt->lineEdit(), "txt");
    EXPECT_EQ(w.CurExt, "");  // "txt" is not its normal form ".txt"
    Leave();                  // an existing file type is never replaced: no question
    EXPECT_EQ(w.CurExt, ".txt");
    EXPECT_EQ(Text(w.ComboExt), ".txt");

    TypeInto(w.ComboExt, w.ComboExt->lineEdit(), ".log");
    EXPECT_EQ(w.CurExt, ".log");
    EXPECT_EQ(w.CurFileType, "txtfile");
    // Browsing to an excluded file type does not select it.
    TypeInto(w.ComboFileType, w.ComboFileType->lineEdit(), "Software");
    EXPECT_EQ(w.CurFileType, "txtfile");
    TypeInto(w.ComboFileType, w.ComboFileType->lineEdit(), "Paint.Picture");
    EXPECT_EQ(w.CurFileType, "Paint.Picture");
    EXPECT_EQ(w.CurExt, ".log");
    EXPECT_EQ(DefaultOf(".log"), "txtfile");
    for (const std::string& description : Descriptions())
        EXPECT_EQ(description.rfind("change ", 0), 0u) << description;

    // Declining the new default value puts the stored file type back.
    ExpectWrite("Zanver .log", "Set file type of extension .log to \"Paint.Picture\"?", false);
    Leave();
    EXPECT_EQ(w.CurFileType, "txtfile");
    EXPECT_EQ(Text(w.ComboFileType), "txtfile");
    EXPECT_EQ(DefaultOf(".log"), "txtfile");
}

TEST_F(SelectionFieldsTest, NewAndEmptyExtensions) {
    Import("REGEDIT4\n\n[HKEY_CLASSES_ROOT\\.q]\n");
    TZVFormMain& w = Shown();
    w.SelectExtension(".txt", 0);

    // The file type shown is proposed; declining still shows the extension.
    TypeInto(w.ComboExt, w.ComboExt->lineEdit(), ".xyz");
    ExpectWrite("Zanver .txt", "Create new extension .xyz with file type \"txtfile\"?", false);
    Leave();
    EXPECT_FALSE(Exists(".xyz"));
    EXPECT_EQ(w.CurExt, ".xyz");
    EXPECT_EQ(StatusText(), "Extension .xyz not found in registry");
    EXPECT_EQ(StatusLevel(), 12);
    EXPECT_FALSE(HasCreateRecord());

    // An existing extension without file type gets one after a question.
    TypeInto(w.ComboExt, w.ComboExt->lineEdit(), ".empty");
    EXPECT_EQ(w.CurFileType, "Unknown");
    ExpectWrite("Zanver .empty", "Set file type for extension .empty to \"emptyfile\"?", true);
    Leave();
    EXPECT_EQ(DefaultOf(".empty"), "emptyfile");
    EXPECT_EQ(w.CurFileType, "emptyfile");

    // A lone dot selects no extension.
    TypeInto(w.ComboExt, w.ComboExt->lineEdit(), ".");
    Leave();
    EXPECT_EQ(w.CurExt, "");
    EXPECT_EQ(Text(w.ComboExt), "");
    EXPECT_EQ(w.windowTitle().toStdString(), "Zanver");
    EXPECT_FALSE(w.RegTreeViewExt->isEnabled());

    // While the window closes nothing is asked.
    w.Closing = true;
    TypeInto(w.ComboExt, w.ComboExt->lineEdit(), ".q");
    Leave();
    EXPECT_EQ(w.CurExt, ".q");
    EXPECT_EQ(DefaultOf(".q"), "");
    w.Closing = false;
}

TEST_F(SelectionFieldsTest, FileTypesAreCreatedRepointedOrRestored) {
    TZVFormMain& w = Shown();
    w.SelectExtension(".txt", 0);
    TypeInto(w.ComboFileType, w.ComboFileType->lineEdit(), "newtype");
    ExpectWrite("Zanver .txt", "Create new file type newtype?", true);
    ExpectWrite("Zanver .txt", "Set file type of extension .txt to \"newtype\"?", true);
    Leave();
    EXPECT_TRUE(Exists("newtype"));
    EXPECT_EQ(DefaultOf(".txt"), "newtype");
    EXPECT_EQ(w.CurFileType, "newtype");
    EXPECT_TRUE(w.ComboFileType->HasItem("newtype"));
    EXPECT_EQ(w.RegTreeViewExt->TopNode()->NodeValue(), "\"newtype\"");
    EXPECT_THAT(Descriptions(), Contains("create file type newtype"));
    EXPECT_EQ(UndoList.LastDescription(), "change file type of extension .txt from \"txtfile\"");

    // Declining the creation leaves the extension's file type as stored.
    w.SelectExtension(".log", 0);
    TypeInto(w.ComboFileType, w.ComboFileType->lineEdit(), "other");
    ExpectWrite("Zanver .log", "Create new file type other?", false);
    Leave();
    EXPECT_FALSE(Exists("other"));
    EXPECT_EQ(Text(w.ComboFileType), "txtfile");
    EXPECT_EQ(w.CurFileType, "txtfile");

    // An empty file type is "Unknown", written like any other.
    TypeInto(w.ComboFileType, w.ComboFileType->lineEdit(), " ");
    ExpectWrite("Zanver .log", "Set file type of extension .log to \"Unknown\"?", true);
    Leave();
    EXPECT_EQ(DefaultOf(".log"), "Unknown");
    EXPECT_EQ(Text(w.ComboFileType), "Unknown");

    // Committing an excluded key selects it without listing it.
    TypeInto(w.ComboFileType, w.ComboFileType->lineEdit(), "software");
    ExpectWrite("Zanver .log", "Set file type of extension .log to \"software\"?", true);
    Leave();
    EXPECT_EQ(w.CurFileType, "software");
    EXPECT_FALSE(w.ComboFileType->HasItem("software"));
}

TEST_F(SelectionFieldsTest, WithoutConfirmationKeysAreCreatedAndStillUndoable) {
    TZVFormMain& w = Shown();
    OptionFlags = 0;
    TypeInto(w.ComboExt, w.ComboExt->lineEdit(), ".new");
    Leave();
    EXPECT_EQ(DefaultOf(".new"), "newfile");
    TypeInto(w.ComboFileType, w.ComboFileType->lineEdit(), "brandnew");
    Leave();
    EXPECT_TRUE(Exists("brandnew"));
    EXPECT_EQ(DefaultOf(".new"), "brandnew");
    EXPECT_THAT(Descriptions(), Contains("create extension .new"));
    EXPECT_THAT(Descriptions(), Contains("create file type brandnew"));

    // The value goes back first; undoing the creation asks all the same.
    PerformUndo(UndoList);
    EXPECT_EQ(DefaultOf(".new"), "newfile");
    ExpectBox("Zanver .new", "Delete HKEY_CLASSES_ROOT\\brandnew from the registry?",
              MessageButtons::YesNo, MessageIcon::Question, MessageResult::Yes);
    PerformUndo(UndoList);
    EXPECT_FALSE(Exists("brandnew"));
    EXPECT_FALSE(w.ComboFileType->HasItem("brandnew"));
    // The box keeps the undone name; the panel follows the extension.
    EXPECT_EQ(Text(w.ComboFileType), "brandnew");
    EXPECT_EQ(w.CurFileType, "newfile");
}

TEST_F(SelectionFieldsTest, DescriptionIsWrittenDeletedOrCreatesTheFileType) {
    TZVFormMain& w = Shown();
    w.SelectExtension(".txt", 0);
    TypeInto(w.EditFileTypeDescr, w.EditFileTypeDescr, " Plain text ");
    ExpectWrite("Zanver .txt", "Set value of HKEY_CLASSES_ROOT\\txtfile\\ to \"Plain text\"?",
                true);
    Leave();
    EXPECT_EQ(DefaultOf("txtfile"), "Plain text");
    EXPECT_EQ(w.EditFileTypeDescr->Text(), "Plain text");

    TypeInto(w.EditFileTypeDescr, w.EditFileTypeDescr, "");
    w.EditFileTypeDescr->clear();
    ExpectWrite("Zanver .txt",
                "Delete default value of HKEY_CLASSES_ROOT\\txtfile\\ from the registry?", true);
    Leave();
    EXPECT_EQ(DefaultOf("txtfile"), "");
    EXPECT_EQ(StatusText(), "No description found for file type txtfile");

    // A description for a missing file type creates its key.
    w.SelectExtension(".nft", 0);
    TypeInto(w.EditFileTypeDescr, w.EditFileTypeDescr, "Nothing");
    ExpectWrite("Zanver .nft", "Create HKEY_CLASSES_ROOT\\nofile\\ with value \"Nothing\"?", true);
    Leave();
    EXPECT_EQ(DefaultOf("nofile"), "Nothing");
    EXPECT_TRUE(w.FileTypeExists);
    EXPECT_EQ(StatusText(), "");
}

TEST_F(SelectionFieldsTest, FailuresAreReportedAndNothingIsLost) {
    TZVFormMain& w = Open();
    OptionFlags = 0;
    FaultStore faults(store);
    ScopedActiveStore useFaults(faults);

    faults.FailNth(FaultStore::Call::QueryValue, 1, err::kAccessDenied);
    EXPECT_EQ(ErrorOf<EZanver>([&] {
                  w.SetKeyDefault(".empty", "emptyfile", "extension", "file type", w.ComboExt);
              }),
              "Could not retrieve file type for extension .empty. Access is denied");
    EXPECT_EQ(DefaultOf(".empty"), "");

    // The key stays created and recorded when its value cannot be written.
    faults.FailNth(FaultStore::Call::SetValue, 1, err::kAccessDenied);
    ExpectBox("Zanver", "Could not set default value for key .fresh. Access is denied",
              MessageButtons::Ok, MessageIcon::Stop, MessageResult::Ok);
    EXPECT_TRUE(w.SetKeyDefault(".fresh", "freshfile", "extension", "file type", w.ComboExt));
    EXPECT_TRUE(Exists(".fresh"));
    EXPECT_EQ(UndoList.LastDescription(), "create extension .fresh");

    // A key that cannot be deleted keeps its record.
    faults.FailNth(FaultStore::Call::DeleteKey, 1, err::kAccessDenied);
    faults.FailNth(FaultStore::Call::DeleteKey, 2, err::kAccessDenied);
    ExpectBox("Zanver", "Delete HKEY_CLASSES_ROOT\\.fresh from the registry?",
              MessageButtons::YesNo, MessageIcon::Question, MessageResult::Yes);
    ExpectBox("Zanver", "Could not delete key HKEY_CLASSES_ROOT\\.fresh. Access is denied",
              MessageButtons::Ok, MessageIcon::Stop, MessageResult::Ok);
    PerformUndo(UndoList);
    EXPECT_TRUE(Exists(".fresh"));
    EXPECT_EQ(UndoList.LastDescription(), "create extension .fresh");
}

TEST_F(SelectionFieldsTest, BackslashesAreRefusedWhileTyping) {
    TZVFormMain& w = Shown();
    w.ComboExt->setFocus(Qt::TabFocusReason);
    gui::ProcessEvents();
    ExpectBox("Zanver", "A file name extension cannot contain a backslash (\\).",
              MessageButtons::Ok, MessageIcon::Stop, MessageResult::Ok);
    gui::Type(w.ComboExt->lineEdit(), "a\\");
    EXPECT_EQ(Text(w.ComboExt), "a\\");
    EXPECT_EQ(w.CurExt, "");
    w.ComboExt->lineEdit()->clear();
    Leave();
    EXPECT_THAT(Descriptions(), Not(Contains("create extension .a\\")));
}

}  // namespace
}  // namespace zanver
