// Builds the main window: the tool bar with its speed buttons and the status
// line, the extension and file type halves with their fields and tree views,
// the splitter between them, the context menus, and the wiring of the
// fields' and trees' events to the window's handlers.
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QIcon>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QStandardItemModel>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

#include "MainWindow.h"
#include "NameRules.h"
#include "QtGuard.h"
#include "QtText.h"
#include "RootKeys.h"
#include "TreeImages.h"
#include "ZVCheckBox.h"
#include "ZVComboBox.h"
#include "ZVEdit.h"
#include "ZVRegTreeView.h"

// The glyphs are compiled in from resources/glyphs (glyphs.qrc); a static
// library needs its resources initialised by name.
static void InitGlyphResources() {
    Q_INIT_RESOURCE(glyphs);
}

namespace zanver {

namespace {

// Heights of the frame's fixed parts and the rows of the two field panels.
constexpr int kSpeedBarHeight = 33;
constexpr int kExtGroupDesignHeight = 120;
constexpr int kSplitterHeight = 8;
constexpr int kPanelExtHeight = 84;
constexpr int kPanelFileTypeHeight = 89;
constexpr int kFieldHeight = 21;
constexpr int kLabelRow1 = 2;
constexpr int kFieldRow1 = 16;
constexpr int kLabelRow2 = 42;
constexpr int kFieldRow2 = 56;
// The file type panel's second and third rows sit below the icon button.
constexpr int kCmdRowTop = 41;
constexpr int kCheckRowTop = 65;
constexpr int kBrowseButtonWidth = 16;
constexpr int kSpeedButtonSize = 25;
constexpr int kSpeedButtonTop = 4;
constexpr int kIconButtonSize = 36;
constexpr int kDdeButtonWidth = 48;

// The model role that holds an item's sort key in a sorted combo box.
constexpr int kSortKeyRole = Qt::UserRole + 7;

QIcon Glyph(const char* name) {
    static const bool initialised = (InitGlyphResources(), true);
    (void)initialised;
    return QIcon(QPixmap(QString(":/glyphs/%1.xpm").arg(QLatin1String(name))));
}

// Keeps the items of a combo box in the registry's case-insensitive order, as
// a sorted list control does: an item added anywhere, also through the plain
// QComboBox calls, moves to its place, so that the box's search by halving
// holds. Items that arrive in order cost no sort.
void KeepSorted(QComboBox* combo) {
    auto* model = qobject_cast<QStandardItemModel*>(combo->model());
    if (model == nullptr)
        return;
    model->setSortRole(kSortKeyRole);
    QObject::connect(model, &QAbstractItemModel::rowsInserted, combo,
                     [model](const QModelIndex& parent, int first, int last) {
                         if (parent.isValid())
                             return;
                         {
                             // The key is no displayed data: the views need
                             // not hear of it.
                             const QSignalBlocker blocker(model);
                             for (int row = first; row <= last; ++row) {
                                 QStandardItem* item = model->item(row);
                                 item->setData(ToQString(FoldName(FromQString(item->text()))),
                                               kSortKeyRole);
                             }
                         }
                         const auto key = [model](int row) {
                             return model->item(row)->data(kSortKeyRole).toString();
                         };
                         const int end = std::min(last + 1, model->rowCount() - 1);
                         for (int row = std::max(first, 1); row <= end; ++row) {
                             if (key(row) < key(row - 1)) {
                                 model->sort(0);
                                 return;
                             }
                         }
                     });
}

QLabel* NewLabel(QWidget* parent, const char* name, const char* caption, QWidget* buddy, int left,
                 int top) {
    auto* label = new QLabel(QString::fromUtf8(caption), parent);
    label->setObjectName(QLatin1String(name));
    label->setBuddy(buddy);
    label->setGeometry(left, top, label->sizeHint().width(), label->sizeHint().height());
    return label;
}

TZVComboBox* NewCombo(QWidget* parent, const char* name, const char* hint, const char* undoName,
                      bool sorted, int top) {
    auto* combo = new TZVComboBox(parent);
    combo->setObjectName(QLatin1String(name));
    combo->setToolTip(QString::fromUtf8(hint));
    combo->UndoName = undoName;
    combo->Sorted = sorted;
    if (sorted)
        KeepSorted(combo);
    combo->setGeometry(0, top, 100, kFieldHeight);
    return combo;
}

TZVEdit* NewEdit(QWidget* parent, const char* name, const char* hint, const char* undoName,
                 int top) {
    auto* edit = new TZVEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setToolTip(QString::fromUtf8(hint));
    edit->UndoName = undoName;
    edit->setGeometry(0, top, 100, kFieldHeight);
    return edit;
}

QPushButton* NewButton(QWidget* parent, const char* name, const char* caption, const char* hint,
                       const QRect& geometry) {
    auto* button = new QPushButton(QString::fromUtf8(caption), parent);
    button->setObjectName(QLatin1String(name));
    button->setToolTip(QString::fromUtf8(hint));
    button->setGeometry(geometry);
    return button;
}

// The tree view of a half may shrink to nothing: the group box's height
// decides how much of it shows, the panel above it keeps its height.
TZVRegTreeView* NewHalfTree(QGroupBox* box, const char* name) {
    auto* tree = new TZVRegTreeView(box);
    tree->setObjectName(QLatin1String(name));
    tree->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Ignored);
    box->layout()->addWidget(tree);
    return tree;
}

// A group box that holds its field panel above its tree view.
QVBoxLayout* NewHalfLayout(QGroupBox* box) {
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(4, 2, 4, 4);
    layout->setSpacing(2);
    return layout;
}

QAction* NewMenuItem(QMenu* menu, const char* name, const char* caption,
                     const QKeySequence& shortcut = {}) {
    QAction* item = menu->addAction(QString::fromUtf8(caption));
    item->setObjectName(QLatin1String(name));
    if (!shortcut.isEmpty()) {
        item->setShortcut(shortcut);
        item->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    }
    item->setEnabled(false);
    return item;
}

// A submenu item: the submenu and the item that opens it share the name.
QMenu* NewSubmenu(QMenu* menu, const char* name, const char* caption) {
    QMenu* submenu = menu->addMenu(QString::fromUtf8(caption));
    submenu->setObjectName(QLatin1String(name));
    submenu->menuAction()->setObjectName(QLatin1String(name));
    submenu->menuAction()->setEnabled(false);
    return submenu;
}

// The name of the dynamic property that holds a control's context menu.
constexpr char kPopupMenuProperty[] = "zanverPopupMenu";

}  // namespace

