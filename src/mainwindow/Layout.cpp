// The layout of the main window: the frame (tool bar, extension half,
// splitter, file type half), the field panels that share their width among
// the fields and give each label the longest caption that fits, the tool
// bar's two layouts, and the deferred re-size of the extension half.
#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "MainWindow.h"
#include "QtText.h"
#include "ZVComboBox.h"
#include "ZVEdit.h"
#include "ZVRegTreeView.h"

namespace zanver {

namespace {

using Variants = std::vector<std::string>;

// Gives the label the first caption that fits a field of this width (the
// label at most width - 8 pixels wide), or the one at maxIndex, which stays
// even when it does not fit.
void ChooseCaption(QLabel* label, int width, const Variants& variants, int maxIndex) {
    const int last = std::min(maxIndex, static_cast<int>(variants.size()) - 1);
    for (int i = 0; i <= last; ++i) {
        label->setText(ToQString(variants[static_cast<std::size_t>(i)]));
        label->resize(label->sizeHint().width(), label->height());
        if (label->width() <= width - 8)
            return;
    }
}

// Places the label and its field (the label's buddy) at left with the field
// this wide, then chooses the label's caption.
void PlaceLabelled(QLabel* label, int left, int width, const Variants& variants, int maxIndex) {
    label->move(left, label->y());
    if (QWidget* field = label->buddy()) {
        // The edit line of a combo box keeps its selection through the
        // change of width.
        auto* combo = dynamic_cast<TZVComboBox*>(field);
        QLineEdit* line = combo != nullptr ? combo->lineEdit() : nullptr;
        const int start = line != nullptr ? line->selectionStart() : -1;
        const int length = line != nullptr ? static_cast<int>(line->selectedText().size()) : 0;
        field->setGeometry(left, field->y(), width, field->height());
        if (start >= 0)
            line->setSelection(start, length);
    }
    ChooseCaption(label, width, variants, maxIndex);
}

// The file type word as a label caption: first letter in upper case, the
// accelerator on its first "l" ("Fi&le type", "C&lass").
std::string CaptionWord(std::string word) {
    if (word.empty())
        return word;
    word[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(word[0])));
    const std::size_t l = word.find('l');
    word.insert(l == std::string::npos ? 0 : l, "&");
    return word;
}

// The captions of the action label; each ends with " (default)" when the
// action shown is the default one.
Variants ActionLabelVariants(const std::string& fileTypeWord, bool isDefault) {
    Variants variants = {"&Action for " + fileTypeWord, "&Action", "&Act", "&A"};
    if (isDefault) {
        for (std::string& variant : variants)
            variant += " (default)";
    }
    return variants;
}

// Left positions of the tool bar's movable parts in the two layouts; -1 is
// hidden.
struct ToolBarPlace {
    QToolButton* TZVFormMain::*button;
    int treeLeft;
    int fieldLeft;
};
constexpr ToolBarPlace kToolBarPlaces[] = {
    {&TZVFormMain::SpeedButtonNewKey, 85, -1},
    {&TZVFormMain::SpeedButtonNewString, 110, -1},
    {&TZVFormMain::SpeedButtonNewExpandString, 135, -1},
    {&TZVFormMain::SpeedButtonNewDWORD, 160, -1},
    {&TZVFormMain::SpeedButtonCut, 191, 85},
    {&TZVFormMain::SpeedButtonCopy, 216, 110},
    {&TZVFormMain::SpeedButtonPaste, 241, 135},
    {&TZVFormMain::SpeedButtonDel, 266, 160},
    {&TZVFormMain::SpeedButtonUndo, 291, 185},
    {&TZVFormMain::SpeedButtonRefresh, 322, 216},
    {&TZVFormMain::SpeedButtonOptions, 347, 241},
};
constexpr int kLabelMsgTreeLeft = 374;
constexpr int kLabelMsgFieldLeft = 268;

void ApplyToolBarLayout(TZVFormMain& window, bool tree) {
    for (const ToolBarPlace& place : kToolBarPlaces) {
        QToolButton* button = window.*place.button;
        const int left = tree ? place.treeLeft : place.fieldLeft;
        if (left >= 0)
            button->move(left, button->y());
        button->setHidden(left < 0);
    }
    const int left = tree ? kLabelMsgTreeLeft : kLabelMsgFieldLeft;
    window.LabelMsg->setGeometry(left, window.LabelMsg->y(),
                                 std::max(0, window.PanelSpeedBar->width() - left - 4),
                                 window.LabelMsg->height());
}

bool IsTemporaryFocusLoss(const QFocusEvent* event) {
    const Qt::FocusReason reason = event->reason();
    return reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason ||
           reason == Qt::MenuBarFocusReason;
}

}  // namespace

