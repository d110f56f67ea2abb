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

// The window's side of the controls: what they ask of it, in order.
class RecordingHost : public WindowHost {
  public:
    void ClearLastFocus() override { log.push_back("clear"); }
    void SetLastFocusToActive() override { log.push_back("set"); }
    void UpdateEditCommands(bool canCutCopy, bool canDelete) override {
        log.push_back(std::string("commands") + (canCutCopy ? " cut" : "") +
                      (canDelete ? " delete" : ""));
    }
    void ClearStatus(StatusLevelSet levels) override {
        log.push_back("clear status " + std::to_string(levels));
    }
    void EditApplicationRefresh() override {}

    std::vector<std::string> log;
};

class EntryControlsTest : public GuiTest {
  protected:
    EntryControlsTest() : previousHost(SetWindowHost(&host)) {
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
        StatusColors = DefaultStatusColors();
        SetWindowHost(previousHost);
    }

    // A line's text and, after a "|", its selected part.
    static std::string Shown(const QLineEdit* editor) {
        return FromQString(editor->text()) + "|" + FromQString(editor->selectedText());
    }
    // The combo box's line, the records made and the change events seen.
    std::string ComboState() const {
        return Shown(combo->lineEdit()) + " records " + std::to_string(UndoList.Count()) +
               " changes " + std::to_string(comboChanges);
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
    EXPECT_THAT(test::UndoDescriptions(),
                ElementsAre("change MIME type from ", "change MIME type from t",
                            "change MIME type from te"));
    // Undoing a typed character highlights nothing; the undo is a change,
    // but not recorded.
    PerformUndo(UndoList);
    EXPECT_EQ(ComboState(), "te| records 2 changes 4");

    // Undoing a deletion highlights the character that comes back.
    gui::PressKey(combo, Qt::Key_Left);
    gui::PressKey(combo, Qt::Key_Backspace);
    EXPECT_EQ(UndoList.LastDescription(), "change MIME type from te");
    PerformUndo(UndoList);
    EXPECT_EQ(Shown(combo->lineEdit()), "te|t");
    EXPECT_EQ(combo->lineEdit()->selectionStart(), 0);

    // The edit box describes its records by its name alone.
    ASSERT_TRUE(gui::ShowAndFocus(edit));
    gui::Type(edit, "abc");
    edit->selectAll();
    gui::PressKey(edit, Qt::Key_Delete);
    EXPECT_EQ(UndoList.LastDescription(), "edit description shell action");
}

TEST_F(EntryControlsTest, UndoGivesTheFocusBackToTheControlThatRecorded) {
    ASSERT_TRUE(gui::ShowAndFocus(combo));
    gui::Type(combo, "a");
    edit->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(edit->hasFocus());
    EXPECT_FALSE(combo->Tracking);

    PerformUndo(UndoList);
    EXPECT_TRUE(combo->hasFocus());
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
    EXPECT_EQ(ComboState(), "image/png| records 2 changes 3");
    gui::Type(combo, "x");
    EXPECT_EQ(UndoList.LastDescription(), "change MIME type from te");

    ASSERT_TRUE(gui::ShowAndFocus(edit));
    gui::Type(edit, "a");
    edit->SetTextSilently("open");
    EXPECT_EQ(UndoList.Count(), 4);
    EXPECT_FALSE(edit->isModified());
    EXPECT_EQ(edit->EnterText, "a");

    check->SetCheckedSilently(true);
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

    // Found without regard to case, shown as given; one recorded change each.
    combo->SelectOrAddItem("TEXT/PLAIN", false);
    EXPECT_EQ(combo->currentIndex(), 0);
    EXPECT_EQ(ComboState(), "TEXT/PLAIN| records 1 changes 1");
    combo->SelectOrAddItem("audio/x", true);
    EXPECT_EQ(combo->currentIndex(), 2);
    combo->SelectOrAddItem("video/y", false);
    EXPECT_EQ(combo->count(), 3);
    EXPECT_EQ(combo->currentIndex(), -1);

    // Removing an item, even the selected one, leaves the text alone; the
    // clearing removal clears only a text equal to the item.
    combo->SetTextSilently("audio/x", false);
    combo->RemoveItem("AUDIO/X");
    combo->RemoveItemAndClear("Image/PNG");
    EXPECT_EQ(combo->count(), 1);
    EXPECT_EQ(ComboState(), "audio/x| records 3 changes 4");
    combo->RemoveItemAndClear("audio/x");
    EXPECT_EQ(Shown(combo->lineEdit()), "|");

    combo->SuppressChange = true;
    const std::string counts = ComboState();
    gui::Type(combo, "x");
    EXPECT_EQ(ComboState(), "x" + counts);
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
    const auto leave = [&] {
        edit->setFocus(Qt::TabFocusReason);
        gui::ProcessEvents();
    };

    // Declined: no message, focus and text stay, editing goes on; the edit
    // box only passed the focus through.
    leave();
    EXPECT_TRUE(combo->hasFocus());
    EXPECT_EQ(comboExits, 1);
    EXPECT_EQ(editExits, 0);
    EXPECT_EQ(combo->EnterText, "ab");
    EXPECT_THAT(host.log, ::testing::Contains("set"));
    EXPECT_EQ(host.log.back(), "clear");
    gui::Type(combo, "c");
    EXPECT_EQ(UndoList.LastDescription(), "change MIME type from ab");

    // A handler that completes ends the edit.
    combo->OnExit = [&] { ++comboExits; };
    leave();
    EXPECT_TRUE(edit->hasFocus());
    EXPECT_EQ(comboExits, 2);
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
    // Each box adds to what the one before saved; a box whose history was
    // never read leaves the stored one alone.
    const auto useBox = [](bool load, const std::vector<std::string>& entries) {
        {
            TZVComboBox box;
            box.setObjectName("ComboExt");
            if (load)
                box.LoadHistory();
            for (const std::string& entry : entries)
                box.History.Add(entry);
        }
        std::vector<std::string> names;
        EXPECT_TRUE(ReadSettingsValueNames("Software\\KQ\\Zanver\\History\\ComboExt", names));
        return names;
    };
    EXPECT_THAT(useBox(true, {".txt", ".abc"}), ElementsAre(".txt", ".abc"));
    EXPECT_THAT(useBox(true, {".TXT"}), ElementsAre(".abc", ".TXT"));
    EXPECT_THAT(useBox(false, {".new"}), ElementsAre(".abc", ".TXT"));
}

TEST_F(EntryControlsTest, HistoryMenuListsNewestFirstOrNoHistory) {
    QMenu menu;
    QAction* first = menu.addAction("No history");
    std::vector<std::string> chosen;
    QObject::connect(&menu, &QMenu::triggered,
                     [&](QAction* item) { chosen.push_back(HistoryEntryOf(item)); });
    const auto captions = [&] {
        std::vector<std::string> list;
        for (QAction* item : menu.actions()) {
            list.push_back(FromQString(item->text()) + (item->isEnabled() ? "" : " (off)"));
            item->trigger();
        }
        return list;
    };
    TZVHistory history;
    for (const char* entry : {"a", "R&D", "c"})
        history.Add(entry);
    FillHistoryMenu(history, &menu);
    EXPECT_THAT(captions(), ElementsAre("c", "R&&D", "a"));
    EXPECT_EQ(menu.actions().front(), first);
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
    const auto highlight = [&](int row) {
        combo->view()->setCurrentIndex(combo->model()->index(row, 0));
        combo->ShowComboStatus();
        return status.back();
    };
    const struct {
        std::string text;
        StatusColor color;
    } rows[] = {{".none has no file type.", StatusColor::Rgb(243, 220, 126)},
                {".txt: txtfile = Text Document", StatusColor::SystemButtonFace()},
                {".cfg: cfgfile", StatusColor::SystemButtonFace()},
                {"File type gonefile of extension .bad not found.", StatusColor::Rgb(255, 0, 0)}};
    for (int row = 0; row < 4; ++row) {
        EXPECT_EQ(highlight(row), std::pair(rows[row].text, kComboStatusLevel));
        EXPECT_EQ(StatusColors[kComboStatusLevel], rows[row].color) << row;
    }
    combo->setObjectName("ComboMimeType");  // other boxes show nothing
    const std::size_t shown = status.size();
    highlight(1);
    EXPECT_EQ(status.size(), shown);
    // Without the list, the status of the level is cleared.
    combo->hidePopup();
    gui::ProcessEvents();
    host.log.clear();
    combo->ShowComboStatus();
    EXPECT_THAT(host.log, ::testing::Contains("clear status " + std::to_string(StatusLevel(13))));

    // The file type box names the type and its description.
    EXPECT_EQ(ComboStatusFor("ComboFileType", "txtfile")->Text, "txtfile = Text Document");
    EXPECT_EQ(ComboStatusFor("ComboFileType", "cfgfile")->Text, "cfgfile");
}

TEST_F(EntryControlsTest, EditCommandsFollowSelectionAndCaret) {
    edit->setText("abc");
    host.log.clear();
    edit->setCursorPosition(1);
    edit->UpdateEditCommands();
    edit->selectAll();
    edit->UpdateEditCommands();
    edit->clear();
    edit->UpdateEditCommands();
    EXPECT_THAT(host.log, ElementsAre("commands delete", "commands cut", "commands"));
}

TEST_F(EntryControlsTest, EnteringShowsTheHintAndRightClickTakesTheFocus) {
    ASSERT_TRUE(gui::ShowAndFocus(combo));
    EXPECT_EQ(status.back(), std::pair(std::string("MIME type of the extension"), 0));
    // The application box explains itself instead.
    edit->setObjectName("EditApplication");
    edit->setToolTip("tool tip");
    edit->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(status.back().first.rfind("An application overrides the file type settings.", 0), 0u);

    // Without click focus, so that only the right button's own handling
    // can move the focus.
    for (QWidget* widget : {static_cast<QWidget*>(edit), static_cast<QWidget*>(combo),
                            static_cast<QWidget*>(combo->lineEdit())}) {
        widget->setFocusPolicy(Qt::TabFocus);
        widget->setContextMenuPolicy(Qt::PreventContextMenu);
    }
    check->setFocus();
    gui::Click(edit, edit->rect().center());
    EXPECT_FALSE(edit->hasFocus());
    gui::Click(edit, edit->rect().center(), Qt::RightButton);
    EXPECT_TRUE(edit->hasFocus());
    gui::Click(combo->lineEdit(), combo->lineEdit()->rect().center(), Qt::RightButton);
    EXPECT_TRUE(combo->hasFocus());
}

}  // namespace
}  // namespace zanver
