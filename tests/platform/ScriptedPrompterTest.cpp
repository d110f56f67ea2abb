#include "ScriptedPrompter.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zanver {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::SizeIs;

const MessageRequest kDelete{"Zanver", "Delete HKEY_CLASSES_ROOT\\.abc from the registry?",
                             MessageButtons::YesNo, MessageIcon::Question};
const MessageRequest kOverwrite{"Zanver", "x already exists. Overwrite it?",
                                MessageButtons::YesNoCancelAll, MessageIcon::Question};

TEST(ScriptedPrompterTest, AnswersTheScriptInOrder) {
    ScriptedPrompter prompter;
    prompter.Expect(kDelete, MessageResult::Yes).Expect(kOverwrite, MessageResult::All);
    EXPECT_EQ(prompter.PendingCount(), 2u);

    ScopedPrompter installed(prompter);
    EXPECT_EQ(ActivePrompter().Ask(kDelete), MessageResult::Yes);
    EXPECT_EQ(ShowMessage(kOverwrite.caption, kOverwrite.text, kOverwrite.buttons, kOverwrite.icon),
              MessageResult::All);
    EXPECT_THAT(prompter.Failures(), IsEmpty());
    EXPECT_THAT(prompter.Asked(), ElementsAre(kDelete, kOverwrite));
}

TEST(ScriptedPrompterTest, UnexpectedQuestionFailsAndGetsTheCautiousAnswer) {
    std::vector<std::string> reported;
    ScriptedPrompter prompter([&](const std::string& failure) { reported.push_back(failure); });
    EXPECT_EQ(prompter.Ask(kDelete), MessageResult::No);
    EXPECT_EQ(prompter.Ask(kOverwrite), MessageResult::Cancel);
    EXPECT_EQ(prompter.Ask({"c", "t", MessageButtons::Ok, MessageIcon::Stop}), MessageResult::Ok);
    ASSERT_THAT(reported, SizeIs(3));
    EXPECT_THAT(reported[0], HasSubstr("unexpected"));
    EXPECT_THAT(reported[0], HasSubstr(kDelete.text));
    EXPECT_EQ(prompter.Failures(), reported);
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
        EXPECT_THAT(prompter.Failures()[0], HasSubstr(Describe(kDelete)));
    }
}

TEST(ScriptedPrompterTest, AnswerTheButtonsDoNotOfferIsAFailure) {
    ScriptedPrompter prompter;
    prompter.Expect(kDelete, MessageResult::All);
    EXPECT_EQ(prompter.Ask(kDelete), MessageResult::No);
    ASSERT_THAT(prompter.Failures(), SizeIs(1));
    EXPECT_THAT(prompter.Failures()[0], HasSubstr("not offered"));
}

TEST(ScriptedPrompterTest, QuestionsNeverAskedAreFailuresUntilReset) {
    ScriptedPrompter prompter;
    prompter.Expect(kDelete, MessageResult::Yes).Expect(kOverwrite, MessageResult::Yes);
    prompter.Ask(kDelete);
    ASSERT_THAT(prompter.Failures(), SizeIs(1));
    EXPECT_THAT(prompter.Failures()[0], HasSubstr("never asked"));
    EXPECT_THAT(prompter.Failures()[0], HasSubstr(kOverwrite.text));
    prompter.Reset();
    EXPECT_THAT(prompter.Failures(), IsEmpty());
}

TEST(PrompterTest, FallbackNeverConfirmsAnything) {
    ScriptedPrompter scripted;
    {
        ScopedPrompter installed(scripted);
        EXPECT_EQ(&ActivePrompter(), &scripted);
    }
    ASSERT_NE(&ActivePrompter(), &scripted);
    EXPECT_EQ(ActivePrompter().Ask(kDelete), MessageResult::No);
    EXPECT_EQ(ActivePrompter().Ask(kOverwrite), MessageResult::Cancel);
    EXPECT_EQ(ActivePrompter().Ask({"c", "t", MessageButtons::OkCancel, MessageIcon::None}),
              MessageResult::Cancel);
}

}  // namespace
}  // namespace zanver
