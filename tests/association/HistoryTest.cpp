#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "History.h"

namespace zanver {
namespace {

using ::testing::ElementsAre;

TEST(HistoryTest, KeepsTheEightNewestAndMovesARepeatToTheEnd) {
    TZVHistory history;
    std::vector<int> indices;
    for (const char* text : {"a", "b", "c", "d", "e", "f", "g", "h", "i"})
        indices.push_back(history.Add(text));
    EXPECT_THAT(indices, ElementsAre(0, 1, 2, 3, 4, 5, 6, 7, 7));
    EXPECT_THAT(history.Entries(), ElementsAre("b", "c", "d", "e", "f", "g", "h", "i"));

    EXPECT_EQ(history.Add("c"), 7);
    EXPECT_THAT(history.Entries(), ElementsAre("b", "d", "e", "f", "g", "h", "i", "c"));
}

TEST(HistoryTest, LetterCaseRules) {
    TZVHistory history;
    history.Add(".txt");
    history.Add(".doc");
    // The newest again, in any case: nothing changes.
    EXPECT_EQ(history.Add(".DOC"), 1);
    EXPECT_THAT(history.Entries(), ElementsAre(".txt", ".doc"));
    // An older one in another case moves to the end in the new case.
    EXPECT_EQ(history.Add(".TXT"), 1);
    EXPECT_THAT(history.Entries(), ElementsAre(".doc", ".TXT"));
    EXPECT_EQ(history.Add(""), -1);
    EXPECT_EQ(history.Count(), 2);
}

TEST(HistoryTest, OverlongLoadedHistoryShrinksOnAdd) {
    TZVHistory history;
    history.Assign({"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"});
    history.Add("new");
    EXPECT_THAT(history.Entries(), ElementsAre("4", "5", "6", "7", "8", "9", "10", "new"));
}

}  // namespace
}  // namespace zanver
