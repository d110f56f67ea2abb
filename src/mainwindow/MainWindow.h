#pragma once

#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "Status.h"
#include "Undo.h"
#include "WindowHost.h"

class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTimer;
class QToolButton;

namespace zanver {

class TRegTreeNode;
class TRegTreeView;
class TZVCheckBox;
class TZVComboBox;
class TZVEdit;
class TZVEntryControl;
class TZVRegTreeView;

// Flags of SelectExtension (a bit set; callers pass sums).
enum SelectExtensionFlag : unsigned {
    SelSkipSame = 1,      // nothing when the name equals the current one exactly
    SelForceSize = 2,     // the group box takes the computed height even when higher
    SelKeepExtCombo = 4,  // leave the text and items of ComboExt alone
    SelNoExtTree = 8,     // do not reload the extension tree
    SelNoFollow = 16,     // do not follow the extension to its file type
};
// Flags of SelectFileType (1 and 2 as above).
enum SelectFileTypeFlag : unsigned {
    SelWriteDefault = 32,     // write the file type as the extension's default value first
    SelShowOnExtTop = 64,     // show the new default value on the extension tree's top node
    SelNoFileTypeItem = 128,  // do not add the file type to the items of ComboFileType
    SelNoFileTypeTree = 256,  // do not reload the file type tree
    SelKeepAction = 512,      // keep the text of the action combo
};
using SelectFlags = unsigned;

// The fields of the association panel that re-read the registry when the
// selection or a key below it changes. The main window asks for each refresh
// through RefreshField; fields whose editing is not built yet do nothing.
enum class PanelField {
    Application,  // the personal application of the extension
    Mime,         // the MIME type of the extension
    Template,     // the new-file template of the extension
    Description,  // the description of the file type
    Icon,         // the icon of the file type
    ShowExt,      // the show-extension setting
    Actions,      // the shell verbs (with the select flags)
    Command,      // the command of the shown verb
    DdeCaption,   // the caption of the DDE button
    ActionDescr,  // the description of the shown verb
    ActionLabel,  // the label of the verb field (default verb changed)
    ConfirmOpen,  // the confirm-open flag
    ClassCheck,   // status hints about the file type's class
    ServerCheck,  // status hints about a class's servers
};

// Keeps track of the other instances of the program that run on the same
// store, so that each run's scratch data survives until that run ends.
class RunningInstances;

// The main window: the extension and file type panels above their registry
// tree views, the tool bar with the status line, and the splitter between
// the two halves. Constructing it builds the controls and runs the start-up
// (FormCreate) with the given command-line arguments (without the program
// name and the store options).
class TZVFormMain : public QWidget, public WindowHost, public ActiveControlSource {
    Q_OBJECT
  public:
    explicit TZVFormMain(std::vector<std::string> arguments, QWidget* parent = nullptr);
    ~TZVFormMain() override;

    // ---- Controls ------------------------------------------------------
    // Tool bar.
    QWidget* PanelSpeedBar = nullptr;
    QToolButton* SpeedButtonOpen = nullptr;
    QToolButton* SpeedButtonAssociate = nullptr;
    QToolButton* SpeedButtonRegEdit = nullptr;
    QToolButton* SpeedButtonNewKey = nullptr;
    QToolButton* SpeedButtonNewString = nullptr;
    QToolButton* SpeedButtonNewExpandString = nullptr;
    QToolButton* SpeedButtonNewDWORD = nullptr;
    QToolButton* SpeedButtonCut = nullptr;
    QToolButton* SpeedButtonCopy = nullptr;
    QToolButton* SpeedButtonPaste = nullptr;
    QToolButton* SpeedButtonDel = nullptr;
    QToolButton* SpeedButtonUndo = nullptr;
    QToolButton* SpeedButtonRefresh = nullptr;
    QToolButton* SpeedButtonOptions = nullptr;
    QLabel* LabelMsg = nullptr;
    // Extension half.
    QGroupBox* GroupBoxExt = nullptr;
    QWidget* PanelExt = nullptr;
    QLabel* LabelExt = nullptr;
    TZVComboBox* ComboExt = nullptr;
    QLabel* LabelFileType = nullptr;
    TZVComboBox* ComboFileType = nullptr;
    QLabel* LabelApplication = nullptr;
    TZVEdit* EditApplication = nullptr;
    QPushButton* ButtonOpenAs = nullptr;
    QLabel* LabelMimeType = nullptr;
    TZVComboBox* ComboMimeType = nullptr;
    QLabel* LabelNewTemplate = nullptr;
    TZVComboBox* ComboNewTemplate = nullptr;
    QPushButton* ButtonBrowseNewTemplate = nullptr;
    // An 8-pixel edit hidden behind ComboExt that takes the focus for a
    // moment when it must go back to a field whose exit failed.
    QLineEdit* FixFocusControl = nullptr;
    TZVRegTreeView* RegTreeViewExt = nullptr;
    // Splitter.
    QFrame* PanelResize = nullptr;
    // File type half.
    QGroupBox* GroupBoxFileType = nullptr;
    QWidget* PanelFileType = nullptr;
    QPushButton* BitBtnIcon = nullptr;
    QLabel* LabelFileTypeDescr = nullptr;
    TZVEdit* EditFileTypeDescr = nullptr;
    QLabel* LabelShowExt = nullptr;
    QComboBox* ComboShowExt = nullptr;
    QLabel* LabelAction = nullptr;
    TZVComboBox* ComboAction = nullptr;
    QLabel* LabelActionDescr = nullptr;
    TZVEdit* EditActionDescr = nullptr;
    QLabel* LabelShellCmd = nullptr;
    TZVComboBox* ComboCmd = nullptr;
    QPushButton* ButtonBrowseCmd = nullptr;
    QPushButton* ButtonDDE = nullptr;
    TZVCheckBox* CheckBoxConfirmOpen = nullptr;
    TZVRegTreeView* RegTreeViewFileType = nullptr;
    // Menus.
    QMenu* PopupMenuAll = nullptr;
    QMenu* PopupMenuIcon = nullptr;
    // The deferred re-size of the extension group box (18 ms).
    QTimer* Timer = nullptr;

