// The frame of the main window: its controls, the tool bar's two layouts,
// the captions and widths of the panels' fields, the splitter, the sorted
// lists and the undo key.
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
#include "QtText.h"
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

TEST_F(MainWindowTest, EveryControlHasItsNameHintAndUndoName) {
    TZVFormMain& w = Open();
    const std::vector<std::tuple<QWidget*, std::string, std::string, std::string>> controls = {
        {w.ComboExt, "ComboExt", "File name extension", "extension"},
        {w.ComboFileType, "ComboFileType", "File type or class of extension", "file type"},
        {w.EditApplication, "EditApplication", "Use browse button to set personal application",
         "associated application"},
        {w.ButtonOpenAs, "ButtonOpenAs", "Execute openas command", ""},
        {w.ComboMimeType, "ComboMimeType", "MIME type of extension", "MIME type"},
        {w.ComboNewTemplate, "ComboNewTemplate", "New template for extension", "new template"},
        {w.ButtonBrowseNewTemplate, "ButtonBrowseNewTemplate", "Browse for shell new template", ""},
        {w.BitBtnIcon, "BitBtnIcon", "Browse icon for file type", ""},
        {w.EditFileTypeDescr, "EditFileTypeDescr", "Description of file type",
         "description file type"},
        {w.ComboShowExt, "ComboShowExt", "Show extension always, never or normal", ""},
        {w.ComboAction, "ComboAction", "Shell actions for file type or class", "shell verb"},
        {w.EditActionDescr, "EditActionDescr", "Localized description of shell action",
         "description shell action"},
        {w.ComboCmd, "ComboCmd", "Command to execute for action", "shell command"},
        {w.ButtonBrowseCmd, "ButtonBrowseCmd", "Browse for command", ""},
        {w.ButtonDDE, "ButtonDDE", "Show ddeexec key", ""},
        {w.CheckBoxConfirmOpen, "CheckBoxConfirmOpen", "Confirm open after download of file type",
         ""},
        {w.SpeedButtonOpen, "SpeedButtonOpen", "Open file", ""},
        {w.SpeedButtonAssociate, "SpeedButtonAssociate", "Split Zanver", ""},
        {w.SpeedButtonRegEdit, "SpeedButtonRegEdit", "Start register editor", ""},
        {w.SpeedButtonNewKey, "SpeedButtonNewKey", "Create new key (Ctrl+K)", ""},
        {w.SpeedButtonNewString, "SpeedButtonNewString", "Create new string (Ctrl+S)", ""},
        {w.SpeedButtonNewExpandString, "SpeedButtonNewExpandString",
         "Create new expandable string (Ctrl+E)", ""},
        {w.SpeedButtonNewDWORD, "SpeedButtonNewDWORD", "Create new DWORD (Ctrl+D)", ""},
        {w.SpeedButtonCut, "SpeedButtonCut", "Cut selection and put it on clipboard (Ctrl+X)", ""},
        {w.SpeedButtonCopy, "SpeedButtonCopy", "Copy selection to clipboard (Ctrl+C)", ""},
        {w.SpeedButtonPaste, "SpeedButtonPaste", "Paste selection from clipboard (Ctrl+V)", ""},
        {w.SpeedButtonDel, "SpeedButtonDel", "Delete selection (Del)", ""},
        {w.SpeedButtonRefresh, "SpeedButtonRefresh", "Refresh display from registry (F5)", ""},
        {w.SpeedButtonOptions, "SpeedButtonOptions", "Options dialog", ""},
    };
    for (const auto& [widget, name, hint, undoName] : controls) {
        ASSERT_NE(widget, nullptr) << name;
        EXPECT_EQ(FromQString(widget->objectName()), name);
        EXPECT_EQ(FromQString(widget->toolTip()), hint) << name;
        const auto* entry = dynamic_cast<const TZVEntryControl*>(widget);
        EXPECT_EQ(entry != nullptr ? entry->UndoName : "", undoName) << name;
    }
    for (QWidget* other : std::initializer_list<QWidget*>{
             w.LabelMsg, w.PanelExt, w.PanelFileType, w.PanelResize, w.PanelSpeedBar,
             w.FixFocusControl, w.RegTreeViewExt, w.RegTreeViewFileType, w.LabelShellCmd})
        EXPECT_FALSE(other->objectName().isEmpty());
    EXPECT_EQ(Caption(w.LabelShellCmd), "&Command");
    EXPECT_EQ(FromQString(w.ButtonDDE->text()), "DD&E");
    EXPECT_EQ(Items(w.ComboAction), (std::vector<std::string>{"edit", "open", "print", "printto"}));
    EXPECT_EQ(Items(w.ComboShowExt), (std::vector<std::string>{"Always", "Never", "Normal"}));

    // The context menu: every item by name and caption; only undo and paste
    // work at the start.
    const std::vector<std::pair<std::string, std::string>> items = {
        {"MenuEdit", "&Edit"},
        {"MenuUndo", "&Undo"},
        {"MenuHistory", "&History"},
        {"MenuHistoryFirst", "No history"},
        {"MenuNew", "&New"},
        {"MenuNewKey", "&Key"},
        {"MenuNewString", "&String"},
        {"MenuNewExpString", "&Expandable string"},
        {"MenuNewDWord", "&Double word"},
        {"MenuCut", "Cu&t"},
        {"MenuCopy", "&Copy"},
        {"MenuPaste", "&Paste"},
        {"MenuDel", "&Delete"},
        {"MenuSelectAll", "&Select All"},
        {"MenuMakeDefault", "&Make default"},
        {"MenuExtFileType", "&View extensions file type"},
        {"MenuViewClassFileType", "V&iew class file type"},
        {"MenuViewFileTypesClass", "View &file types class"},
        {"MenuFirstFileType", "No file types found"},
        {"MenuViewSelectedClasses", "Vie&w selected classes"},
        {"MenuSetIconForFileType", "Set Icon for &file type"},
    };
    for (const auto& [name, caption] : items) {
        const auto* item = w.findChild<QAction*>(ToQString(name));
        ASSERT_NE(item, nullptr) << name;
        EXPECT_EQ(FromQString(item->text()), caption);
        EXPECT_EQ(item->isEnabled(), name == "MenuUndo" || name == "MenuPaste") << name;
    }
    EXPECT_FALSE(w.findChild<QAction*>("MenuViewClassFileType")->isVisible());
}