void TZVFormMain::PanelExtResize() {
    const int width = PanelExt->width();
    const std::string w = CaptionWord(FileTypeWord);

    // Row 1: a quarter for the extension, half the rest for the file type,
    // the rest for the personal application and its button.
    int a = width - 18 - ButtonOpenAs->width();
    const int q = a / 4;
    PlaceLabelled(LabelExt, 6, q, {"&Extension", "&Ext", "&E"}, 2);
    a -= q;
    const int h = a / 2;
    PlaceLabelled(LabelFileType, ComboExt->x() + q + 2, h, {w + " of extension", w + " of ext", w},
                  2);
    ButtonOpenAs->move(width - 6 - ButtonOpenAs->width(), ButtonOpenAs->y());
    int left = ComboFileType->x() + h + 2;
    PlaceLabelled(LabelApplication, left, ButtonOpenAs->x() - 2 - left,
                  {"&Personal application for extension", "A&pplication for extension",
                   "A&pplication extension", "A&pplication ext", "A&pplication", "A&pp"},
                  5);

    // Row 2: MIME type and template share the width.
    const int h2 = (width - 16 - 16) / 2;
    PlaceLabelled(LabelMimeType, 6, h2,
                  {"&Mime type of extension", "&Mime type of ext", "&Mime type", "&Mime", "&M"}, 4);
    ButtonBrowseNewTemplate->move(width - 6 - ButtonBrowseNewTemplate->width(),
                                  ButtonBrowseNewTemplate->y());
    left = ComboMimeType->x() + h2 + 2;
    PlaceLabelled(LabelNewTemplate, left, ButtonBrowseNewTemplate->x() - 2 - left,
                  {"Shell &new template for extension", "Shell &new template for ext",
                   "Shell &new template", "&New template", "&New templ", "&New", "&N"},
                  6);
}

void TZVFormMain::PanelFileTypeResize() {
    const int iconSize = style()->pixelMetric(QStyle::PM_LargeIconSize, nullptr, this) + 4;
    BitBtnIcon->resize(iconSize, iconSize);

    // Four columns right of the command label: description and show
    // extension share two quarters (the combo needs no more than 88 or 124
    // pixels), then the action and its description.
    const int width = PanelFileType->width();
    const int a = width - 6 - (LabelShellCmd->x() + LabelShellCmd->width()) - 6;
    const int q = a / 4;
    int descr = q;
    int showExt = q;
    if (q > 88) {
        showExt = q < 125 ? 88 : 124;
        descr = q + (q - showExt);
    }
    const std::string& word = FileTypeWord;
    PlaceLabelled(
        LabelFileTypeDescr, LabelFileTypeDescr->x(), descr,
        {"&Description of " + word, "&Description " + word, "&Descr " + word, "&Descr", "&D"}, 4);
    PlaceLabelled(LabelShowExt, LabelFileTypeDescr->x() + descr + 2, showExt,
                  {"&Show extension " + word, "&Show extension", "&Show ext", "&SE"}, 3);
    PlaceLabelled(LabelAction, LabelShowExt->x() + showExt + 2, q, ActionLabelVariants(word, false),
                  3);
    const int left = LabelAction->x() + q + 2;
    PlaceLabelled(
        LabelActionDescr, left, width - 6 - left,
        {"De&scription of action", "De&scription action", "De&scr action", "De&scr", "D&s"}, 4);

    ButtonBrowseCmd->move(ButtonBrowseNewTemplate->x(), ButtonBrowseCmd->y());
    ComboCmd->resize(ButtonBrowseCmd->x() - 2 - ComboCmd->x(), ComboCmd->height());
}

void TZVFormMain::PanelSpeedBarResize() {
    LabelMsg->resize(std::max(0, PanelSpeedBar->width() - LabelMsg->x() - 6), LabelMsg->height());
}

void TZVFormMain::LayoutActionLabel() {
    // Whether the shown action is the default one is not known yet.
    ChooseCaption(LabelAction, ComboAction->width(), ActionLabelVariants(FileTypeWord, false), 3);
}

void TZVFormMain::RequestExtTreeSize() {
    PendingExtTreeSize = true;
    Timer->start();
}

void TZVFormMain::TimerTimer() {
    if (!PendingExtTreeSize)
        return;
    PendingExtTreeSize = false;
    SetExtTreeRoot(false);
}