void TZVFormMain::CreateControls() {
    setWindowTitle(QStringLiteral("Zanver"));
    setWindowIcon(Glyph("zanver"));
    resize(518, 400);

    CreateSpeedBar();
    CreateExtensionHalf();

    PanelResize = new QFrame(this);
    PanelResize->setObjectName(QStringLiteral("PanelResize"));
    PanelResize->setFrameStyle(QFrame::WinPanel | QFrame::Raised);
    PanelResize->setCursor(Qt::SplitVCursor);
    PanelResize->setGeometry(0, 0, width(), kSplitterHeight);
    PanelResize->installEventFilter(this);

    CreateFileTypeHalf();
    CreateMenus();

    // The deferred re-size of the extension group box runs only when asked
    // for (RequestExtTreeSize), so an idle program has no ticking timer.
    Timer = new QTimer(this);
    Timer->setObjectName(QStringLiteral("Timer"));
    Timer->setSingleShot(true);
    Timer->setInterval(18);
    connect(Timer, &QTimer::timeout, this, [this] { Guarded([this] { TimerTimer(); }); });

    // The tab order follows the visual order of the two halves.
    const QList<QWidget*> order = {ComboExt,
                                   ComboFileType,
                                   EditApplication,
                                   ButtonOpenAs,
                                   ComboMimeType,
                                   ComboNewTemplate,
                                   ButtonBrowseNewTemplate,
                                   RegTreeViewExt,
                                   BitBtnIcon,
                                   EditFileTypeDescr,
                                   ComboShowExt,
                                   ComboAction,
                                   EditActionDescr,
                                   ComboCmd,
                                   ButtonBrowseCmd,
                                   ButtonDDE,
                                   CheckBoxConfirmOpen,
                                   RegTreeViewFileType};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);

    // The editing of these fields is not built yet: they stay disabled and
    // empty rather than take input that nothing writes.
    for (QWidget* control : std::initializer_list<QWidget*>{
             EditApplication, ButtonOpenAs, ComboMimeType, ComboNewTemplate,
             ButtonBrowseNewTemplate, BitBtnIcon, ComboShowExt, ComboAction, EditActionDescr,
             ComboCmd, ButtonBrowseCmd, ButtonDDE, CheckBoxConfirmOpen})
        control->setEnabled(false);

    ArrangeFrame();
    PanelExtResize();
    PanelFileTypeResize();
    PanelSpeedBarResize();
}

