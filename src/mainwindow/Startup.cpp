// Start-up, shut-down and the window's settings.
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>

#include <cstdio>

#include "EntryControl.h"
#include "Errors.h"
#include "GlobalRegistry.h"
#include "MainWindow.h"
#include "Options.h"
#include "QtGuard.h"
#include "QtText.h"
#include "RegistryAccess.h"
#include "RootKeys.h"
#include "RunningInstances.h"
#include "Status.h"
#include "StrUtils.h"
#include "SystemHelpers.h"
#include "UndoBackup.h"
#include "Vocabulary.h"
#include "ZVRegTreeView.h"

namespace zanver {

namespace {

constexpr char kDefaultRegisterEditor[] = "RegEdit.exe";
constexpr char kLeftValue[] = "Left";
constexpr char kTopValue[] = "Top";
constexpr char kWidthValue[] = "Width";
constexpr char kHeightValue[] = "Height";
// The smallest width and height the window's geometry is saved with.
constexpr int kMinSavedSize = 32;
#ifdef _WIN32
// Paths the system accepts (MAX_PATH less the terminating zero).
constexpr qsizetype kMaxPathLength = 260;
#else
constexpr qsizetype kMaxPathLength = 4095;
#endif

std::string BackupBaseFor(std::uint32_t stamp) {
    char digits[9];
    std::snprintf(digits, sizeof digits, "%.8X", static_cast<unsigned>(stamp));
    return std::string(kSettingsKey) + "\\Undo\\" + digits;
}

int ReadGeometryValue(const char* name, int current) {
    return static_cast<int>(
        ReadDWordDef(HKEY_CURRENT_USER, kSettingsKey, name, static_cast<std::uint32_t>(current)));
}

// A folder named on the command line that stands for a whole drive: a drive
// letter with a colon (and a backslash) on Windows, the root folder elsewhere.
bool IsDriveRoot(const std::string& path) {
#ifdef _WIN32
    return (path.size() == 2 || path.size() == 3) && path[1] == ':' &&
           (path.size() == 2 || path[2] == '\\');
#else
    return path == "/";
#endif
}

// The extension of a path's last component from its last dot, in lower case;
// empty when the name has no dot or ends in it (a lone dot names no
// extension, as in the extension box).
std::string LowerExtension(const std::string& path) {
    const std::string name = FromQString(QFileInfo(ToQString(path)).fileName());
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot + 1 == name.size())
        return {};
    return LowerCaseAscii(name.substr(dot));
}

}  // namespace

void TZVFormMain::FormCreate(const std::vector<std::string>& arguments) {
    InstallIdleHandler();
    const std::uint32_t tick = TickCount();
    RunningInstances* instances = ActiveInstances();
    UndoBackupBase = BackupBaseFor(instances != nullptr ? instances->ClaimStamp(tick) : tick);

    OptionFlags = kDefaultOptionFlags;
    StatusHandler = [this](std::string_view text, int level) { ShowStatus(text, level); };
    RegTreeViewExt->Registry.SetRootKey(HKEY_CLASSES_ROOT);
    RegTreeViewFileType->Registry.SetRootKey(HKEY_CLASSES_ROOT);
    OptionFlags = static_cast<std::uint8_t>(
        ReadDWordDef(HKEY_CURRENT_USER, kSettingsKey, kOptionsValue, OptionFlags) & 0xFF);
    LoadExcludedKeys();
    RegisterEditor = ReadString(HKEY_CURRENT_USER, kSettingsKey, kRegisterEditorValue);
    if (RegisterEditor.empty())
        RegisterEditor = kDefaultRegisterEditor;
    FillLists();

    CmdLinePath = ReadCommandLine(arguments);
    // An error while showing the first item is shown; the window still opens.
    Guarded([this] {
        if (!CmdLinePath.empty() && QFileInfo(ToQString(CmdLinePath)).isDir()) {
            SelectExtension("", SelForceSize | SelNoFollow);
            SelectFileType(IsDriveRoot(CmdLinePath) ? "Drive" : "Folder", SelForceSize);
        } else {
            if (!CmdLinePath.empty())
                StartExt = LowerExtension(CmdLinePath);
            SelectExtension(StartExt, SelForceSize);
        }
    });

    move(ReadGeometryValue(kLeftValue, x()), ReadGeometryValue(kTopValue, y()));
    resize(ReadGeometryValue(kWidthValue, width()), ReadGeometryValue(kHeightValue, height()));
    RegTreeViewExit();
    PanelFileTypeResize();
}

std::string TZVFormMain::ReadCommandLine(const std::vector<std::string>& arguments) const {
    if (arguments.empty() || arguments.front().empty())
        return {};
    const QString full = QDir::toNativeSeparators(
        QDir::cleanPath(QFileInfo(ToQString(arguments.front())).absoluteFilePath()));
    if (full.isEmpty() || full.size() > kMaxPathLength)
        return {};
    return FromQString(full);
}

void TZVFormMain::FormCloseQuery() {
    Closing = true;
    const auto reset = qScopeGuard([this] { Closing = false; });
    // The field being left commits what was typed into it: the focus moves
    // on, or, when the window is closed while another one is active (from
    // the task bar), the field's exit runs at once. When that fails (or is
    // declined) the field is still entered: it takes the focus back and shows
    // why, and the window stays open with the text kept.
    TZVEntryControl* field = EntryControlOf(focusWidget());
    if (field != nullptr && field->Entered() && !isActiveWindow())
        field->LeaveNow();
    else
        focusNextChild();
    if (field != nullptr && field->Entered())
        throw EZAbort("Close canceled");
    if (isMinimized() || isMaximized()) {
        // Some platforms restore the size only later: the normal geometry is
        // put back at once.
        const QRect normal = normalGeometry();
        showNormal();
        setGeometry(normal);
    }
    SaveWindowPos(false);
}

void TZVFormMain::SaveWindowPos(bool half) {
    // The geometry of the normal window, also while it is maximised or
    // minimised (the platform may restore it only later); positions are
    // those of the frame, sizes those of the inside, as FormCreate reads them.
    const bool normal = !(isMaximized() || isMinimized() || isFullScreen());
    const QRect inside = normal ? geometry() : normalGeometry();
    const QPoint frameOffset = pos() - geometry().topLeft();
    int left = inside.x() + frameOffset.x();
    int w = inside.width();
    if (half) {
        w = inside.width() / 2;
        left += w;
    } else if (left < 0) {
        left = 0;
    }
    const int top = std::max(0, inside.y() + frameOffset.y());
    const int h = inside.height();
    const std::pair<const char*, int> values[] = {{kLeftValue, left},
                                                  {kTopValue, top},
                                                  {kWidthValue, std::max(kMinSavedSize, w)},
                                                  {kHeightValue, std::max(kMinSavedSize, h)}};
    // The geometry is a convenience: a failed write is not reported.
    for (const auto& [name, value] : values)
        WriteDWord(HKEY_CURRENT_USER, kSettingsKey, name, static_cast<std::uint32_t>(value));
}

void TZVFormMain::FormDestroy() {
    if (destroyed_)
        return;
    destroyed_ = true;
    RemoveIdleHandler();
    StatusHandler = nullptr;
    RunningInstances* instances = ActiveInstances();
    const bool othersRunning = instances != nullptr && instances->OthersRunning();
    // The backups of this run go; the whole scratch area goes with the last run.
    if (!UndoBackupBase.empty())
        DeleteKeyTree(HKEY_LOCAL_MACHINE, othersRunning ? UndoBackupBase : kSettingsKey);
    if (instances != nullptr)
        instances->Release();
}

}  // namespace zanver
