#include "ErrorBoxes.h"

#include "ErrorCodes.h"
#include "ErrorOf.h"
#include "LastError.h"
#include "ScriptedPlatform.h"

#include <gtest/gtest.h>

namespace zanver {
namespace {

using ErrorBoxesTest = ScriptedPlatformTest;

TEST_F(ErrorBoxesTest, ErrorBoxesAreCaptionedWithTheCurrentTitle) {
    ExpectError("Paste canceled");
    ShowError("Paste canceled");
    // The last error's system text comes first, then the context.
    SetAppTitle("Zanver .txt");
    ExpectError(ErrorText(err::kAccessDenied) + " (open C:\\x.txt)");
    SetLastErrorCode(err::kAccessDenied);
    ShowLastError("open C:\\x.txt");
    ExpectError("Could not start (regedit.exe)");
    ShowErrorDetail("Could not start", "regedit.exe");
    // A top-level error has the plain title and a closing full stop.
    prompter.Expect("Zanver .txt", "Invalid value text.", MessageButtons::Ok, MessageIcon::Stop,
                    MessageResult::Ok);
    ShowTopLevelError("Invalid value text");
}

TEST(WithClosingFullStopTest, AppendsOnlyAfterCharactersSortingAfterTheFullStop) {
    for (const std::string text : {"Failed to create key", "Error 5", "path C:/", "Caf\xe9"})
        EXPECT_EQ(WithClosingFullStop(text), text + ".");
    for (const std::string text :
         {"Out of system resources.", "Access is denied (x)", "Value \"a\"", "trailing ", "a-", ""})
        EXPECT_EQ(WithClosingFullStop(text), text);
}

}  // namespace
}  // namespace zanver