void TZVFormMain::ArrangeFrame() {
    if (PanelSpeedBar == nullptr || GroupBoxExt == nullptr || PanelResize == nullptr ||
        GroupBoxFileType == nullptr)
        return;
    const int w = width();
    PanelSpeedBar->setGeometry(0, 0, w, PanelSpeedBar->height());
    int top = PanelSpeedBar->height();
    GroupBoxExt->setGeometry(0, top, w, GroupBoxExt->height());
    top += GroupBoxExt->height();
    PanelResize->setGeometry(0, top, w, PanelResize->height());
    top += PanelResize->height();
    GroupBoxFileType->setGeometry(0, top, w, std::max(0, height() - top));
    // A hidden window gets no resize events: its group boxes lay out their
    // panels and trees now.
    if (!isVisible()) {
        for (QGroupBox* box : {GroupBoxExt, GroupBoxFileType}) {
            box->layout()->invalidate();
            box->layout()->activate();
        }
    }
}

void TZVFormMain::RegTreeViewEnter() {
    TreeLayout = true;
    ApplyToolBarLayout(*this, true);
    // The extension tree carries the full menu once it has been entered.
    if (ActiveTree() == RegTreeViewExt)
        SetPopupMenu(RegTreeViewExt, PopupMenuAll);
}

void TZVFormMain::RegTreeViewExit() {
    TreeLayout = false;
    ApplyToolBarLayout(*this, false);
}

bool TZVFormMain::FrameEvent(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();

    // Resizes of the frame's parts.
    if (type == QEvent::Resize) {
        if (watched == PanelExt)
            PanelExtResize();
        else if (watched == PanelFileType)
            PanelFileTypeResize();
        else if (watched == PanelSpeedBar)
            PanelSpeedBarResize();
        else if (watched == GroupBoxExt)
            ArrangeFrame();  // the splitter and the file type half follow
        return false;
    }

    // The splitter: the extension half follows the mouse from the grab
    // point, between height 0 and the height that leaves room for the
    // splitter and the tool bar.
    if (watched == PanelResize) {
        auto* mouse = dynamic_cast<QMouseEvent*>(event);
        if (mouse == nullptr)
            return false;
        const int y = static_cast<int>(mouse->position().y());
        if (type == QEvent::MouseButtonPress && mouse->button() == Qt::LeftButton) {
            Splitting = true;
            SplitStartY = y;
            return true;
        }
        if ((type == QEvent::MouseMove || type == QEvent::MouseButtonRelease) && Splitting) {
            if (type == QEvent::MouseButtonRelease)
                Splitting = false;
            int height = GroupBoxExt->height() + y - SplitStartY;
            if (height < 0)
                height = 0;
            else
                height = std::min(height,
                                  this->height() - PanelResize->height() - PanelSpeedBar->height());
            GroupBoxExt->resize(GroupBoxExt->width(), height);
            ArrangeFrame();
            return true;
        }
        return false;
    }

    // The in-place edit line of a tree view is watched like the fields.
    const auto isViewport = [watched](const TZVRegTreeView* tree) {
        return tree != nullptr && watched == tree->viewport();
    };
    if (type == QEvent::ChildPolished &&
        (isViewport(RegTreeViewExt) || isViewport(RegTreeViewFileType))) {
        if (auto* line = qobject_cast<QLineEdit*>(static_cast<QChildEvent*>(event)->child()))
            line->installEventFilter(this);
        return false;
    }

    // Ctrl+Z in a field or in a tree's edit line undoes the last change of
    // the window; the edit line's own undo would bypass the undo list.
    if (type == QEvent::ShortcutOverride || type == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const bool field = qobject_cast<QLineEdit*>(watched) != nullptr ||
                           qobject_cast<QComboBox*>(watched) != nullptr;
        if (!field || !key->matches(QKeySequence::Undo))
            return false;
        if (type == QEvent::ShortcutOverride) {
            key->accept();
            return true;
        }
        SpeedButtonUndoClick();
        return true;
    }

    // Entering a button of the panels ends a pending return of the focus to
    // a field (the buttons have no enter handlers of their own).
    if (type == QEvent::FocusIn && qobject_cast<QPushButton*>(watched) != nullptr) {
        ClearLastFocus();
        return false;
    }

    // Leaving the trees (the focus moving from a tree or its edit line to a
    // control outside both trees) brings back the field layout of the tool
    // bar. A popup menu or another window taking the focus is no exit.
    if (type == QEvent::FocusOut) {
        const auto insideTree = [this](QWidget* widget) {
            for (QWidget* w = widget; w != nullptr; w = w->parentWidget()) {
                if (w == RegTreeViewExt || w == RegTreeViewFileType)
                    return true;
            }
            return false;
        };
        auto* widget = qobject_cast<QWidget*>(watched);
        if (insideTree(widget) && !IsTemporaryFocusLoss(static_cast<QFocusEvent*>(event)) &&
            !insideTree(QApplication::focusWidget()))
            RegTreeViewExit();
    }
    return false;
}

}  // namespace zanver
