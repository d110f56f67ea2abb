#include "SystemHelpers.h"

#include "ErrorCodes.h"
#include "LastError.h"
#include "ScriptedPlatform.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>

namespace zanver {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

using Shell = ScriptedServices::ShellCall;
using Key = ScriptedServices::KeyEvent;

std::string FileNotFoundText() {
#ifdef _WIN32
    SetLastErrorCode(err::kFileNotFound);
    return LastErrorText();
#else
    return "The system cannot find the file specified";
#endif
}

class SystemHelpersTest : public ScriptedPlatformTest {};

TEST_F(SystemHelpersTest, ExecuteShellPassesEmptyPartsAsAbsent) {
    EXPECT_EQ(ExecuteShell(7, "", "C:\\a b.txt", "", "", kShowNormal),
              ScriptedServices::kSuccessCode);
    EXPECT_EQ(ExecuteShell(7, "open", "edit.exe", "C:\\work", "-n x", kShowMaximized),
              ScriptedServices::kSuccessCode);
    EXPECT_THAT(
        services.shellCalls,
        ElementsAre(Shell{7, std::nullopt, "C:\\a b.txt", std::nullopt, std::nullopt, kShowNormal},
                    Shell{7, "open", "edit.exe", "-n x", "C:\\work", kShowMaximized}));
}

TEST_F(SystemHelpersTest, ExecuteShellReportsCodesUpTo32AndReturnsThem) {
    const std::string notFound = FileNotFoundText();
    services.ScriptShellResult(32, err::kFileNotFound);
    prompter.Expect("Error Zanver", notFound + " (open C:\\x.doc -p)", MessageButtons::Ok,
                    MessageIcon::Stop, MessageResult::Ok);
    EXPECT_EQ(ExecuteShell(0, "open", "C:\\x.doc", "", "-p", kShowNormal), 32);

    services.ScriptShellResult(2, err::kFileNotFound);
    prompter.Expect("Error Zanver", notFound + " (C:\\x.doc)", MessageButtons::Ok,
                    MessageIcon::Stop, MessageResult::Ok);
    EXPECT_EQ(ExecuteShell(0, "", "C:\\x.doc", "C:\\", "", kShowNormal), 2);

    services.ScriptShellResult(33);
    EXPECT_EQ(ExecuteShell(0, "", "C:\\x.doc", "", "", kShowNormal), 33);
    EXPECT_EQ(prompter.Asked().size(), 2u);
}

TEST_F(SystemHelpersTest, ExecuteCommandStartsInNormalStateAndReportsFailure) {
    EXPECT_TRUE(ExecuteCommand("regedit.exe"));

    services.ScriptStartResult(2, err::kFileNotFound);
    prompter.Expect("Error Zanver", FileNotFoundText() + " (nosuch.exe /x)", MessageButtons::Ok,
                    MessageIcon::Stop, MessageResult::Ok);
    EXPECT_FALSE(ExecuteCommand("nosuch.exe /x"));

    services.ScriptStartResult(32, err::kFileNotFound);
    prompter.Expect("Error Zanver", FileNotFoundText() + " (edge)", MessageButtons::Ok,
                    MessageIcon::Stop, MessageResult::Ok);
    EXPECT_FALSE(ExecuteCommand("edge"));

    EXPECT_THAT(services.programStarts,
                ElementsAre(ScriptedServices::ProgramStart{"regedit.exe", kShowNormal},
                            ScriptedServices::ProgramStart{"nosuch.exe /x", kShowNormal},
                            ScriptedServices::ProgramStart{"edge", kShowNormal}));
}

TEST_F(SystemHelpersTest, PressKeyUsesTheLowByteAndSkipsZeroAnd255) {
    services.scanCodes[0x41] = 0x1E;
    services.scanCodes[0x0D] = 0x11C;  // only the low byte reaches the key event
    PressKey(0x141);
    PressKey(0x0D);
    PressKey(0);
    PressKey(255);
    PressKey(0x100);
    PressKey(-1);
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
    services.windowTexts[6] = "";
    EXPECT_EQ(WindowText(5), services.windowTexts[5]);
    EXPECT_EQ(WindowText(6), "");
    EXPECT_EQ(WindowText(99), "");
}

TEST(PlatformServicesTest, UsingNoServicesIsAProgrammingError) {
    EXPECT_THROW(ExecuteCommand("x"), std::logic_error);
}

}  // namespace
}  // namespace zanver
