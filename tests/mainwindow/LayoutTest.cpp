// The frame of the main window: its controls, the tool bar's two layouts,
// the captions and widths of the panels' fields, the splitter and the undo
// key.
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include <string>
#include <tuple>
#include <vector>

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

TEST_F(MainWindowTest, ControlsCarryTheNamesHistoriesAndUndoRecordsUse) {
    TZVFormMain& w = Open();
    for (const auto& [entry, widget, name, undoName] :
         std::vector<std::tuple<TZVEntryControl*, QWidget*, std::string, std::string>>{
             {w.ComboExt, w.ComboExt, "ComboExt", "extension"},
             {w.ComboFileType, w.ComboFileType, "ComboFileType", "file type"},
             {w.ComboAction, w.ComboAction, "ComboAction", "shell verb"},
             {w.ComboCmd, w.ComboCmd, "ComboCmd", "shell command"},
             {w.EditFileTypeDescr, w.EditFileTypeDescr, "EditFileTypeDescr",
              "description file type"}}) {
        EXPECT_EQ(FromQString(widget->objectName()), name);
        EXPECT_EQ(entry->UndoName, undoName) << name;
    }
    // Fields whose editing is not built take no input and show nothing.
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
    // Of the context menu only undo and paste work at the start.
    for (const char* name : {"MenuUndo", "MenuPaste", "MenuNewKey", "MenuDel", "MenuMakeDefault"}) {
        const auto* item = w.findChild<QAction*>(name);
        ASSERT_NE(item, nullptr) << name;
        EXPECT_EQ(item->isEnabled(),
                  std::string(name) == "MenuUndo" || std::string(name) == "MenuPaste")
            << name;
    }
}

TEST_F(MainWindowTest, ToolBarSwitchesLayoutWhenTheFocusEntersAndLeavesATree) {
    TZVFormMain& w = Open();
    ASSERT_TRUE(gui::ShowAndFocus(w.ComboExt));
    const struct {
        QToolButton* button;
        int treeLeft;
        int fieldLeft;  // -1: hidden
    } places[] = {
        {w.SpeedButtonAssociate, 29, 29},  {w.SpeedButtonNewKey, 85, -1},
        {w.SpeedButtonNewString, 110, -1}, {w.SpeedButtonNewExpandString, 135, -1},
        {w.SpeedButtonNewDWORD, 160, -1},  {w.SpeedButtonCut, 191, 85},
        {w.SpeedButtonCopy, 216, 110},     {w.SpeedButtonPaste, 241, 135},
        {w.SpeedButtonDel, 266, 160},      {w.SpeedButtonUndo, 291, 185},
        {w.SpeedButtonRefresh, 322, 216},  {w.SpeedButtonOptions, 347, 241},
    };
    // The switch leaves 4 pixels right of the status line, a resize 6.
    const auto expectLayout = [&](bool tree, int margin, const char* when) {
        SCOPED_TRACE(when);
        for (const auto& place : places) {
            const int left = tree ? place.treeLeft : place.fieldLeft;
            EXPECT_EQ(place.button->isVisible() ? place.button->x() : -1, left)
                << FromQString(place.button->objectName());
        }
        const int msgLeft = tree ? 374 : 268;
        EXPECT_EQ(w.LabelMsg->x(), msgLeft);
        EXPECT_EQ(w.LabelMsg->width(), w.PanelSpeedBar->width() - msgLeft - margin);
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
    // Lays the window out this wide and returns the captions; on a wide
    // window every label fits its field.
    const auto layOut = [&](int width) {
        w.resize(width, w.height());
        gui::ProcessEvents();
        std::vector<std::string> texts;
        for (const QLabel* label :
             {w.LabelExt, w.LabelFileType, w.LabelApplication, w.LabelMimeType, w.LabelNewTemplate,
              w.LabelFileTypeDescr, w.LabelShowExt, w.LabelAction, w.LabelActionDescr}) {
            texts.push_back(Caption(label));
            EXPECT_TRUE(width < 200 || label->width() <= label->buddy()->width() - 8)
                << texts.back();
        }
        return texts;
    };
    EXPECT_EQ(layOut(1500),
              (std::vector<std::string>{
                  "&Extension", "Fi&le type of extension", "&Personal application for extension",
                  "&Mime type of extension", "Shell &new template for extension",
                  "&Description of file type", "&Show extension", "&Action for file type",
                  "De&scription of action"}));
    EXPECT_EQ(layOut(90), (std::vector<std::string>{"&E", "Fi&le type", "A&pp", "&M", "&N", "&D",
                                                    "&SE", "&A", "D&s"}));

    // A class changes the words; the next layout builds the captions anew.
    w.FileTypeWord = "class";
    w.PanelExtResize();
    EXPECT_EQ(Caption(w.LabelFileType), "C&lass");
    const std::vector<std::string> wide = layOut(1500);
    EXPECT_EQ(wide[1] + "|" + wide[5] + "|" + wide[7],
              "C&lass of extension|&Description of class|&Action for class");
    // The fields of a row follow each other and end 6 pixels from the edge.
    EXPECT_EQ(w.ComboFileType->x(), w.ComboExt->x() + w.ComboExt->width() + 2);
    EXPECT_EQ(w.ButtonOpenAs->x() + w.ButtonOpenAs->width(), w.PanelExt->width() - 6);
    EXPECT_EQ(w.ComboCmd->x() + w.ComboCmd->width(), w.ButtonBrowseCmd->x() - 2);
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
    // Drags the splitter to y (from its grab point at 3) and checks the frame.
    const auto drag = [&](int y, int extHeight) {
        QTest::mouseMove(w.PanelResize, QPoint(50, y));
        EXPECT_EQ(w.GroupBoxExt->height(), extHeight) << y;
        EXPECT_EQ(w.PanelResize->y(), 33 + extHeight);
        EXPECT_EQ(w.GroupBoxFileType->y(), 33 + extHeight + 8);
        EXPECT_EQ(w.GroupBoxFileType->y() + w.GroupBoxFileType->height(), w.height());
    };
    QTest::mousePress(w.PanelResize, Qt::LeftButton, {}, QPoint(50, 3));
    EXPECT_TRUE(w.Splitting);
    drag(3 + 40, start + 40);
    drag(3 - 10, start + 30);  // the splitter moved along: counted from there
    drag(-5000, 0);
    drag(5000, w.height() - 8 - 33);
    QTest::mouseRelease(w.PanelResize, Qt::LeftButton, {}, QPoint(50, -100));
    EXPECT_FALSE(w.Splitting);
    EXPECT_EQ(w.GroupBoxExt->height(), w.height() - 8 - 33 - 103);
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