    // ---- Selection state -------------------------------------------------
    std::string CurExt;
    std::string CurFileType;
    bool IsClass = false;
    bool PrevIsClass = false;
    bool FileTypeExists = false;
    std::string FileTypeWord = "file type";
    std::string ClassGuid;
    std::string FileTypeTitle;
    bool Closing = false;
    int SavedExtGroupHeight = 0;
    // The keys hidden from the file type list.
    std::vector<std::string> ExcludedKeys;

    // ---- Start-up state ----------------------------------------------------
    std::string CmdLinePath;
    std::string StartExt;
    std::string RegisterEditor;

    // ---- Coordination and layout state ---------------------------------------
    bool PendingExtTreeSize = false;
    bool Splitting = false;
    int SplitStartY = 0;
    // The control to give the focus back to (see IdleUpdate).
    QWidget* LastFocus = nullptr;
    // Whether the tool bar shows the buttons of the tree views.
    bool TreeLayout = false;

    // ---- Selection of extension and file type ----------------------------------
    void FillLists();
    void LoadExcludedKeys();
    bool IsExcludedKey(std::string_view name) const;
    void AddFileTypeItem(std::string_view name, bool force);
    std::string CheckExtensionName(std::string_view text) const;
    std::string CheckFileTypeName(std::string_view text, bool emptyIsUnknown) const;
    void SelectExtension(std::string_view ext, SelectFlags flags);
    void SelectFileType(std::string_view fileType, SelectFlags flags);
    void ReloadFileType(SelectFlags flags);
    void RequireExtension();
    void RequireFileType();
    bool SetKeyDefault(std::string_view key, std::string_view value, std::string_view keyWord,
                       std::string_view valueWord, TZVComboBox* control);
    bool UndoCreateKey(TUndo& undo);
    static bool UndoCreateKeyProc(void* target, TUndo& undo);
    void RefreshDescription();
    void SetExtTreeRoot(bool force);
    void SetFileTypeTreeRoot(bool force);
    // Handlers of the selection fields.
    void ComboExtChange();
    void ComboExtEnter();
    void ComboExtExit();
    void ComboFileTypeChange();
    void ComboFileTypeEnter();
    void ComboFileTypeExit();
    void EditFileTypeDescrEnter();
    void EditFileTypeDescrExit();
    // Re-reads one field of the panel (see PanelField).
    void RefreshField(PanelField field, SelectFlags flags = 0);
    // Tests watch the field refreshes through this.
    std::function<void(PanelField)> FieldRefreshed;

    // ---- Start-up, shut-down and settings -----------------------------------------
    void FormCreate(const std::vector<std::string>& arguments);
    void FormCloseQuery();
    void FormDestroy();
    void SaveWindowPos(bool half);
    std::string ReadCommandLine(const std::vector<std::string>& arguments) const;

    // ---- Status line ------------------------------------------------------------------
    void ShowStatus(std::string_view text, int level);
    void ClearStatus(StatusLevelSet levels) override;
    void ClearAllStatus();
    const TStatusLine& StatusLine() const { return statusLine_; }

