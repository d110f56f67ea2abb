#include "ErrorBoxes.h"

#include "AppTitle.h"
#include "ErrorCodes.h"
#include "ErrorOf.h"
#include "LastError.h"
#include "ScriptedPrompter.h"

#include <gtest/gtest.h>

#include <string>

namespace zanver {
namespace {

// Installs a scripted prompter for one test, reports every prompter failure as
// a test failure at once, fails the test when scripted questions are left over,
// and restores the application title.
class ErrorBoxesTest : public ::testing::Test {
  protected:
    ErrorBoxesTest()
        : prompter([](const std::string& failure) { ADD_FAILURE() << failure; }),
          installedPrompter(prompter),
          savedTitle(AppTitle()) {}
    void TearDown() override {
        for (const std::string& failure : prompter.Unasked())
            ADD_FAILURE() << failure;
    }
    ~ErrorBoxesTest() override { SetAppTitle(savedTitle); }

    // An error box with the application title as it is when the box shows.
    void ExpectError(const std::string& text) {
        prompter.Expect("Error " + AppTitle(), text, MessageButtons::Ok, MessageIcon::Stop,
                        MessageResult::Ok);
    }

    ScriptedPrompter prompter;
    ScopedPrompter installedPrompter;
    std::string savedTitle;
};

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
