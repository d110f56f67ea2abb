// Start-up with its command line and settings, the saved geometry, and the
// clean-up of the backup area with other instances running.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QProcess>

#include <fstream>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "ErrorOf.h"
#include "LockFileInstances.h"
#include "MainWindowFixture.h"
#include "Options.h"
#include "QtText.h"
#include "Registry.h"
#include "RegistryAccess.h"
#include "RootKeys.h"
#include "RunningInstances.h"
#include "Status.h"
#include "TempFolder.h"
#include "Undo.h"
#include "UndoBackup.h"
#include "Vocabulary.h"
#include "WindowHost.h"

namespace zanver {
namespace {

class StartupTest : public MainWindowTest {
  protected:
    static void SetSetting(const char* name, std::uint32_t value) {
        ASSERT_TRUE(WriteDWord(HKEY_CURRENT_USER, kSettingsKey, name, value));
    }
    static std::uint32_t Setting(const char* name) {
        return ReadDWordDef(HKEY_CURRENT_USER, kSettingsKey, name, 0xDEADBEEF);
    }
    // The stored geometry: "left top width height".
    static std::string SavedGeometry() {
        return std::to_string(Setting("Left")) + " " + std::to_string(Setting("Top")) + " " +
               std::to_string(Setting("Width")) + " " + std::to_string(Setting("Height"));
    }
    static bool ScratchExists(const std::string& path) {
        return KeyExists(HKEY_LOCAL_MACHINE, path);
    }
    TempFolder temp;
};

TEST_F(StartupTest, TheArgumentSelectsItsExtensionInLowerCaseOrTheFolderType) {
    // "title|start extension|extension|file type"; the file need not exist,
    // and a name ending in its dot shows nothing, as in the extension box.
    const std::vector<std::pair<std::string, std::string>> rows = {
        {"", "Zanver|||Unknown"},
        {temp.File("Notes.TXT"), "Zanver .txt|.txt|.txt|txtfile"},
        {temp.File("notes."), "Zanver|||Unknown"},
        {temp.Path().string(), "Zanver|||Folder"},
        {"/", "Zanver|||Drive"},
    };
    for (const auto& [argument, shown] : rows) {
        TZVFormMain& w = argument.empty() ? Open() : Open({argument});
        EXPECT_EQ(w.CmdLinePath, argument);
        EXPECT_EQ(
            FromQString(w.windowTitle()) + "|" + w.StartExt + "|" + w.CurExt + "|" + w.CurFileType,
            shown);
    }
    EXPECT_TRUE(
        std::regex_match(UndoBackupBase, std::regex(R"(Software\\KQ\\Zanver\\Undo\\[0-9A-F]{8})")))
        << UndoBackupBase;

    // A relative name is made absolute.
    const QString before = QDir::currentPath();
    QDir::setCurrent(ToQString(temp.Path().string()));
    TZVFormMain& plain = Open({"README"});
    QDir::setCurrent(before);
    EXPECT_EQ(plain.CmdLinePath, temp.File("README"));
    EXPECT_EQ(plain.CurExt, "");
}

TEST_F(StartupTest, StoredSettingsAreReadAndMistypedOnesIgnored) {
    SetSetting("Options", 0x105);  // only the low byte counts
    WriteString(HKEY_CURRENT_USER, kSettingsKey, "RegisterEditor", false, "myeditor.exe");
    TZVFormMain& w = Open();
    EXPECT_EQ(OptionFlags, 5);
    EXPECT_EQ(w.RegisterEditor, "myeditor.exe");

    WriteString(HKEY_CURRENT_USER, kSettingsKey, "Options", false, "7");
    WriteString(HKEY_CURRENT_USER, kSettingsKey, "RegisterEditor", true, "expand.exe");
    TZVFormMain& again = Open();
    EXPECT_EQ(OptionFlags, kDefaultOptionFlags);
    EXPECT_EQ(again.RegisterEditor, "RegEdit.exe");
}

TEST_F(StartupTest, GeometryIsRestoredAndSavedWithItsBounds) {
    for (const auto& [name, value] : {std::pair{"Left", 40}, std::pair{"Top", 50},
                                      std::pair{"Width", 600}, std::pair{"Height", 450}})
        SetSetting(name, value);
    TZVFormMain& w = Open();
    EXPECT_EQ(QRect(w.x(), w.y(), w.width(), w.height()), QRect(40, 50, 600, 450));

    w.move(-20, -30);
    w.resize(20, 10);
    w.SaveWindowPos(false);
    EXPECT_EQ(SavedGeometry(), "0 0 32 32");
    // The associate command stores the right half of the window.
    w.move(100, 10);
    w.resize(501, 300);
    w.SaveWindowPos(true);
    EXPECT_EQ(SavedGeometry(), "350 10 250 300");
}

TEST_F(StartupTest, ClosingSavesTheNormalGeometry) {
    TZVFormMain& w = OpenShown();
    w.move(30, 40);
    w.resize(560, 420);
    gui::ProcessEvents();
    w.showMaximized();
    gui::ProcessEvents();
    w.close();
    gui::ProcessEvents();
    EXPECT_FALSE(w.Closing);
    EXPECT_EQ(SavedGeometry(), "30 40 560 420");
}

TEST_F(StartupTest, LastInstanceRemovesTheWholeScratchArea) {
    LockFileInstances mine(ToQString(temp.File("instances")));
    LockFileInstances other(ToQString(temp.File("instances")));
    const RunningInstances* previous = SetActiveInstances(&mine);

    // Another run holds the stamp this run would take: this run gets the next.
    const std::uint32_t otherStamp = other.ClaimStamp(0x1000);
    Open();
    const std::string ownBase = UndoBackupBase;
    const std::string otherBase = std::string(kSettingsKey) + "\\Undo\\00001000";
    EXPECT_EQ(otherStamp, 0x1000u);
    EXPECT_NE(ownBase, otherBase);
    TRegistry(HKEY_LOCAL_MACHINE).CreateKey(ownBase + "\\00000001\\.abc");
    TRegistry(HKEY_LOCAL_MACHINE).CreateKey(otherBase + "\\00000002\\.xyz");

    Close();
    EXPECT_FALSE(ScratchExists(ownBase));
    EXPECT_TRUE(ScratchExists(otherBase + "\\00000002\\.xyz"));

    other.Release();
    Open();
    Close();
    EXPECT_FALSE(ScratchExists(kSettingsKey));
    SetActiveInstances(const_cast<RunningInstances*>(previous));
}

TEST_F(StartupTest, ARunThatCannotHoldALockFileDoesNotStart) {
    // The lock folder would lie below a plain file.
    std::ofstream(temp.File("plain")) << "x";
    LockFileInstances blocked(ToQString(temp.File("plain")) + "/instances");
    RunningInstances* previous = SetActiveInstances(&blocked);
    const std::string error = ErrorOf([&] { Open(); });
    EXPECT_EQ(error.rfind("Could not create a lock file in ", 0), 0u) << error;
    // The window left no hook behind, and nothing of the store was touched.
    EXPECT_EQ(ActiveWindowHost(), nullptr);
    EXPECT_EQ(GetActiveControlSource(), nullptr);
    EXPECT_FALSE(StatusHandler);
    SetActiveInstances(previous);
    Open();
    EXPECT_NE(UndoBackupBase, "");
}

// Lock files of other processes: a live one counts as a running instance; once
// its process has ended the file is stale, does not count and is removed.
TEST(LockFileInstancesTest, SeesInstancesInOtherProcesses) {
    TempFolder temp;
    const QString folder = ToQString(temp.File("instances"));
    LockFileInstances mine(folder);
    mine.ClaimStamp(7);
    EXPECT_FALSE(mine.OthersRunning());

    // A lock file in the form the toolkit writes, naming a sleeping process.
    const QString lockPath = QDir(folder).filePath("00000009.lock");
    {
        QLockFile probe(lockPath);
        ASSERT_TRUE(probe.tryLock(0));
        QFile file(lockPath);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        QList<QByteArray> lines = file.readAll().split('\n');
        file.close();
        probe.unlock();

        QProcess sleeper;
        sleeper.start("sleep", {"30"});
        ASSERT_TRUE(sleeper.waitForStarted());
        lines[0] = QByteArray::number(sleeper.processId());
        lines[1] = "sleep";
        QFile out(lockPath);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(lines.join('\n'));
        out.close();
        EXPECT_TRUE(mine.OthersRunning());

        sleeper.kill();
        sleeper.waitForFinished();
    }
    EXPECT_FALSE(mine.OthersRunning());
    EXPECT_FALSE(QFile::exists(lockPath));
}

}  // namespace
}  // namespace zanver