    // ---- Tree-view coordination ----------------------------------------------------------
    void RegTreeViewEdited(TRegTreeView* sender, TRegTreeNode* node, std::string& s);
    void RegTreeViewPaste();
    void RegTreeViewEnter();
    void RegTreeViewExit();
    void RegTreeViewExtKeyNameChanged(TRegTreeNode* node, const std::string& oldName,
                                      const std::string& newName);
    void RegTreeViewExtNodeChanged(int level, const std::string& name, TRegTreeNode* parent);
    void RegTreeViewExtNodeDeleted(int level, const std::string& name, TRegTreeNode* parent);
    void RegTreeViewExtNodeCreated(TRegTreeNode*& node);
    void RegTreeViewExtNodeValueChanged(TRegTreeNode* node, const std::string& value);
    void RegTreeViewExtValueNameChanged(TRegTreeNode* node, const std::string& oldName,
                                        const std::string& newName);
    void RegTreeViewFileTypeKeyNameChanged(TRegTreeNode* node, const std::string& oldName,
                                           const std::string& newName);
    void RegTreeViewFileTypeNodeChanged(int level, const std::string& name, TRegTreeNode* parent);
    void RegTreeViewFileTypeNodeDeleted(int level, const std::string& name, TRegTreeNode* parent);
    void RegTreeViewFileTypeNodeCreated(TRegTreeNode*& node);
    void RegTreeViewFileTypeNodeValueChanged(TRegTreeNode* node, const std::string& value);
    void RegTreeViewFileTypeValueNameChanged(TRegTreeNode* node, const std::string& oldName,
                                             const std::string& newName);
    void RegTreeViewFileTypeChange(TRegTreeNode* node);

    // ---- Idle processing --------------------------------------------------------------------
    // Run when the event queue drains; tests call it directly.
    void IdleUpdate();
    // Makes IdleUpdate run whenever the event queue drains after events
    // arrived, and stops it again.
    void InstallIdleHandler();
    void RemoveIdleHandler();
    // The tree view with the focus, or nullptr.
    TZVRegTreeView* ActiveTree() const;

    // ---- Layout -----------------------------------------------------------------------------
    void PanelExtResize();
    void PanelFileTypeResize();
    void PanelSpeedBarResize();
    void LayoutActionLabel();
    void TimerTimer();
    // Places the frame's parts: tool bar, extension group, splitter, file
    // type group filling the rest.
    void ArrangeFrame();
    // -- added with the frame builder (MainWindowBuild.cpp, Layout.cpp) --
    // Asks for the deferred re-size of the extension group box: sets
    // PendingExtTreeSize and starts Timer, whose tick runs TimerTimer.
    void RequestExtTreeSize();
    // Gives control its context menu (nullptr: none). A control that carries
    // PopupMenuAll also takes the menu's shortcuts.
    void SetPopupMenu(QWidget* control, QMenu* menu);
    // -- end of the frame builder's additions --

    // ---- WindowHost and ActiveControlSource ------------------------------------------------
    void ClearLastFocus() override;
    void SetLastFocusToActive() override;
    void UpdateEditCommands(bool canCutCopy, bool canDelete) override;
    void EditApplicationRefresh() override;
    UndoControl* ActiveControl() override;

  protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // Events of the frame's parts that the layout handles: resizes of the
    // panels and the tool bar, the splitter's mouse, focus of the tree views.
    // True when the event is consumed.
    bool FrameEvent(QObject* watched, QEvent* event);
    // Commands that work at this stage: undo, refresh and paste.
    void SpeedButtonUndoClick();
    void SpeedButtonRefreshClick();
    void SpeedButtonPasteClick();
    // Builds the controls (MainWindowBuild.cpp).
    void CreateControls();
    void CreateSpeedBar();
    void CreateExtensionHalf();
    void CreateFileTypeHalf();
    void CreateMenus();
    // Connects the handlers of the controls and the tree views.
    void WireHandlers();
    void WireTreeEvents();

    // In-place edit steps (RegTreeViewEdited).
    struct EditStep;
    void ChangeEditedValue(EditStep& step);
    void RenameEditedValue(EditStep& step);
    void RenameEditedKey(EditStep& step);

    void PaintStatus();

    TStatusLine statusLine_;
    // The idle handler: a zero-time timer started whenever events arrive,
    // by a watcher of all the application's events.
    QTimer* idleTimer_ = nullptr;
    QObject* idleWatcher_ = nullptr;
    bool destroyed_ = false;
};

}  // namespace zanver