TEST_F(MainWindowTest, ToolBarSwitchesLayoutWhenTheFocusEntersAndLeavesATree) {
    TZVFormMain& w = Open();
    ASSERT_TRUE(gui::ShowAndFocus(w.ComboMimeType));
    struct Place {
        QToolButton* button;
        int treeLeft;
        int fieldLeft;  // -1: hidden
    };
    const std::vector<Place> places = {
        {w.SpeedButtonOpen, 4, 4},         {w.SpeedButtonAssociate, 29, 29},
        {w.SpeedButtonRegEdit, 54, 54},    {w.SpeedButtonNewKey, 85, -1},
        {w.SpeedButtonNewString, 110, -1}, {w.SpeedButtonNewExpandString, 135, -1},
        {w.SpeedButtonNewDWORD, 160, -1},  {w.SpeedButtonCut, 191, 85},
        {w.SpeedButtonCopy, 216, 110},     {w.SpeedButtonPaste, 241, 135},
        {w.SpeedButtonDel, 266, 160},      {w.SpeedButtonUndo, 291, 185},
        {w.SpeedButtonRefresh, 322, 216},  {w.SpeedButtonOptions, 347, 241},
    };
    const auto expectLayout = [&](bool tree, int margin, const char* when) {
        SCOPED_TRACE(when);
        for (const Place& place : places) {
            const int left = tree ? place.treeLeft : place.fieldLeft;
            const std::string name = FromQString(place.button->objectName());
            EXPECT_EQ(place.button->isVisible(), left >= 0) << name;
            if (left >= 0) {
                EXPECT_EQ(place.button->x(), left) << name;
            }
        }
        const int msgLeft = tree ? 374 : 268;
        EXPECT_EQ(w.LabelMsg->x(), msgLeft);
        // The switch leaves 4 pixels right of the status line, a resize of
        // the bar 6.
        EXPECT_EQ(w.LabelMsg->width(), w.PanelSpeedBar->width() - msgLeft - margin);
    };
    expectLayout(false, 6, "at the start");
    EXPECT_FALSE(w.SpeedButtonNewKey->isEnabled());
    EXPECT_FALSE(w.SpeedButtonUndo->isEnabled());

    w.RegTreeViewFileType->setFocus(Qt::MouseFocusReason);
    gui::ProcessEvents();
    expectLayout(true, 4, "in the file type tree");
    w.RegTreeViewExt->setFocus(Qt::TabFocusReason);
    gui::ProcessEvents();
    expectLayout(true, 4, "from one tree to the other");
    w.PopupMenuAll->popup(w.RegTreeViewExt->mapToGlobal(QPoint(5, 5)));
    gui::ProcessEvents();
    w.PopupMenuAll->close();
    gui::ProcessEvents();
    expectLayout(true, 4, "after a popup menu");
    w.ComboMimeType->setFocus(Qt::TabFocusReason);
    gui::ProcessEvents();
    expectLayout(false, 4, "back in a field");

    // The window keeps the layout's label width rule on a resize of the bar.
    w.resize(w.width() + 40, w.height());
    gui::ProcessEvents();
    EXPECT_EQ(w.LabelMsg->width(), w.PanelSpeedBar->width() - 268 - 6);
}

