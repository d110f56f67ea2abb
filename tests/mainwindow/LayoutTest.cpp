// The frame of the main window: disabled fields, the tool bar's two layouts, the captions and
// widths of the panels' fields, the splitter and the undo key.
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include <initializer_list>
#include <string>
#include <tuple>

#include "MainWindowFixture.h"
#include "Options.h"
#include "QtText.h"
#include "RegistryAccess.h"
#include "Undo.h"
#include "ZVCheckBox.h"
#include "ZVComboBox.h"
#include "ZVEdit.h"
#include "ZVRegTreeView.h"

namespace zanver {
namespace {

std::string Caption(const QLabel* label) {
    return FromQString(label->text());
}

TEST_F(MainWindowTest, FieldsWithoutEditingAreDisabledAndEmpty) {
    TZVFormMain& w = Open();
    w.SelectExtension(".txt", 0);
    for (QWidget* field : std::initializer_list<QWidget*>{
             w.EditApplication, w.ButtonOpenAs, w.ComboMimeType, w.ComboNewTemplate,
             w.ButtonBrowseNewTemplate, w.BitBtnIcon, w.ComboShowExt, w.ComboAction,
             w.EditActionDescr, w.ComboCmd, w.ButtonBrowseCmd, w.ButtonDDE, w.CheckBoxConfirmOpen})
        EXPECT_FALSE(field->isEnabled()) << FromQString(field->objectName());
    for (TZVEntryControl* field : std::initializer_list<TZVEntryControl*>{
             w.EditApplication, w.ComboMimeType, w.ComboNewTemplate, w.ComboAction,
             w.EditActionDescr, w.ComboCmd})
        EXPECT_EQ(field->Text(), "");
}

TEST_F(MainWindowTest, ToolBarSwitchesLayoutWhenTheFocusEntersAndLeavesATree) {
    TZVFormMain& w = Open();
    ASSERT_TRUE(gui::ShowAndFocus(w.ComboExt));
    // In a tree the buttons for new items show; in a field they hide and the
    // edit buttons move into their place. The switch leaves 4 pixels right
    // of the status line, a resize 6.
    const int newKeyLeft = w.SpeedButtonNewKey->x();
    const auto expectLayout = [&](bool tree, int margin, const char* when) {
        SCOPED_TRACE(when);
        for (QToolButton* button : {w.SpeedButtonNewKey, w.SpeedButtonNewString,
                                    w.SpeedButtonNewExpandString, w.SpeedButtonNewDWORD})
            EXPECT_EQ(button->isVisible(), tree);
        EXPECT_EQ(w.SpeedButtonCut->x() == newKeyLeft, !tree);
        EXPECT_EQ(w.PanelSpeedBar->width() - w.LabelMsg->x() - w.LabelMsg->width(), margin);
    };
    const auto focus = [](QWidget* widget, Qt::FocusReason reason) {
        widget->setFocus(reason);
        gui::ProcessEvents();
    };
    expectLayout(false, 6, "at the start");
    focus(w.RegTreeViewFileType, Qt::MouseFocusReason);
    expectLayout(true, 4, "in the file type tree");
    focus(w.RegTreeViewExt, Qt::TabFocusReason);
    expectLayout(true, 4, "from one tree to the other");
    w.PopupMenuAll->popup(w.RegTreeViewExt->mapToGlobal(QPoint(5, 5)));
    gui::ProcessEvents();
    w.PopupMenuAll->close();
    gui::ProcessEvents();
    expectLayout(true, 4, "after a popup menu");
    focus(w.ComboExt, Qt::TabFocusReason);
    expectLayout(false, 4, "back in a field");
    w.resize(w.width() + 40, w.height());
    gui::ProcessEvents();
    expectLayout(false, 6, "after a resize");
}

TEST_F(MainWindowTest, LabelsTakeTheLongestCaptionThatFitsTheirField) {
    TZVFormMain& w = Open();
    ASSERT_TRUE(gui::ShowAndFocus(w.ComboExt));
    // Lays the window out this wide; every label fits its field unless it
    // shows its shortest caption.
    const auto layOut = [&](int width) {
        w.resize(width, w.height());
        gui::ProcessEvents();
        for (const QLabel* label :
             {w.LabelExt, w.LabelFileType, w.LabelApplication, w.LabelMimeType, w.LabelNewTemplate,
              w.LabelFileTypeDescr, w.LabelShowExt, w.LabelAction, w.LabelActionDescr})
            EXPECT_TRUE(width < 200 || label->width() <= label->buddy()->width() - 8)
                << Caption(label);
        return Caption(w.LabelExt) + "|" + Caption(w.LabelFileType) + "|" +
               Caption(w.LabelActionDescr);
    };
    EXPECT_EQ(layOut(1500), "&Extension|Fi&le type of extension|De&scription of action");
    EXPECT_EQ(layOut(90), "&E|Fi&le type|D&s");

    // A class changes the words; the next layout builds the captions anew.
    w.FileTypeWord = "class";
    w.PanelExtResize();
    EXPECT_EQ(Caption(w.LabelFileType), "C&lass");
    layOut(1500);
    EXPECT_EQ(Caption(w.LabelFileTypeDescr) + "|" + Caption(w.LabelAction),
              "&Description of class|&Action for class");
}

TEST_F(MainWindowTest, ShowExtensionColumnTakes88Or124PixelsAndTheDescriptionTheRest) {
    TZVFormMain& w = Open();
    ASSERT_TRUE(gui::ShowAndFocus(w.ComboExt));
    const int frame = w.width() - w.PanelFileType->width();
    const int fixed = 6 + w.LabelShellCmd->x() + w.LabelShellCmd->width() + 6;
    for (const auto& [q, showExt, descr] :
         {std::tuple{100, 88, 112}, std::tuple{130, 124, 136}, std::tuple{80, 80, 80}}) {
        SCOPED_TRACE(q);
        w.resize(4 * q + fixed + frame, w.height());
        gui::ProcessEvents();
        ASSERT_EQ(w.PanelFileType->width(), 4 * q + fixed);
        EXPECT_EQ(w.ComboShowExt->width(), showExt);
        EXPECT_EQ(w.EditFileTypeDescr->width(), descr);
        EXPECT_EQ(w.ComboAction->width(), q);
        EXPECT_EQ(w.ComboShowExt->x(), w.EditFileTypeDescr->x() + descr + 2);
        EXPECT_EQ(w.EditActionDescr->x() + w.EditActionDescr->width(),
                  w.PanelFileType->width() - 6);
    }
}

TEST_F(MainWindowTest, SplitterDragStopsAtTheTopAndAtTheBottomOfTheWindow) {
    TZVFormMain& w = Open();
    ASSERT_TRUE(gui::ShowAndFocus(w.ComboExt));
    const int start = w.GroupBoxExt->height();
    // Drags the splitter to y (from its grab point at 3): the splitter stays
    // between the halves, the file type half ends at the window's bottom.
    const auto drag = [&](int y) {
        QTest::mouseMove(w.PanelResize, QPoint(50, y));
        EXPECT_EQ(w.PanelResize->y(), w.GroupBoxExt->y() + w.GroupBoxExt->height());
        EXPECT_EQ(w.GroupBoxFileType->y(), w.PanelResize->y() + w.PanelResize->height());
        EXPECT_EQ(w.GroupBoxFileType->y() + w.GroupBoxFileType->height(), w.height());
        return w.GroupBoxExt->height();
    };
    QTest::mousePress(w.PanelResize, Qt::LeftButton, {}, QPoint(50, 3));
    EXPECT_TRUE(w.Splitting);
    EXPECT_EQ(drag(3 + 40), start + 40);
    EXPECT_EQ(drag(3 - 10), start + 30);  // the splitter moved along: counted from there
    EXPECT_EQ(drag(-5000), 0);
    const int bottom = drag(5000);
    EXPECT_EQ(w.GroupBoxFileType->height(), 0);
    QTest::mouseRelease(w.PanelResize, Qt::LeftButton, {}, QPoint(50, -100));
    EXPECT_FALSE(w.Splitting);
    EXPECT_EQ(w.GroupBoxExt->height(), bottom - 103);
}

TEST_F(MainWindowTest, CtrlZUndoesTheWindowsLastChangeInFieldsAndTrees) {
    TZVFormMain& w = Open();
    w.SelectExtension(".txt", 0);
    ASSERT_TRUE(gui::ShowAndFocus(w.EditFileTypeDescr));
    gui::Type(w.EditFileTypeDescr, "abc");
    ASSERT_EQ(UndoList.Count(), 3);
    gui::PressKey(w.EditFileTypeDescr, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(w.EditFileTypeDescr->text().toStdString(), "abText Document");
    // In a tree too, also in its in-place edit line.
    OptionFlags &= ~kOptionConfirmWrites;
    w.RegTreeViewFileType->setFocus(Qt::TabFocusReason);
    ASSERT_EQ(UndoList.LastDescription(), "change HKEY_CLASSES_ROOT\\txtfile\\");
    gui::PressKey(w.RegTreeViewFileType, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, "txtfile", ""), "Text Document");
    EXPECT_EQ(UndoList.Count(), 2);

    w.RegTreeViewFileType->setFocus(Qt::TabFocusReason);
    w.RegTreeViewFileType->EditSelected();
    gui::ProcessEvents();
    QLineEdit* line = w.RegTreeViewFileType->EditControl();
    ASSERT_NE(line, nullptr);
    const QString before = line->text();
    gui::Type(line, "x");
    ASSERT_EQ(UndoList.Count(), 3);
    gui::PressKey(line, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(line->text(), before);
    EXPECT_EQ(UndoList.Count(), 2);
    gui::PressKey(line, Qt::Key_Escape);
}

}  // namespace
}  // namespace zanver
