#include "SystemHelpers.h"

#include "ErrorCodes.h"
#include "ErrorOf.h"
#include "ScriptedPlatform.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>

namespace zanver {
namespace {

using ::testing::ElementsAre;

using Shell = ScriptedServices::ShellCall;
using Key = ScriptedServices::KeyEvent;

using SystemHelpersTest = ScriptedPlatformTest;

TEST_F(SystemHelpersTest, ExecuteShellPassesEmptyPartsAsAbsent) {
    constexpr auto kOk = ScriptedServices::kSuccessCode;
    EXPECT_EQ(ExecuteShell(7, "", "C:\\a b.txt", "", "", kShowNormal), kOk);
    EXPECT_EQ(ExecuteShell(7, "open", "edit.exe", "C:\\work", "-n x", kShowMaximized), kOk);
    EXPECT_THAT(
        services.shellCalls,
        ElementsAre(Shell{7, std::nullopt, "C:\\a b.txt", std::nullopt, std::nullopt, kShowNormal},
                    Shell{7, "open", "edit.exe", "-n x", "C:\\work", kShowMaximized}));
}

TEST_F(SystemHelpersTest, ExecuteShellAndExecuteCommandReportFailures) {
    const std::string notFound = ErrorText(err::kFileNotFound);
    services.ScriptShellResult(32, err::kFileNotFound);
    ExpectError(notFound + " (open C:\\x.doc -p)");
    EXPECT_EQ(ExecuteShell(0, "open", "C:\\x.doc", "", "-p", kShowNormal), 32);

    services.ScriptShellResult(2, err::kFileNotFound);
    ExpectError(notFound + " (C:\\x.doc)");
    EXPECT_EQ(ExecuteShell(0, "", "C:\\x.doc", "C:\\", "", kShowNormal), 2);

    services.ScriptShellResult(33);
    EXPECT_EQ(ExecuteShell(0, "", "C:\\x.doc", "", "", kShowNormal), 33);  // and no box

    // Programs start in the normal state.
    EXPECT_TRUE(ExecuteCommand("regedit.exe"));
    services.ScriptStartResult(2, err::kFileNotFound);
    ExpectError(notFound + " (nosuch.exe /x)");
    EXPECT_FALSE(ExecuteCommand("nosuch.exe /x"));
    services.ScriptStartResult(32, err::kFileNotFound);
    ExpectError(notFound + " (edge)");
    EXPECT_FALSE(ExecuteCommand("edge"));

    EXPECT_THAT(services.programStarts,
                ElementsAre(ScriptedServices::ProgramStart{"regedit.exe", kShowNormal},
                            ScriptedServices::ProgramStart{"nosuch.exe /x", kShowNormal},
                            ScriptedServices::ProgramStart{"edge", kShowNormal}));
}

TEST_F(SystemHelpersTest, PressKeyUsesTheLowByteAndSkipsZeroAnd255) {
    services.scanCodes[0x41] = 0x1E;
    services.scanCodes[0x0D] = 0x11C;  // only the low byte reaches the key event
    for (const int key : {0x141, 0x0D, 0, 255, 0x100, -1})
        PressKey(key);
    EXPECT_THAT(services.keyEvents, ElementsAre(Key{0x41, 0x1E, false}, Key{0x41, 0x1E, true},
                                                Key{0x0D, 0x1C, false}, Key{0x0D, 0x1C, true}));
}

TEST_F(SystemHelpersTest, SearchPathListJoinsFoldersAndFullPath) {
    EXPECT_EQ(SearchPathList(), "C:\\WINDOWS;C:\\WINDOWS\\system32");

    const std::string longPath(300, 'p');
    services.environment["Path"] = longPath;
    EXPECT_EQ(SearchPathList(), "C:\\WINDOWS;C:\\WINDOWS\\system32;" + longPath);
}

TEST_F(SystemHelpersTest, WindowTextReadsTheWholeText) {
    services.windowTexts[5] = std::string(600, 'w') + "end";
    EXPECT_EQ(WindowText(5), services.windowTexts[5]);
    EXPECT_EQ(WindowText(99), "");
}

TEST(PlatformServicesTest, UsingNoServicesIsAProgrammingError) {
    EXPECT_THROW(ExecuteCommand("x"), std::logic_error);
}

}  // namespace
}  // namespace zanver
