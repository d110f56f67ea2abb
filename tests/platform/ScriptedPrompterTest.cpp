// The scripted prompter is the tests' stand-in for message boxes: a question
// the script does not expect, or one that differs from it, must fail the test,
// and so must a scripted question never asked.
#include "ScriptedPrompter.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zanver {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::SizeIs;

const MessageRequest kDelete{"Zanver", "Delete HKEY_CLASSES_ROOT\\.abc from the registry?",
                             MessageButtons::YesNo, MessageIcon::Question};
const MessageRequest kOverwrite{"Zanver", "x already exists. Overwrite it?",
                                MessageButtons::YesNoCancelAll, MessageIcon::Question};

TEST(ScriptedPrompterTest, UnexpectedOrNeverAskedQuestionsFailAndGetTheCautiousAnswer) {
    std::vector<std::string> reported;
    ScriptedPrompter prompter([&](const std::string& failure) { reported.push_back(failure); });
    prompter.Expect(kDelete, MessageResult::Yes);
    EXPECT_EQ(prompter.Ask(kDelete), MessageResult::Yes);
    EXPECT_EQ(prompter.Ask(kDelete), MessageResult::No);
    EXPECT_EQ(prompter.Ask(kOverwrite), MessageResult::Cancel);
    ASSERT_THAT(reported, SizeIs(2));
    EXPECT_THAT(reported[0], HasSubstr(kDelete.text));
    EXPECT_THAT(prompter.Asked(), ElementsAre(kDelete, kDelete, kOverwrite));
    prompter.Expect(kOverwrite, MessageResult::Yes);
    ASSERT_THAT(prompter.Unasked(), SizeIs(1));
    EXPECT_THAT(prompter.Unasked()[0], HasSubstr(kOverwrite.text));
}

TEST(ScriptedPrompterTest, EachDifferenceIsAFailureButTheScriptStaysInStep) {
    const MessageRequest variants[] = {
        {"Zanver confirm write to registry", kDelete.text, kDelete.buttons, kDelete.icon},
        {kDelete.caption, kDelete.text + " ", kDelete.buttons, kDelete.icon},
        {kDelete.caption, kDelete.text, MessageButtons::YesNoCancel, kDelete.icon},
        {kDelete.caption, kDelete.text, kDelete.buttons, MessageIcon::Warning},
    };
    for (const MessageRequest& asked : variants) {
        ScriptedPrompter prompter;
        prompter.Expect(kDelete, MessageResult::Yes).Expect(kOverwrite, MessageResult::No);
        EXPECT_EQ(prompter.Ask(asked), MessageResult::Yes);
        EXPECT_EQ(prompter.Ask(kOverwrite), MessageResult::No);
        ASSERT_THAT(prompter.Failures(), SizeIs(1)) << Describe(asked);
        EXPECT_THAT(prompter.Failures()[0], HasSubstr(Describe(asked)));
    }
}

TEST(PrompterTest, FallbackNeverConfirmsAnything) {
    EXPECT_EQ(ActivePrompter().Ask(kDelete), MessageResult::No);
    EXPECT_EQ(ActivePrompter().Ask(kOverwrite), MessageResult::Cancel);
    EXPECT_EQ(ActivePrompter().Ask({"c", "t", MessageButtons::OkCancel, MessageIcon::None}),
              MessageResult::Cancel);
}

}  // namespace
}  // namespace zanver