TEST_F(MainWindowTest, LabelsTakeTheLongestCaptionThatFitsTheirField) {
    TZVFormMain& w = Open();
    ASSERT_TRUE(gui::ShowAndFocus(w.ComboMimeType));
    const auto layOut = [&](int width) {
        w.resize(width, w.height());
        gui::ProcessEvents();
    };
    const std::vector<QLabel*> labels = {w.LabelExt,      w.LabelFileType,    w.LabelApplication,
                                         w.LabelMimeType, w.LabelNewTemplate, w.LabelFileTypeDescr,
                                         w.LabelShowExt,  w.LabelAction,      w.LabelActionDescr};
    const auto captions = [&] {
        std::vector<std::string> texts;
        for (const QLabel* label : labels)
            texts.push_back(Caption(label));
        return texts;
    };
    const auto expectFits = [&] {
        for (const QLabel* label : labels)
            EXPECT_LE(label->width(), label->buddy()->width() - 8) << Caption(label);
    };

    layOut(1500);
    EXPECT_EQ(captions(),
              (std::vector<std::string>{
                  "&Extension", "Fi&le type of extension", "&Personal application for extension",
                  "&Mime type of extension", "Shell &new template for extension",
                  "&Description of file type", "&Show extension", "&Action for file type",
                  "De&scription of action"}));
    expectFits();
    layOut(90);
    EXPECT_EQ(captions(), (std::vector<std::string>{"&E", "Fi&le type", "A&pp", "&M", "&N", "&D",
                                                    "&SE", "&A", "D&s"}));

    // A class changes the words; the next layout builds the captions anew.
    w.FileTypeWord = "class";
    w.PanelExtResize();
    w.PanelFileTypeResize();
    EXPECT_EQ(Caption(w.LabelFileType), "C&lass");
    layOut(1500);
    EXPECT_EQ(Caption(w.LabelFileType), "C&lass of extension");
    EXPECT_EQ(Caption(w.LabelFileTypeDescr), "&Description of class");
    EXPECT_EQ(Caption(w.LabelAction), "&Action for class");
    expectFits();
    // The fields of a row follow each other and end 6 pixels from the edge.
    EXPECT_EQ(w.ComboFileType->x(), w.ComboExt->x() + w.ComboExt->width() + 2);
    EXPECT_EQ(w.ButtonOpenAs->x() + w.ButtonOpenAs->width(), w.PanelExt->width() - 6);
    EXPECT_EQ(w.ComboCmd->x() + w.ComboCmd->width(), w.ButtonBrowseCmd->x() - 2);
}