void TZVFormMain::CreateSpeedBar() {
    auto* bar = new QFrame(this);
    bar->setObjectName(QStringLiteral("PanelSpeedBar"));
    bar->setFrameStyle(QFrame::Panel | QFrame::Raised);
    bar->setGeometry(0, 0, width(), kSpeedBarHeight);
    bar->installEventFilter(this);
    PanelSpeedBar = bar;

    struct SpeedButton {
        QToolButton* TZVFormMain::*member;
        const char* name;
        const char* glyph;
        const char* hint;
        int left;  // the field layout's place (the tree layout's for the four new-item buttons)
        bool enabled;
    };
    const SpeedButton buttons[] = {
        {&TZVFormMain::SpeedButtonOpen, "SpeedButtonOpen", "open", "Open file", 4, false},
        {&TZVFormMain::SpeedButtonAssociate, "SpeedButtonAssociate", "associate", "Split Zanver",
         29, false},
        {&TZVFormMain::SpeedButtonRegEdit, "SpeedButtonRegEdit", "regedit", "Start register editor",
         54, false},
        {&TZVFormMain::SpeedButtonNewKey, "SpeedButtonNewKey", "newkey", "Create new key (Ctrl+K)",
         85, false},
        {&TZVFormMain::SpeedButtonNewString, "SpeedButtonNewString", "newstring",
         "Create new string (Ctrl+S)", 110, false},
        {&TZVFormMain::SpeedButtonNewExpandString, "SpeedButtonNewExpandString", "newexpand",
         "Create new expandable string (Ctrl+E)", 135, false},
        {&TZVFormMain::SpeedButtonNewDWORD, "SpeedButtonNewDWORD", "newdword",
         "Create new DWORD (Ctrl+D)", 160, false},
        {&TZVFormMain::SpeedButtonCut, "SpeedButtonCut", "cut",
         "Cut selection and put it on clipboard (Ctrl+X)", 85, false},
        {&TZVFormMain::SpeedButtonCopy, "SpeedButtonCopy", "copy",
         "Copy selection to clipboard (Ctrl+C)", 110, false},
        {&TZVFormMain::SpeedButtonPaste, "SpeedButtonPaste", "paste",
         "Paste selection from clipboard (Ctrl+V)", 135, true},
        {&TZVFormMain::SpeedButtonDel, "SpeedButtonDel", "delete", "Delete selection (Del)", 160,
         false},
        {&TZVFormMain::SpeedButtonUndo, "SpeedButtonUndo", "undo", "Nothing to undo", 185, false},
        {&TZVFormMain::SpeedButtonRefresh, "SpeedButtonRefresh", "refresh",
         "Refresh display from registry (F5)", 216, true},
        {&TZVFormMain::SpeedButtonOptions, "SpeedButtonOptions", "options", "Options dialog", 241,
         false},
    };
    for (const SpeedButton& entry : buttons) {
        auto* button = new QToolButton(bar);
        button->setObjectName(QLatin1String(entry.name));
        button->setIcon(Glyph(entry.glyph));
        button->setIconSize(QSize(16, 16));
        button->setToolButtonStyle(Qt::ToolButtonIconOnly);
        button->setAutoRaise(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setToolTip(QString::fromUtf8(entry.hint));
        button->setGeometry(entry.left, kSpeedButtonTop, kSpeedButtonSize, kSpeedButtonSize);
        button->setEnabled(entry.enabled);
        this->*entry.member = button;
    }
    connect(SpeedButtonUndo, &QToolButton::clicked, this,
            [this] { Guarded([this] { SpeedButtonUndoClick(); }); });
    connect(SpeedButtonRefresh, &QToolButton::clicked, this,
            [this] { Guarded([this] { SpeedButtonRefreshClick(); }); });
    connect(SpeedButtonPaste, &QToolButton::clicked, this,
            [this] { Guarded([this] { SpeedButtonPasteClick(); }); });

    LabelMsg = new QLabel(bar);
    LabelMsg->setObjectName(QStringLiteral("LabelMsg"));
    LabelMsg->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    LabelMsg->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    LabelMsg->setIndent(4);
    LabelMsg->setTextFormat(Qt::PlainText);
    // The text may be longer than the label: it is cut, the label keeps its
    // size.
    LabelMsg->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    LabelMsg->setGeometry(268, kSpeedButtonTop, 100, kSpeedButtonSize);

    // The field layout until a tree view gets the focus.
    RegTreeViewExit();
}

void TZVFormMain::CreateExtensionHalf() {
    GroupBoxExt = new QGroupBox(QStringLiteral("HKEY_CLASSES_ROOT"), this);
    GroupBoxExt->setObjectName(QStringLiteral("GroupBoxExt"));
    GroupBoxExt->setGeometry(0, kSpeedBarHeight, width(), kExtGroupDesignHeight);
    GroupBoxExt->installEventFilter(this);
    QVBoxLayout* layout = NewHalfLayout(GroupBoxExt);

    PanelExt = new QWidget(GroupBoxExt);
    PanelExt->setObjectName(QStringLiteral("PanelExt"));
    PanelExt->setFixedHeight(kPanelExtHeight);
    PanelExt->installEventFilter(this);
    layout->addWidget(PanelExt);

    // Row 1: extension, file type, personal application.
    ComboExt = NewCombo(PanelExt, "ComboExt", "File name extension", "extension", true, kFieldRow1);
    ComboFileType = NewCombo(PanelExt, "ComboFileType", "File type or class of extension",
                             "file type", true, kFieldRow1);
    EditApplication =
        NewEdit(PanelExt, "EditApplication", "Use browse button to set personal application",
                "associated application", kFieldRow1);
    ButtonOpenAs = NewButton(PanelExt, "ButtonOpenAs", ">", "Execute openas command",
                             QRect(0, kFieldRow1, kBrowseButtonWidth, kFieldHeight));
    LabelExt = NewLabel(PanelExt, "LabelExt", "&Extension", ComboExt, 6, kLabelRow1);
    LabelFileType = NewLabel(PanelExt, "LabelFileType", "Fi&le type", ComboFileType, 0, kLabelRow1);
    LabelApplication =
        NewLabel(PanelExt, "LabelApplication", "A&pplication", EditApplication, 0, kLabelRow1);

    // Row 2: MIME type and new-file template.
    ComboMimeType = NewCombo(PanelExt, "ComboMimeType", "MIME type of extension", "MIME type", true,
                             kFieldRow2);
    ComboNewTemplate = NewCombo(PanelExt, "ComboNewTemplate", "New template for extension",
                                "new template", false, kFieldRow2);
    ButtonBrowseNewTemplate =
        NewButton(PanelExt, "ButtonBrowseNewTemplate", ">", "Browse for shell new template",
                  QRect(0, kFieldRow2, kBrowseButtonWidth, kFieldHeight));
    LabelMimeType = NewLabel(PanelExt, "LabelMimeType", "&Mime type", ComboMimeType, 6, kLabelRow2);
    LabelNewTemplate =
        NewLabel(PanelExt, "LabelNewTemplate", "&New template", ComboNewTemplate, 0, kLabelRow2);

    // The focus passes through this edit on its way back to a field whose
    // exit failed; it hides behind the extension box and is no tab stop.
    FixFocusControl = new QLineEdit(PanelExt);
    FixFocusControl->setObjectName(QStringLiteral("FixFocusControl"));
    FixFocusControl->setFocusPolicy(Qt::ClickFocus);
    FixFocusControl->setGeometry(6, kFieldRow1, 8, kFieldHeight);
    FixFocusControl->lower();

    RegTreeViewExt = NewHalfTree(GroupBoxExt, "RegTreeViewExt");

    for (TZVComboBox* combo : {ComboExt, ComboFileType})
        combo->LoadHistory();
}

void TZVFormMain::CreateFileTypeHalf() {
    GroupBoxFileType = new QGroupBox(QStringLiteral("HKEY_CLASSES_ROOT"), this);
    GroupBoxFileType->setObjectName(QStringLiteral("GroupBoxFileType"));
    QVBoxLayout* layout = NewHalfLayout(GroupBoxFileType);

    PanelFileType = new QWidget(GroupBoxFileType);
    PanelFileType->setObjectName(QStringLiteral("PanelFileType"));
    PanelFileType->setFixedHeight(kPanelFileTypeHeight);
    PanelFileType->installEventFilter(this);
    layout->addWidget(PanelFileType);

    BitBtnIcon = NewButton(PanelFileType, "BitBtnIcon", "", "Browse icon for file type",
                           QRect(6, kLabelRow1, kIconButtonSize, kIconButtonSize));

    // Row 2 first: the command label sets the width of the left column,
    // which the icon shares.
    ComboCmd = NewCombo(PanelFileType, "ComboCmd", "Command to execute for action", "shell command",
                        false, kCmdRowTop);
    LabelShellCmd = NewLabel(PanelFileType, "LabelShellCmd", "&Command", ComboCmd, 6, 0);
    LabelShellCmd->setFixedWidth(std::max(LabelShellCmd->width(), kIconButtonSize));
    LabelShellCmd->move(6, kCmdRowTop + (kFieldHeight - LabelShellCmd->height()) / 2);
    const int column = LabelShellCmd->x() + LabelShellCmd->width() + 6;
    ComboCmd->move(column, kCmdRowTop);
    ButtonBrowseCmd = NewButton(PanelFileType, "ButtonBrowseCmd", ">", "Browse for command",
                                QRect(0, kCmdRowTop, kBrowseButtonWidth, kFieldHeight));

    // Row 1: description, show extension, action and its description.
    EditFileTypeDescr = NewEdit(PanelFileType, "EditFileTypeDescr", "Description of file type",
                                "description file type", kFieldRow1);
    ComboShowExt = new QComboBox(PanelFileType);
    ComboShowExt->setObjectName(QStringLiteral("ComboShowExt"));
    ComboShowExt->setToolTip(QStringLiteral("Show extension always, never or normal"));
    ComboShowExt->addItems(
        {QStringLiteral("Always"), QStringLiteral("Never"), QStringLiteral("Normal")});
    ComboShowExt->setMaxVisibleItems(3);
    ComboShowExt->setCurrentIndex(-1);
    ComboShowExt->setGeometry(0, kFieldRow1, 88, kFieldHeight);
    ComboAction = NewCombo(PanelFileType, "ComboAction", "Shell actions for file type or class",
                           "shell verb", true, kFieldRow1);
    ComboAction->addItems({QStringLiteral("edit"), QStringLiteral("open"), QStringLiteral("print"),
                           QStringLiteral("printto")});
    ComboAction->setCurrentIndex(-1);
    EditActionDescr =
        NewEdit(PanelFileType, "EditActionDescr", "Localized description of shell action",
                "description shell action", kFieldRow1);
    LabelFileTypeDescr = NewLabel(PanelFileType, "LabelFileTypeDescr", "&Descr file type",
                                  EditFileTypeDescr, column, kLabelRow1);
    LabelShowExt =
        NewLabel(PanelFileType, "LabelShowExt", "&Show extension", ComboShowExt, 0, kLabelRow1);
    LabelAction =
        NewLabel(PanelFileType, "LabelAction", "Shell &action", ComboAction, 0, kLabelRow1);
    LabelActionDescr = NewLabel(PanelFileType, "LabelActionDescr", "De&scription verb",
                                EditActionDescr, 0, kLabelRow1);

    // Row 3: the DDE settings and the download confirmation.
    ButtonDDE = NewButton(PanelFileType, "ButtonDDE", "DD&E", "Show ddeexec key",
                          QRect(column, kCheckRowTop, kDdeButtonWidth, kFieldHeight));
    CheckBoxConfirmOpen = new TZVCheckBox(PanelFileType);
    CheckBoxConfirmOpen->setObjectName(QStringLiteral("CheckBoxConfirmOpen"));
    CheckBoxConfirmOpen->setText(QStringLiteral("Confirm &open after download"));
    CheckBoxConfirmOpen->setToolTip(QStringLiteral("Confirm open after download of file type"));
    CheckBoxConfirmOpen->setGeometry(column + kDdeButtonWidth + 12, kCheckRowTop,
                                     CheckBoxConfirmOpen->sizeHint().width(), kFieldHeight);

    RegTreeViewFileType = NewHalfTree(GroupBoxFileType, "RegTreeViewFileType");

    for (TZVComboBox* combo : {ComboAction, ComboCmd})
        combo->LoadHistory();
}

void TZVFormMain::CreateMenus() {
    PopupMenuAll = new QMenu(this);
    PopupMenuAll->setObjectName(QStringLiteral("PopupMenuAll"));
    QMenu* all = PopupMenuAll;

    QAction* edit = NewMenuItem(all, "MenuEdit", "&Edit", QKeySequence(Qt::Key_Return));
    all->setDefaultAction(edit);
    QAction* undo = NewMenuItem(all, "MenuUndo", "&Undo", QKeySequence(Qt::CTRL | Qt::Key_Z));
    undo->setEnabled(true);
    connect(undo, &QAction::triggered, this,
            [this] { Guarded([this] { SpeedButtonUndoClick(); }); });
    NewMenuItem(NewSubmenu(all, "MenuHistory", "&History"), "MenuHistoryFirst", "No history");
    QMenu* newMenu = NewSubmenu(all, "MenuNew", "&New");
    NewMenuItem(newMenu, "MenuNewKey", "&Key");
    NewMenuItem(newMenu, "MenuNewString", "&String");
    NewMenuItem(newMenu, "MenuNewExpString", "&Expandable string");
    NewMenuItem(newMenu, "MenuNewDWord", "&Double word");
    all->addSeparator();
    NewMenuItem(all, "MenuCut", "Cu&t", QKeySequence(Qt::CTRL | Qt::Key_X));
    NewMenuItem(all, "MenuCopy", "&Copy", QKeySequence(Qt::CTRL | Qt::Key_C));
    QAction* paste = NewMenuItem(all, "MenuPaste", "&Paste", QKeySequence(Qt::CTRL | Qt::Key_V));
    // Pasting works in the tree views (SpeedButtonPasteClick does nothing
    // elsewhere; the fields paste by themselves).
    paste->setEnabled(true);
    connect(paste, &QAction::triggered, this,
            [this] { Guarded([this] { SpeedButtonPasteClick(); }); });
    NewMenuItem(all, "MenuDel", "&Delete", QKeySequence(Qt::Key_Delete));
    all->addSeparator();
    NewMenuItem(all, "MenuSelectAll", "&Select All", QKeySequence(Qt::CTRL | Qt::Key_A));
    NewMenuItem(all, "MenuMakeDefault", "&Make default");
    all->addSeparator();
    NewMenuItem(NewSubmenu(all, "MenuExtFileType", "&View extensions file type"), "MenuFirstExt",
                "");
    QAction* classOfFileType = NewMenuItem(all, "MenuViewClassFileType", "V&iew class file type");
    classOfFileType->setVisible(false);
    NewMenuItem(NewSubmenu(all, "MenuViewFileTypesClass", "View &file types class"),
                "MenuFirstFileType", "No file types found");
    NewMenuItem(NewSubmenu(all, "MenuViewSelectedClasses", "Vie&w selected classes"),
                "MenuFirstSelectedClass", "");

    PopupMenuIcon = new QMenu(this);
    PopupMenuIcon->setObjectName(QStringLiteral("PopupMenuIcon"));
    QAction* setIcon =
        NewMenuItem(PopupMenuIcon, "MenuSetIconForFileType", "Set Icon for &file type");
    setIcon->setToolTip(QStringLiteral("Set the icon for this file type or class"));
    setIcon->setStatusTip(setIcon->toolTip());
    PopupMenuIcon->setDefaultAction(setIcon);

    const QList<QWidget*> carriers = {
        ComboExt,          ComboFileType, ComboMimeType,   ComboNewTemplate, EditApplication,
        EditFileTypeDescr, ComboAction,   EditActionDescr, ComboCmd,         RegTreeViewFileType};
    for (QWidget* control : carriers)
        SetPopupMenu(control, PopupMenuAll);
    SetPopupMenu(RegTreeViewExt, PopupMenuIcon);
    SetPopupMenu(BitBtnIcon, PopupMenuIcon);

    for (QWidget* control : carriers + QList<QWidget*>{RegTreeViewExt, BitBtnIcon}) {
        control->setContextMenuPolicy(Qt::CustomContextMenu);
        // The edit line of a combo box leaves its menu to the box.
        if (auto* combo = qobject_cast<QComboBox*>(control); combo && combo->lineEdit())
            combo->lineEdit()->setContextMenuPolicy(Qt::NoContextMenu);
        connect(control, &QWidget::customContextMenuRequested, this, [control](const QPoint& pos) {
            auto* menu =
                qobject_cast<QMenu*>(control->property(kPopupMenuProperty).value<QObject*>());
            if (menu == nullptr)
                return;
            // A scroll area reports the position in its viewport.
            const auto* area = qobject_cast<QAbstractScrollArea*>(control);
            menu->popup(area ? area->viewport()->mapToGlobal(pos) : control->mapToGlobal(pos));
        });
    }
}

void TZVFormMain::SetPopupMenu(QWidget* control, QMenu* menu) {
    control->setProperty(kPopupMenuProperty, QVariant::fromValue(static_cast<QObject*>(menu)));
    // The menu's shortcuts act while the focus is in a control that carries it.
    for (QAction* item : PopupMenuAll->actions()) {
        if (item->shortcut().isEmpty())
            continue;
        if (menu == PopupMenuAll)
            control->addAction(item);
        else
            control->removeAction(item);
    }
}

void TZVFormMain::WireHandlers() {
    ComboExt->OnChange = [this] { ComboExtChange(); };
    ComboExt->OnEnter = [this] { ComboExtEnter(); };
    ComboExt->OnExit = [this] { ComboExtExit(); };
    ComboFileType->OnChange = [this] { ComboFileTypeChange(); };
    ComboFileType->OnEnter = [this] { ComboFileTypeEnter(); };
    ComboFileType->OnExit = [this] { ComboFileTypeExit(); };
    EditFileTypeDescr->OnEnter = [this] { EditFileTypeDescrEnter(); };
    EditFileTypeDescr->OnExit = [this] { EditFileTypeDescrExit(); };
    // Ctrl+Z in a field undoes the window's last change, not the field's
    // own typing (see FrameEvent).
    for (QWidget* field : std::initializer_list<QWidget*>{
             ComboExt, ComboFileType, ComboMimeType, ComboNewTemplate, EditApplication,
             EditFileTypeDescr, ComboAction, EditActionDescr, ComboCmd})
        field->installEventFilter(this);
    for (QPushButton* button :
         {ButtonOpenAs, ButtonBrowseNewTemplate, BitBtnIcon, ButtonBrowseCmd, ButtonDDE})
        button->installEventFilter(this);
}

void TZVFormMain::WireTreeEvents() {
    for (TZVRegTreeView* tree : {RegTreeViewExt, RegTreeViewFileType}) {
        tree->Registry.SetRootKey(HKEY_CLASSES_ROOT);
        tree->SetImages(TreeImageList());
        tree->OnEdited = [this](TRegTreeView* sender, TRegTreeNode* node, std::string& text) {
            RegTreeViewEdited(sender, node, text);
        };
        tree->OnEnter = [this] { RegTreeViewEnter(); };
        // Leaving the tree (also from its in-place edit line, which lives in
        // the viewport) is seen by FrameEvent.
        tree->installEventFilter(this);
        tree->viewport()->installEventFilter(this);
    }

    TZVRegTreeView* ext = RegTreeViewExt;
    ext->OnKeyNameChanged = [this](TRegTreeNode* node, const std::string& name,
                                   const std::string& newName) {
        RegTreeViewExtKeyNameChanged(node, name, newName);
    };
    ext->OnNodeChanged = [this](int level, const std::string& name, TRegTreeNode* parent) {
        RegTreeViewExtNodeChanged(level, name, parent);
    };
    ext->OnNodeDeleted = [this](int level, const std::string& name, TRegTreeNode* parent) {
        RegTreeViewExtNodeDeleted(level, name, parent);
    };
    ext->OnNodeCreated = [this](TRegTreeNode*& node) { RegTreeViewExtNodeCreated(node); };
    ext->OnNodeValueChanged = [this](TRegTreeNode* node, const std::string& value) {
        RegTreeViewExtNodeValueChanged(node, value);
    };
    ext->OnValueNameChanged = [this](TRegTreeNode* node, const std::string& name,
                                     const std::string& newName) {
        RegTreeViewExtValueNameChanged(node, name, newName);
    };

    TZVRegTreeView* fileType = RegTreeViewFileType;
    fileType->OnKeyNameChanged = [this](TRegTreeNode* node, const std::string& name,
                                        const std::string& newName) {
        RegTreeViewFileTypeKeyNameChanged(node, name, newName);
    };
    fileType->OnNodeChanged = [this](int level, const std::string& name, TRegTreeNode* parent) {
        RegTreeViewFileTypeNodeChanged(level, name, parent);
    };
    fileType->OnNodeDeleted = [this](int level, const std::string& name, TRegTreeNode* parent) {
        RegTreeViewFileTypeNodeDeleted(level, name, parent);
    };
    fileType->OnNodeCreated = [this](TRegTreeNode*& node) { RegTreeViewFileTypeNodeCreated(node); };
    fileType->OnNodeValueChanged = [this](TRegTreeNode* node, const std::string& value) {
        RegTreeViewFileTypeNodeValueChanged(node, value);
    };
    fileType->OnValueNameChanged = [this](TRegTreeNode* node, const std::string& name,
                                          const std::string& newName) {
        RegTreeViewFileTypeValueNameChanged(node, name, newName);
    };
    fileType->OnChange = [this](TRegTreeNode* node) { RegTreeViewFileTypeChange(node); };
}

}  // namespace zanver
