#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>

#include "UndoFixture.h"
#include "UndoGroup.h"

namespace zanver::test {
namespace {

using ::testing::ElementsAre;

using UndoGroupTest = UndoFixture;

TEST_F(UndoGroupTest, OneUndoTakesBackTheWholeGroupAndRefocuses) {
    LoggingControl before("before", log);
    LoggingControl inside("inside", log);
    Record("earlier");
    {
        UndoGroup group(list, &before);
        Record("1", &inside);
        Record("2", &inside);
        Record("3", &inside);
        EXPECT_TRUE(group.Recorded());
    }
    EXPECT_EQ(UndoGroupDepth, 0);
    EXPECT_FALSE(list.Objects(1).Chained);  // the marker stops the undo
    EXPECT_EQ(list.Descriptions(1), "change focus");

    PerformUndo(list);
    EXPECT_THAT(log, ElementsAre("focus inside", "undo 3", "focus inside", "undo 2", "focus inside",
                                 "undo 1", "focus before"));
    EXPECT_THAT(Descriptions(), ElementsAre("change earlier"));
}

TEST_F(UndoGroupTest, NestedGroupsChainIntoTheOuterMarker) {
    {
        UndoGroup outer(list, nullptr);
        Record("a");
        {
            UndoGroup inner(list, nullptr);
            EXPECT_EQ(UndoGroupDepth, 2);
            Record("b");
        }
        { UndoGroup empty(list, nullptr); }
        EXPECT_EQ(UndoGroupDepth, 1);
    }
    EXPECT_EQ(UndoGroupDepth, 0);
    EXPECT_THAT(Descriptions(),
                ElementsAre("change focus", "change a", "change focus", "change b"));
    for (int i = 1; i < list.Count(); ++i)
        EXPECT_TRUE(list.Objects(i).Chained) << i;

    PerformUndo(list);
    EXPECT_THAT(log, ElementsAre("undo b", "undo a"));
    EXPECT_TRUE(list.Empty());
}

TEST_F(UndoGroupTest, GroupThatRecordsNothingLeavesTheListAsItWas) {
    Record("earlier");
    {
        UndoGroup group(list, nullptr);
        EXPECT_FALSE(group.Recorded());
    }
    EXPECT_THAT(Descriptions(), ElementsAre("change earlier"));
}

TEST_F(UndoGroupTest, FailedOperationRestoresDepthAndKeepsOnlyRealRecords) {
    for (bool recordFirst : {false, true}) {
        EXPECT_THROW(
            {
                UndoGroup group(list, nullptr);
                if (recordFirst)
                    Record("done");
                throw std::runtime_error("failed");
            },
            std::runtime_error);
        EXPECT_EQ(UndoGroupDepth, 0);
    }
    EXPECT_THAT(Descriptions(), ElementsAre("change focus", "change done"));
}

TEST_F(UndoGroupTest, OperationThatUndoesItselfLeavesEarlierRecords) {
    Record("earlier");
    {
        UndoGroup group(list, nullptr);
        Record("partial");
        PerformUndo(list);  // takes back the partial work and the marker
    }
    EXPECT_THAT(log, ElementsAre("undo partial"));
    EXPECT_THAT(Descriptions(), ElementsAre("change earlier"));
}

TEST_F(UndoGroupTest, DefaultGroupUsesTheProgramListAndActiveControl) {
    struct Source : ActiveControlSource {
        UndoControl* control = nullptr;
        UndoControl* ActiveControl() override { return control; }
    } source;
    LoggingControl focused("focused", log);
    source.control = &focused;
    AddUndoForActiveControl("without source", "", nullptr, nullptr);
    EXPECT_EQ(UndoList.Objects(0).Control, nullptr);
    UndoList.RemoveLast();

    SetActiveControlSource(&source);
    {
        UndoGroup group;
        AddUndoForActiveControl("change x", "x", Logging(), nullptr);
    }
    ASSERT_EQ(UndoList.Count(), 2);
    EXPECT_EQ(UndoList.Objects(0).Control, &focused);
    PerformUndo(UndoList);
    EXPECT_THAT(log, ElementsAre("focus focused", "undo x", "focus focused"));
}

}  // namespace
}  // namespace zanver::test