TEST_F(MainWindowTest, ShowExtensionColumnTakes88Or124PixelsAndTheDescriptionTheRest) {
    TZVFormMain& w = Open();
    ASSERT_TRUE(gui::ShowAndFocus(w.ComboMimeType));
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
    ASSERT_TRUE(gui::ShowAndFocus(w.ComboMimeType));
    const int start = w.GroupBoxExt->height();
    const auto expectFrame = [&](int extHeight) {
        EXPECT_EQ(w.GroupBoxExt->height(), extHeight);
        EXPECT_EQ(w.PanelResize->y(), 33 + extHeight);
        EXPECT_EQ(w.GroupBoxFileType->y(), 33 + extHeight + 8);
        EXPECT_EQ(w.GroupBoxFileType->y() + w.GroupBoxFileType->height(), w.height());
    };
    QTest::mousePress(w.PanelResize, Qt::LeftButton, {}, QPoint(50, 3));
    EXPECT_TRUE(w.Splitting);
    QTest::mouseMove(w.PanelResize, QPoint(50, 3 + 40));
    expectFrame(start + 40);
    // The splitter moved along: the next position counts from there.
    QTest::mouseMove(w.PanelResize, QPoint(50, 3 - 10));
    expectFrame(start + 30);
    QTest::mouseMove(w.PanelResize, QPoint(50, -5000));
    expectFrame(0);
    QTest::mouseMove(w.PanelResize, QPoint(50, 5000));
    expectFrame(w.height() - 8 - 33);
    QTest::mouseRelease(w.PanelResize, Qt::LeftButton, {}, QPoint(50, -100));
    EXPECT_FALSE(w.Splitting);
    expectFrame(w.height() - 8 - 33 - 103);
}

TEST_F(MainWindowTest, SortedListsPlaceNewItemsInNameOrder) {
    TZVFormMain& w = Open();
    for (TZVComboBox* combo : {w.ComboMimeType, w.ComboNewTemplate}) {
        combo->clear();
        for (const char* item : {"b", "_x", "A", "c"})
            combo->addItem(item);
    }
    // Underscore sorts after the letters, as the registry orders names.
    EXPECT_EQ(Items(w.ComboMimeType), (std::vector<std::string>{"A", "b", "c", "_x"}));
    EXPECT_EQ(Items(w.ComboNewTemplate), (std::vector<std::string>{"b", "_x", "A", "c"}));
}

bool undone = false;
bool NoteUndo(void*, TUndo&) {
    undone = true;
    return true;
}

TEST_F(MainWindowTest, CtrlZUndoesTheWindowsLastChangeInFieldsAndTrees) {
    TZVFormMain& w = Open();
    ASSERT_TRUE(gui::ShowAndFocus(w.ComboMimeType));
    w.ComboMimeType->setFocus(Qt::TabFocusReason);
    gui::Type(w.ComboMimeType, "ab");
    ASSERT_EQ(UndoList.Count(), 2);
    gui::PressKey(w.ComboMimeType, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Text(w.ComboMimeType), "a");
    EXPECT_EQ(UndoList.Count(), 1);

    // In a tree's in-place edit line, Ctrl+Z steps back through the edit.
    w.SelectExtension(".txt", 0);
    w.RegTreeViewFileType->setFocus(Qt::TabFocusReason);
    w.RegTreeViewFileType->EditSelected();
    gui::ProcessEvents();
    QLineEdit* line = w.RegTreeViewFileType->EditControl();
    ASSERT_NE(line, nullptr);
    const QString before = line->text();
    const int records = UndoList.Count();
    gui::Type(line, "x");
    ASSERT_EQ(UndoList.Count(), records + 1);
    gui::PressKey(line, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(line->text(), before);
    EXPECT_EQ(UndoList.Count(), records);
    gui::PressKey(line, Qt::Key_Escape);
    gui::ProcessEvents();

    AddUndo(UndoList, w.RegTreeViewFileType, "test", "", NoteUndo, nullptr);
    w.RegTreeViewFileType->setFocus(Qt::TabFocusReason);
    undone = false;
    gui::PressKey(w.RegTreeViewFileType, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_TRUE(undone);
    EXPECT_EQ(UndoList.Count(), 1);
}

}  // namespace
}  // namespace zanver
