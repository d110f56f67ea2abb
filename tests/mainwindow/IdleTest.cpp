// Idle processing: the undo button, the trees' captions and deferred loads,
// and the focus going back to a field whose exit failed.
#include <gtest/gtest.h>

#include <QGroupBox>
#include <QLineEdit>
#include <QToolButton>

#include "MainWindowFixture.h"
#include "QtText.h"
#include "Undo.h"
#include "ZVComboBox.h"
#include "ZVEdit.h"
#include "ZVRegTreeView.h"

namespace zanver {
namespace {

using IdleTest = MainWindowTest;

bool NoUndo(void*, TUndo&) {
    return true;
}

TEST_F(IdleTest, UndoButtonFollowsTheUndoList) {
    TZVFormMain& w = Open();
    w.IdleUpdate();
    EXPECT_FALSE(w.SpeedButtonUndo->isEnabled());
    EXPECT_EQ(FromQString(w.SpeedButtonUndo->toolTip()), "Nothing to undo");

    AddUndo(UndoList, nullptr, "create extension .abc", "", NoUndo, nullptr);
    w.IdleUpdate();
    EXPECT_TRUE(w.SpeedButtonUndo->isEnabled());
    EXPECT_EQ(FromQString(w.SpeedButtonUndo->toolTip()), "Undo create extension .abc");

    // Clicking it undoes; the idle pass that follows disables it again.
    w.SpeedButtonUndo->click();
    EXPECT_TRUE(UndoList.Empty());
    w.IdleUpdate();
    EXPECT_FALSE(w.SpeedButtonUndo->isEnabled());
}

TEST_F(IdleTest, RunsByItselfWhenTheEventQueueDrains) {
    TZVFormMain& w = OpenShown();
    AddUndo(UndoList, nullptr, "change focus", "", NoUndo, nullptr);
    gui::PressKey(w.ComboExt, Qt::Key_Shift);
    gui::ProcessEvents();
    EXPECT_TRUE(w.SpeedButtonUndo->isEnabled());
}

TEST_F(IdleTest, GroupBoxCaptionsShowTheTopKeys) {
    TZVFormMain& w = Open({"/tmp/file.txt"});
    w.IdleUpdate();
    EXPECT_EQ(FromQString(w.GroupBoxExt->title()), "HKEY_CLASSES_ROOT\\.txt");
    EXPECT_EQ(FromQString(w.GroupBoxFileType->title()), "HKEY_CLASSES_ROOT\\txtfile");
}

TEST_F(IdleTest, FocusGoesBackToTheFieldWhoseExitFailed) {
    TZVFormMain& w = OpenShown();
    w.RegTreeViewFileType->setFocus();
    gui::ProcessEvents();
    w.LastFocus = w.EditFileTypeDescr;
    w.IdleUpdate();
    EXPECT_TRUE(w.FixFocusControl->hasFocus());
    w.IdleUpdate();
    EXPECT_TRUE(w.EditFileTypeDescr->hasFocus());
    EXPECT_EQ(w.LastFocus, nullptr);

    // A field that cannot take the focus hands it to the extension box.
    w.EditFileTypeDescr->setEnabled(false);
    gui::ProcessEvents();
    w.LastFocus = w.EditFileTypeDescr;
    w.IdleUpdate();
    w.IdleUpdate();
    EXPECT_TRUE(w.ComboExt->hasFocus());
}

}  // namespace
}  // namespace zanver
