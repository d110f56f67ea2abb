// The undo-aware entry controls driven as the user drives them: typing and
// undoing, the silent setters, the exit protocol with failing handlers and
// temporary focus loss, the combo boxes' histories and status texts.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QLineEdit>
#include <QMenu>
#include <QVBoxLayout>
#include <QWidget>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "ComboStatus.h"
#include "Errors.h"
#include "GuiFixture.h"
#include "HistoryMenu.h"
#include "QtText.h"
#include "RegistryAccess.h"
#include "Status.h"
#include "Undo.h"
#include "ValueNames.h"
#include "WindowHost.h"
#include "ZVCheckBox.h"
#include "ZVComboBox.h"
#include "ZVEdit.h"

namespace zanver {
namespace {

using ::testing::ElementsAre;

class RecordingHost : public WindowHost {
  public:
    void ClearLastFocus() override { log.push_back("clear"); }
    void SetLastFocusToActive() override { log.push_back("set"); }
    void UpdateEditCommands(bool canCutCopy, bool canDelete) override {
        editCommands.emplace_back(canCutCopy, canDelete);
    }
    void ClearStatus(StatusLevelSet levels) override { cleared.push_back(levels); }
    void EditApplicationRefresh() override {}

    std::vector<std::string> log;
    std::vector<std::pair<bool, bool>> editCommands;
    std::vector<StatusLevelSet> cleared;
};

void ClearUndoList() {
    while (!UndoList.Empty())
        UndoList.RemoveLast();
}

class EntryControlsTest : public GuiTest {
  protected:
    EntryControlsTest() : previousHost(SetWindowHost(&host)) {
        ClearUndoList();
        StatusHandler = [this](std::string_view text, int level) {
            status.emplace_back(std::string(text), level);
        };
        window = std::make_unique<QWidget>();
        auto* layout = new QVBoxLayout(window.get());
        combo = new TZVComboBox(window.get());
        combo->setObjectName("ComboMimeType");
        combo->setToolTip("MIME type of the extension");
        combo->UndoName = "MIME type";
        combo->OnChange = [this] { ++comboChanges; };
        edit = new TZVEdit(window.get());
        edit->setObjectName("EditActionDescr");
        edit->UndoName = "description shell action";
        edit->OnExit = [this] { ++editExits; };
        check = new TZVCheckBox(window.get());
        check->OnClick = [this] { ++clicks; };
        layout->addWidget(combo);
        layout->addWidget(edit);
        layout->addWidget(check);
    }
    ~EntryControlsTest() override {
        window.reset();
        ClearUndoList();
        StatusHandler = nullptr;
        StatusColors = DefaultStatusColors();
        SetWindowHost(previousHost);
    }

    static std::vector<std::string> Descriptions() {
        std::vector<std::string> result;
        for (int i = 0; i < UndoList.Count(); ++i)
            result.push_back(UndoList.Descriptions(i));
        return result;
    }
    static std::string Text(const QLineEdit* editor) { return FromQString(editor->text()); }
    static std::string Selected(const QLineEdit* editor) {
        return FromQString(editor->selectedText());
    }

