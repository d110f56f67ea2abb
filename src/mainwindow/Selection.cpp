// The current extension and file type: checking their names, selecting them
// (which re-reads every field of the panel and re-roots both tree views), and
// sizing the two group boxes to the trees they show.
#include <QGroupBox>
#include <QLayout>
#include <QScopedValueRollback>
#include <QStyle>
#include <QStyleOptionGroupBox>

#include <string>

#include "AppTitle.h"
#include "Errors.h"
#include "MainWindow.h"
#include "NameRules.h"
#include "Options.h"
#include "QtText.h"
#include "RegTreeNode.h"
#include "RegistryAccess.h"
#include "StrUtils.h"
#include "Vocabulary.h"
#include "ZVComboBox.h"
#include "ZVEdit.h"
#include "ZVRegTreeView.h"

namespace zanver {

namespace {

// The levels from..to of the status line as one set.
constexpr StatusLevelSet LevelRange(int from, int to) {
    StatusLevelSet levels = 0;
    for (int level = from; level <= to; ++level)
        levels |= StatusLevel(level);
    return levels;
}

bool IsClassName(std::string_view name) {
    return name.size() >= 6 && SameName(name.substr(0, 6), kClsidPrefix);
}

// Sets the box's text without an undo record and without running its change
// handler: the selection is being shown, not browsed to.
void ShowInCombo(TZVComboBox* combo, std::string_view text, bool addMissing) {
    QScopedValueRollback<bool> quiet(combo->SuppressChange, true);
    combo->SetTextSilently(text, addMissing);
}

// The height of a group box's frame with its caption line. An empty tree
// leaves the caption empty, which the style draws without that line: counting
// it always keeps the rows from being cut when the caption comes back.
int FrameHeight(const QGroupBox* box) {
    QStyleOptionGroupBox option;
    option.initFrom(box);
    option.text = QStringLiteral("X");
    option.textAlignment = box->alignment();
    option.lineWidth = 1;
    option.midLineWidth = 0;
    option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
    option.features = box->isFlat() ? QStyleOptionFrame::Flat : QStyleOptionFrame::None;
    const QRect contents = box->style()->subControlRect(QStyle::CC_GroupBox, &option,
                                                        QStyle::SC_GroupBoxContents, box);
    return option.rect.height() - contents.height();
}

// The height a group box needs besides its tree's rows: the frame and
// caption, the layout's margins, the panel and the space below it, the
// tree's frame, and the horizontal scroll bar when asked for.
int GroupOverhead(const QGroupBox* box, const QWidget* panel, const TRegTreeView* tree,
                  bool scrollBar) {
    int overhead = FrameHeight(box) + panel->height() + 2 * tree->frameWidth();
    if (const QLayout* layout = box->layout()) {
        const QMargins margins = layout->contentsMargins();
        overhead += margins.top() + margins.bottom() + qMax(0, layout->spacing());
    }
    if (scrollBar)
        overhead += tree->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, tree);
    return overhead;
}

// The height of the tree's top node with its children, or emptyRows when the
// tree shows nothing.
int RowsHeight(const TRegTreeView* tree, int emptyRows) {
    const TRegTreeNode* top = tree->TopNode();
    if (top == nullptr)
        return emptyRows;
    int rowHeight = tree->visualItemRect(top).height();
    if (rowHeight <= 0)  // not laid out yet
        rowHeight = tree->sizeHintForRow(0);
    return (top->childCount() + 1) * rowHeight;
}

void SetGroupHeight(QGroupBox* box, int height) {
    box->resize(box->width(), qMax(0, height));
}

}  // namespace

std::string TZVFormMain::CheckExtensionName(std::string_view text) const {
    std::string name = Trim(text);
    if (name.find('\\') != std::string::npos)
        throw EZanver("A file name extension cannot contain a backslash (\\).");
    if (!name.empty() && name.front() != '.')
        name.insert(0, 1, '.');
    return name;
}

