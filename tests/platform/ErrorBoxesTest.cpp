#include "ErrorBoxes.h"

#include "ErrorCodes.h"
#include "LastError.h"
#include "ScriptedPlatform.h"

#include <gtest/gtest.h>

namespace zanver {
namespace {

using ErrorBoxesTest = ScriptedPlatformTest;

TEST_F(ErrorBoxesTest, ErrorBoxesAreCaptionedWithTheCurrentTitle) {
    prompter.Expect("Error Zanver", "Paste canceled", MessageButtons::Ok, MessageIcon::Stop,
                    MessageResult::Ok);
    ShowError("Paste canceled");

    SetAppTitle("Zanver .txt");
    prompter.Expect("Error Zanver .txt", "Could not start (regedit.exe)", MessageButtons::Ok,
                    MessageIcon::Stop, MessageResult::Ok);
    ShowErrorDetail("Could not start", "regedit.exe");
}

TEST_F(ErrorBoxesTest, LastErrorTextComesFirstThenTheContext) {
    SetLastErrorCode(err::kAccessDenied);
#ifdef _WIN32
    const std::string systemText = LastErrorText();
#else
    const std::string systemText = "Access is denied";
#endif
    prompter.Expect("Error Zanver", systemText + " (open C:\\x.txt)", MessageButtons::Ok,
                    MessageIcon::Stop, MessageResult::Ok);
    ShowLastError("open C:\\x.txt");
}

TEST(WithClosingFullStopTest, AppendsOnlyAfterCharactersSortingAfterTheFullStop) {
    EXPECT_EQ(WithClosingFullStop("Failed to create key"), "Failed to create key.");
    EXPECT_EQ(WithClosingFullStop("Error 5"), "Error 5.");
    EXPECT_EQ(WithClosingFullStop("path C:/"), "path C:/.");
    EXPECT_EQ(WithClosingFullStop("Caf\xe9"), "Caf\xe9.");
    EXPECT_EQ(WithClosingFullStop("Out of system resources."), "Out of system resources.");
    EXPECT_EQ(WithClosingFullStop("Access is denied (x)"), "Access is denied (x)");
    EXPECT_EQ(WithClosingFullStop("Value \"a\""), "Value \"a\"");
    EXPECT_EQ(WithClosingFullStop("trailing "), "trailing ");
    EXPECT_EQ(WithClosingFullStop("a-"), "a-");
    EXPECT_EQ(WithClosingFullStop(""), "");
}

TEST_F(ErrorBoxesTest, TopLevelErrorUsesThePlainTitle) {
    SetAppTitle("Zanver .abc");
    prompter.Expect("Zanver .abc", "Invalid value text.", MessageButtons::Ok, MessageIcon::Stop,
                    MessageResult::Ok);
    ShowTopLevelError("Invalid value text");
}

}  // namespace
}  // namespace zanver