    RecordingHost host;
    WindowHost* previousHost;
    std::vector<std::pair<std::string, int>> status;
    std::unique_ptr<QWidget> window;
    TZVComboBox* combo = nullptr;
    TZVEdit* edit = nullptr;
    TZVCheckBox* check = nullptr;
    int comboChanges = 0;
    int editExits = 0;
    int clicks = 0;
};

TEST_F(EntryControlsTest, EachKeystrokeIsOneRecordAndUndoHighlightsWhatCameBack) {
    ASSERT_TRUE(gui::ShowAndFocus(combo));
    gui::Type(combo, "tex");
    EXPECT_THAT(Descriptions(), ElementsAre("change MIME type from ", "change MIME type from t",
                                            "change MIME type from te"));
    EXPECT_EQ(UndoList.Objects(2).Control, static_cast<UndoControl*>(combo));
    EXPECT_EQ(combo->EnterText, "tex");
    EXPECT_EQ(comboChanges, 3);

    // Undoing a typed character highlights nothing.
    PerformUndo(UndoList);
    EXPECT_EQ(Text(combo->lineEdit()), "te");
    EXPECT_EQ(Selected(combo->lineEdit()), "");
    EXPECT_EQ(combo->lineEdit()->cursorPosition(), 2);
    EXPECT_EQ(combo->EnterText, "te");
    EXPECT_EQ(UndoList.Count(), 2);
    EXPECT_EQ(comboChanges, 4);  // the undo is a change, but not recorded

    // Undoing a deletion highlights the character that comes back.
    gui::PressKey(combo, Qt::Key_Left);
    gui::PressKey(combo, Qt::Key_Backspace);
    EXPECT_EQ(Text(combo->lineEdit()), "e");
    EXPECT_EQ(UndoList.LastDescription(), "change MIME type from te");
    PerformUndo(UndoList);
    EXPECT_EQ(Text(combo->lineEdit()), "te");
    EXPECT_EQ(Selected(combo->lineEdit()), "t");
    EXPECT_EQ(combo->lineEdit()->selectionStart(), 0);
    EXPECT_TRUE(combo->Tracking);

    // The edit box describes its records by its name alone.
    ASSERT_TRUE(gui::ShowAndFocus(edit));
    gui::Type(edit, "abc");
    edit->selectAll();
    gui::PressKey(edit, Qt::Key_Delete);
    EXPECT_EQ(UndoList.Count(), 2 + 4);
    EXPECT_EQ(UndoList.LastDescription(), "edit description shell action");
    PerformUndo(UndoList);
    EXPECT_EQ(Text(edit), "abc");
    EXPECT_EQ(Selected(edit), "abc");
    PerformUndo(UndoList);
    EXPECT_EQ(Text(edit), "ab");
    EXPECT_EQ(Selected(edit), "");
}

TEST_F(EntryControlsTest, UndoGivesTheFocusBackToTheControlThatRecorded) {
    ASSERT_TRUE(gui::ShowAndFocus(combo));
    gui::Type(combo, "a");
    edit->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(edit->hasFocus());
    EXPECT_FALSE(combo->Tracking);
    EXPECT_EQ(combo->EnterText, "");

    PerformUndo(UndoList);
    EXPECT_TRUE(combo->hasFocus());
    EXPECT_EQ(Text(combo->lineEdit()), "");
    EXPECT_TRUE(combo->Tracking);
    EXPECT_EQ(editExits, 1);
}

TEST_F(EntryControlsTest, RecordsOfAControlThatIsGoneAreUndoneWithoutIt) {
    int undone = 0;
    auto count = [&](void*, TUndo&) { return ++undone > 0; };
    auto box = std::make_unique<TZVCheckBox>();
    AddUndo(UndoList, box.get(), "check", "", count, box.get());
    AddUndo(UndoList, box.get(), "focus only", "", count, nullptr);
    box.reset();
    PerformUndo(UndoList);
    PerformUndo(UndoList);
    EXPECT_TRUE(UndoList.Empty());
    EXPECT_EQ(undone, 1);  // the record whose procedure worked on the box ran none
}

TEST_F(EntryControlsTest, SilentSettersRecordNothingAndKeepEnterText) {
    ASSERT_TRUE(gui::ShowAndFocus(combo));
    gui::Type(combo, "te");
    combo->SetTextSilently("image/png", false);
    EXPECT_EQ(Text(combo->lineEdit()), "image/png");
    EXPECT_EQ(UndoList.Count(), 2);
    EXPECT_EQ(comboChanges, 3);  // the change event still runs
    EXPECT_EQ(combo->EnterText, "te");
    EXPECT_TRUE(combo->Tracking);
    gui::Type(combo, "x");
    EXPECT_EQ(UndoList.LastDescription(), "change MIME type from te");
    PerformUndo(UndoList);
    EXPECT_EQ(Text(combo->lineEdit()), "te");

    ASSERT_TRUE(gui::ShowAndFocus(edit));
    gui::Type(edit, "a");
    const int records = UndoList.Count();
    edit->SetTextSilently("open");
    EXPECT_EQ(UndoList.Count(), records);
    EXPECT_FALSE(edit->isModified());
    EXPECT_EQ(edit->EnterText, "a");

    check->SetCheckedSilently(true);
    EXPECT_TRUE(check->isChecked());
    EXPECT_EQ(clicks, 0);
    check->click();
    EXPECT_FALSE(check->isChecked());
    EXPECT_EQ(clicks, 1);
}

TEST_F(EntryControlsTest, ItemHelpersAndSuppressChange) {
    combo->addItems({"text/plain", "image/png"});
    combo->lineEdit()->clear();
    ASSERT_TRUE(gui::ShowAndFocus(combo));
    comboChanges = 0;

    // Found without regard to case; the text is the one given; one change.
    combo->SelectOrAddItem("TEXT/PLAIN", false);
    EXPECT_EQ(combo->currentIndex(), 0);
    EXPECT_EQ(Text(combo->lineEdit()), "TEXT/PLAIN");
    EXPECT_THAT(Descriptions(), ElementsAre("change MIME type from "));
    EXPECT_EQ(comboChanges, 1);

    combo->SelectOrAddItem("audio/x", true);
    EXPECT_EQ(combo->count(), 3);
    EXPECT_EQ(combo->currentIndex(), 2);
    combo->SelectOrAddItem("video/y", false);
    EXPECT_EQ(combo->count(), 3);
    EXPECT_EQ(combo->currentIndex(), -1);
    EXPECT_EQ(Text(combo->lineEdit()), "video/y");
    EXPECT_EQ(comboChanges, 3);

    // Removing an item, even the selected one, leaves the text alone.
    combo->SetTextSilently("audio/x", false);
    const int records = UndoList.Count();
    const int changes = comboChanges;
    combo->RemoveItem("AUDIO/X");
    EXPECT_EQ(combo->count(), 2);
    EXPECT_EQ(Text(combo->lineEdit()), "audio/x");
    EXPECT_EQ(UndoList.Count(), records);
    EXPECT_EQ(comboChanges, changes);

    // Cleared only when the text equals the item exactly.
    combo->RemoveItemAndClear("Image/PNG");
    EXPECT_EQ(combo->count(), 1);
    EXPECT_EQ(Text(combo->lineEdit()), "audio/x");
    combo->RemoveItemAndClear("audio/x");
    EXPECT_EQ(Text(combo->lineEdit()), "");

    combo->SuppressChange = true;
    const int suppressedRecords = UndoList.Count();
    const int suppressedChanges = comboChanges;
    combo->setEditText("ignored");
    gui::Type(combo, "x");
    EXPECT_EQ(UndoList.Count(), suppressedRecords);
    EXPECT_EQ(comboChanges, suppressedChanges);
}

TEST_F(EntryControlsTest, FailingExitHandlerKeepsFocusAndEditingState) {
    int comboExits = 0;
    combo->OnExit = [&] {
        ++comboExits;
        throw EZAbort();
    };
    ASSERT_TRUE(gui::ShowAndFocus(combo));
    gui::Type(combo, "ab");
    host.log.clear();

    // Declined: no message, focus and text stay, editing goes on.
    edit->setFocus(Qt::TabFocusReason);
    gui::ProcessEvents();
    EXPECT_TRUE(combo->hasFocus());
    EXPECT_EQ(Text(combo->lineEdit()), "ab");
    EXPECT_EQ(comboExits, 1);
    EXPECT_EQ(editExits, 0);  // the edit box only passed the focus through
    EXPECT_TRUE(combo->Tracking);
    EXPECT_EQ(combo->EnterText, "ab");
    EXPECT_THAT(host.log, ::testing::Contains("set"));
    EXPECT_EQ(host.log.back(), "clear");
    gui::Type(combo, "c");
    EXPECT_EQ(UndoList.LastDescription(), "change MIME type from ab");

    // Another error is shown by the top level with a closing full stop.
    combo->OnExit = [&] {
        ++comboExits;
        throw EZanver("Invalid MIME type abc");
    };
    Expect("Zanver", "Invalid MIME type abc.", MessageButtons::Ok, MessageIcon::Stop,
           MessageResult::Ok);
    edit->setFocus(Qt::TabFocusReason);
    gui::ProcessEvents();
    EXPECT_TRUE(combo->hasFocus());
    EXPECT_EQ(comboExits, 2);
    EXPECT_EQ(editExits, 0);
    EXPECT_EQ(combo->EnterText, "abc");

    // A handler that completes ends the edit.
    combo->OnExit = [&] { ++comboExits; };
    edit->setFocus(Qt::TabFocusReason);
    gui::ProcessEvents();
    EXPECT_TRUE(edit->hasFocus());
    EXPECT_EQ(comboExits, 3);
    EXPECT_FALSE(combo->Tracking);
    EXPECT_EQ(combo->EnterText, "");
}

TEST_F(EntryControlsTest, FocusTakenByPopupOrAnotherWindowIsNoExit) {
    int comboExits = 0;
    combo->OnExit = [&] { ++comboExits; };
    ASSERT_TRUE(gui::ShowAndFocus(combo));
    gui::Type(combo, "ab");

    QMenu menu(window.get());
    menu.addAction("Item");
    menu.popup(combo->mapToGlobal(QPoint(0, 0)));
    gui::ProcessEvents();
    menu.close();
    gui::ProcessEvents();

    QWidget other;
    auto* otherEdit = new QLineEdit(&other);
    ASSERT_TRUE(gui::ShowAndFocus(otherEdit));
    ASSERT_TRUE(gui::ShowAndFocus(combo));
    EXPECT_EQ(comboExits, 0);
    EXPECT_EQ(combo->EnterText, "ab");
    gui::Type(combo, "c");
    EXPECT_EQ(UndoList.LastDescription(), "change MIME type from ab");

    // Coming back to another control of the window is an exit after all.
    ASSERT_TRUE(gui::ShowAndFocus(otherEdit));
    edit->setFocus(Qt::OtherFocusReason);
    ASSERT_TRUE(gui::ShowAndFocus(edit));
    EXPECT_EQ(comboExits, 1);
    EXPECT_FALSE(combo->Tracking);
}

TEST_F(EntryControlsTest, HistoryIsSavedAtDestructionAndLoadedAgain) {
    const std::string key = "Software\\KQ\\Zanver\\History\\ComboExt";
    {
        TZVComboBox box;
        box.setObjectName("ComboExt");
        EXPECT_EQ(box.HistoryKeyName(), key);
        box.LoadHistory();
        EXPECT_TRUE(box.History.Empty());
        box.History.Add(".txt");
        box.History.Add(".abc");
    }
    std::vector<std::string> names;
    ASSERT_TRUE(ReadSettingsValueNames(key, names));
    EXPECT_THAT(names, ElementsAre(".txt", ".abc"));
    {
        TZVComboBox box;
        box.setObjectName("ComboExt");
        box.LoadHistory();
        EXPECT_THAT(box.History.Entries(), ElementsAre(".txt", ".abc"));
        box.History.Add(".TXT");
    }
    ASSERT_TRUE(ReadSettingsValueNames(key, names));
    EXPECT_THAT(names, ElementsAre(".abc", ".TXT"));

    // A box whose history was never read leaves the stored one alone.
    {
        TZVComboBox box;
        box.setObjectName("ComboExt");
    }
    ASSERT_TRUE(ReadSettingsValueNames(key, names));
    EXPECT_THAT(names, ElementsAre(".abc", ".TXT"));
}

TEST_F(EntryControlsTest, HistoryMenuListsNewestFirstOrNoHistory) {
    QMenu menu;
    QAction* first = menu.addAction("No history");
    std::vector<std::string> chosen;
    QObject::connect(&menu, &QMenu::triggered,
                     [&](QAction* item) { chosen.push_back(HistoryEntryOf(item)); });
    const auto captions = [&] {
        std::vector<std::string> list;
        for (const QAction* item : menu.actions())
            list.push_back(FromQString(item->text()) + (item->isEnabled() ? "" : " (off)"));
        return list;
    };
    TZVHistory history;
    for (const char* entry : {"a", "R&D", "c"})
        history.Add(entry);
    FillHistoryMenu(history, &menu);
    EXPECT_THAT(captions(), ElementsAre("c", "R&&D", "a"));
    EXPECT_EQ(menu.actions().front(), first);
    for (QAction* item : menu.actions())
        item->trigger();
    EXPECT_THAT(chosen, ElementsAre("c", "R&D", "a"));
    // Filled again: the items of the older fill are gone.
    history.Clear();
    FillHistoryMenu(history, &menu);
    EXPECT_THAT(captions(), ElementsAre("No history (off)"));
}

TEST_F(EntryControlsTest, ComboStatusDescribesTheHighlightedItem) {
    WriteString(HKEY_CLASSES_ROOT, ".none", "Content Type", false, "text/x");
    WriteString(HKEY_CLASSES_ROOT, ".txt", "", false, "txtfile");
    WriteString(HKEY_CLASSES_ROOT, "txtfile", "", false, "Text Document");
    WriteString(HKEY_CLASSES_ROOT, ".cfg", "", false, "cfgfile");
    WriteString(HKEY_CLASSES_ROOT, "cfgfile", "EditFlags", false, "");
    WriteString(HKEY_CLASSES_ROOT, ".bad", "", false, "gonefile");
    combo->setObjectName("ComboExt");
    combo->addItems({".none", ".txt", ".cfg", ".bad"});
    ASSERT_TRUE(gui::ShowAndFocus(combo));
    combo->showPopup();
    gui::ProcessEvents();
    ASSERT_TRUE(combo->view()->isVisible());

    auto highlight = [&](int row) {
        combo->view()->setCurrentIndex(combo->model()->index(row, 0));
        combo->ShowComboStatus();
        return status.back();
    };
    using Shown = std::pair<std::string, int>;
    EXPECT_EQ(highlight(0), Shown(".none has no file type.", kComboStatusLevel));
    EXPECT_EQ(StatusColors[13], StatusColor::Rgb(243, 220, 126));
    EXPECT_EQ(highlight(1), Shown(".txt: txtfile = Text Document", 13));
    EXPECT_EQ(StatusColors[13], StatusColor::SystemButtonFace());
    EXPECT_EQ(highlight(2), Shown(".cfg: cfgfile", 13));
    EXPECT_EQ(highlight(3), Shown("File type gonefile of extension .bad not found.", 13));
    EXPECT_EQ(StatusColors[13], StatusColor::Rgb(255, 0, 0));

    combo->setObjectName("ComboMimeType");  // other boxes show nothing
    const std::size_t shown = status.size();
    highlight(1);
    EXPECT_EQ(status.size(), shown);

    combo->hidePopup();
    gui::ProcessEvents();
    host.cleared.clear();
    combo->ShowComboStatus();
    EXPECT_THAT(host.cleared, ElementsAre(StatusLevel(13)));

    // The file type box names the type and its description.
    EXPECT_EQ(ComboStatusFor("ComboFileType", "txtfile")->Text, "txtfile = Text Document");
    EXPECT_EQ(ComboStatusFor("ComboFileType", "cfgfile")->Text, "cfgfile");
}

TEST_F(EntryControlsTest, EditCommandsFollowSelectionAndCaret) {
    edit->setText("abc");
    edit->setCursorPosition(1);
    edit->UpdateEditCommands();
    edit->selectAll();
    edit->UpdateEditCommands();
    edit->clear();
    edit->UpdateEditCommands();
    EXPECT_THAT(host.editCommands, ElementsAre(std::pair(false, true), std::pair(true, false),
                                               std::pair(false, false)));
}

TEST_F(EntryControlsTest, EnteringShowsTheHintAndRightClickTakesTheFocus) {
    ASSERT_TRUE(gui::ShowAndFocus(combo));
    EXPECT_EQ(status.back(), std::pair(std::string("MIME type of the extension"), 0));
    edit->setObjectName("EditApplication");
    edit->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(status.back().first,
              "An application overrides the file type settings. You can delete it to revert to "
              "the file type settings or use the browse button to change it.");
    check->setToolTip("Confirm open after download");
    check->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(status.back().first, "Confirm open after download");

    // Without click focus, so that only the right button's own handling
    // can move the focus.
    for (QWidget* widget : {static_cast<QWidget*>(edit), static_cast<QWidget*>(combo),
                            static_cast<QWidget*>(combo->lineEdit())}) {
        widget->setFocusPolicy(Qt::TabFocus);
        widget->setContextMenuPolicy(Qt::PreventContextMenu);
    }
    gui::Click(edit, edit->rect().center());
    EXPECT_FALSE(edit->hasFocus());
    gui::Click(edit, edit->rect().center(), Qt::RightButton);
    EXPECT_TRUE(edit->hasFocus());
    gui::Click(combo->lineEdit(), combo->lineEdit()->rect().center(), Qt::RightButton);
    EXPECT_TRUE(combo->hasFocus());
}

}  // namespace
}  // namespace zanver