std::string TZVFormMain::CheckFileTypeName(std::string_view text, bool emptyIsUnknown) const {
    std::string name = Trim(text);
    if (name.empty())
        return emptyIsUnknown ? kUnknownFileType : "";
    if (SameName(name, kUnknownFileType))
        return kUnknownFileType;
    if (name.find('\\') != std::string::npos && !IsClassName(name))
        throw EZanver("A file type cannot contain a backslash (\\) unless it starts with CLSID\\");
    return name;
}

void TZVFormMain::SelectExtension(std::string_view ext, SelectFlags flags) {
    if ((flags & SelSkipSame) != 0 && ext == CurExt)
        return;
    CurExt = CheckExtensionName(ext);
    if ((flags & SelNoFollow) != 0)
        ClearStatus(StatusLevel(1) | StatusLevel(12) | StatusLevel(13));
    else
        ClearStatus(LevelRange(1, 13));

    std::string caption(kProgramName);
    if (!CurExt.empty()) {
        caption += " " + CurExt;
        if (!KeyExists(HKEY_CLASSES_ROOT, CurExt))
            ShowStatus("Extension " + CurExt + " not found in registry", 12);
        ComboExt->History.Add(CurExt);
    }
    setWindowTitle(ToQString(caption));
    SetAppTitle(caption);

    if ((flags & SelKeepExtCombo) == 0)
        ShowInCombo(ComboExt, CurExt, true);

    RefreshField(PanelField::Application);
    RefreshField(PanelField::Mime);
    RefreshField(PanelField::Template);
    PanelExtResize();

    if (!CurExt.empty()) {
        RegTreeViewExt->setEnabled(true);
        if (SavedExtGroupHeight > 0) {
            SetGroupHeight(GroupBoxExt, SavedExtGroupHeight);
            SavedExtGroupHeight = 0;
            ArrangeFrame();
        }
    } else {
        RegTreeViewExt->setEnabled(false);
        // Saved only once: a second empty selection must not replace the
        // height the user had with the collapsed one.
        if (SavedExtGroupHeight == 0) {
            SavedExtGroupHeight = GroupBoxExt->height();
            if (QLayout* layout = GroupBoxExt->layout())
                layout->activate();
            SetGroupHeight(GroupBoxExt, RegTreeViewExt->geometry().top());
            ArrangeFrame();
        }
    }

    if ((flags & SelNoExtTree) == 0)
        SetExtTreeRoot((flags & SelForceSize) != 0);
    if ((flags & SelNoFollow) == 0)
        ReloadFileType(flags);
}

void TZVFormMain::SelectFileType(std::string_view fileType, SelectFlags flags) {
    if ((flags & SelSkipSame) != 0 && fileType == CurFileType)
        return;
    const std::string name = CheckFileTypeName(fileType, true);
    if ((flags & SelWriteDefault) != 0 && !CurExt.empty()) {
        const char* what = IsClassName(name) ? kWordClass : kWordFileType;
        if (!RegTreeViewExt->SetStringUndoable(CurExt, "", what, kWordExtension, false, name))
            throw EZAbort("Aborted");
    }

    CurFileType = name;
    IsClass = IsClassName(CurFileType);
    FileTypeExists = KeyExists(HKEY_CLASSES_ROOT, CurFileType);
    ClearStatus(LevelRange(1, 11) | StatusLevel(13));

    FileTypeWord = IsClass ? kWordClass : kWordFileType;
    ClassGuid = IsClass ? CurFileType.substr(6) : std::string();
    FileTypeTitle = IsClass ? "class " + ClassGuid : "file type " + CurFileType;
    if (!FileTypeExists)
        ShowStatus(FileTypeTitle + " not found.", 11);

    ComboFileType->UndoName = FileTypeWord;
    EditFileTypeDescr->UndoName = std::string(kWordDescription) + " " + FileTypeWord;

    if (IsClass != PrevIsClass) {
        PanelExtResize();
        PanelFileTypeResize();
        PrevIsClass = IsClass;
    }

    if ((flags & SelNoFileTypeItem) == 0) {
        // Classes enter the list only while it shows them.
        if (FileTypeExists && (!IsClass || (OptionFlags & kOptionShowClassIds) != 0))
            AddFileTypeItem(CurFileType, false);
        ShowInCombo(ComboFileType, CurFileType, false);
    }
    ComboFileType->History.Add(CurFileType);

    RefreshField(PanelField::Template, flags);
    RefreshField(PanelField::Description, flags);
    RefreshField(PanelField::Icon, flags);
    RefreshField(PanelField::ShowExt, flags);
    RefreshField(PanelField::Actions, flags);
    RefreshField(PanelField::ConfirmOpen, flags);
    RefreshField(PanelField::ClassCheck, flags);
    RefreshField(PanelField::ServerCheck, flags);

    if ((flags & SelShowOnExtTop) != 0 && !CurExt.empty())
        if (TRegTreeNode* top = RegTreeViewExt->TopNode()) {
            top->SetStringValue(CurExt, CurFileType);
            if (RegTreeViewExt->Selected() == top)
                GroupBoxExt->setTitle(ToQString(RegTreeViewExt->FullPath(top->NodePath())));
        }

    if ((flags & SelNoFileTypeTree) == 0)
        SetFileTypeTreeRoot((flags & SelForceSize) != 0);
}

void TZVFormMain::ReloadFileType(SelectFlags flags) {
    SelectFileType(CurExt.empty() ? std::string() : ReadString(HKEY_CLASSES_ROOT, CurExt, ""),
                   flags);
}

void TZVFormMain::RequireExtension() {
    if (!CurExt.empty())
        return;
    ComboExt->setFocus();
    throw EZanver("Please specify a file extension to associate with.");
}

void TZVFormMain::RequireFileType() {
    if (CurFileType.empty())
        SelectFileType(kUnknownFileType, 0);
}

void TZVFormMain::RefreshDescription() {
    const std::string description = ReadString(HKEY_CLASSES_ROOT, CurFileType, "");
    EditFileTypeDescr->SetTextSilently(description);
    if (description.empty() && CurFileType != "*" && CurFileType != kUnknownFileType)
        ShowStatus("No description found for " + FileTypeTitle, 3);
    else
        ClearStatus(StatusLevel(3) | StatusLevel(11));
}

void TZVFormMain::SetExtTreeRoot(bool force) {
    RegTreeViewExt->ShowKey(CurExt);
    const int rows = CurExt.empty() ? 20 : RowsHeight(RegTreeViewExt, 20);
    const int total = rows + GroupOverhead(GroupBoxExt, PanelExt, RegTreeViewExt, !CurExt.empty());
    if (force || total > GroupBoxExt->height()) {
        SetGroupHeight(GroupBoxExt, total);
        ArrangeFrame();
    }
}

void TZVFormMain::SetFileTypeTreeRoot(bool force) {
    const std::string rootPath = IsClass ? kClsid : "";
    if (RegTreeViewFileType->RootPath != rootPath) {
        RegTreeViewFileType->ClearTree();
        RegTreeViewFileType->RootPath = rootPath;
    }
    RegTreeViewFileType->ShowKey(CurFileType);
    const int total = RowsHeight(RegTreeViewFileType, 16) +
                      GroupOverhead(GroupBoxFileType, PanelFileType, RegTreeViewFileType, true);
    if (force || total > GroupBoxFileType->height()) {
        // The file type group fills the rest of the window: the window grows
        // by what the group lacks.
        resize(width(), height() - GroupBoxFileType->height() + total);
        ArrangeFrame();
    }
}

void TZVFormMain::RefreshField(PanelField field, SelectFlags) {
    if (FieldRefreshed)
        FieldRefreshed(field);
    if (field == PanelField::Description)
        RefreshDescription();
}

}  // namespace zanver
