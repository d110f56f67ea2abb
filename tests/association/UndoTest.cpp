#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>

#include "UndoFixture.h"

namespace zanver::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

using UndoTest = UndoFixture;

TEST_F(UndoTest, HintNamesTheNewestRecordAndEmptyListUndoesNothing) {
    EXPECT_EQ(UndoHint(list), "Nothing to undo");
    PerformUndo(list);
    EXPECT_THAT(log, IsEmpty());

    Record("a");
    Record("b");
    EXPECT_EQ(UndoHint(list), "Undo change b");
    PerformUndo(list);
    EXPECT_THAT(log, ElementsAre("undo b"));
    EXPECT_EQ(UndoHint(list), "Undo change a");
}

TEST_F(UndoTest, RecordKeepsItsFieldsAndGetsTheTargetBack) {
    LoggingControl control("edit", log);
    int target = 0;
    void* seen = nullptr;
    AddUndo(
        list, &control, "edit box", "old text",
        [&](void* t, TUndo& record) {
            seen = t;
            log.push_back("undo " + record.Value);
            return true;
        },
        &target);
    EXPECT_FALSE(list.Objects(0).Chained);
    PerformUndo(list);
    EXPECT_EQ(seen, &target);
    EXPECT_THAT(log, ElementsAre("focus edit", "undo old text"));
    EXPECT_TRUE(list.Empty());
}

TEST_F(UndoTest, FailedProcedureKeepsItsRecordAndIsCalledAgain) {
    Record("first");
    UndoGroupDepth = 1;
    bool succeed = false;
    AddUndo(
        list, nullptr, "stubborn", "s",
        [&](void*, TUndo&) {
            log.push_back("try");
            return succeed;
        },
        nullptr);
    UndoGroupDepth = 0;

    PerformUndo(list);
    PerformUndo(list);
    EXPECT_THAT(log, ElementsAre("try", "try"));
    EXPECT_THAT(Descriptions(), ElementsAre("change first", "stubborn"));

    succeed = true;
    PerformUndo(list);  // chained: goes on to the record before it
    EXPECT_THAT(log, ElementsAre("try", "try", "try", "undo first"));
    EXPECT_TRUE(list.Empty());
}

TEST_F(UndoTest, ExceptionKeepsTheRaisingRecordAndDropsThoseUndoneBefore) {
    Record("base");
    UndoGroupDepth = 1;
    AddUndo(
        list, nullptr, "raises", "r",
        [&](void*, TUndo&) -> bool { throw std::runtime_error("cannot restore"); }, nullptr);
    Record("newest");
    UndoGroupDepth = 0;

    EXPECT_THROW(PerformUndo(list), std::runtime_error);
    EXPECT_THAT(log, ElementsAre("undo newest"));
    EXPECT_THAT(Descriptions(), ElementsAre("change base", "raises"));
}

TEST_F(UndoTest, ProcedureThatRecordsOrWithdrawsLeavesTheOtherEntriesAlone) {
    Record("kept");
    // An undo procedure that itself records a change: only the undone record
    // may leave the list.
    AddUndo(
        list, nullptr, "recording", "x",
        [&](void*, TUndo&) {
            AddUndo(list, nullptr, "side effect", "y", Logging(), nullptr);
            return true;
        },
        nullptr);
    PerformUndo(list);
    EXPECT_THAT(Descriptions(), ElementsAre("change kept", "side effect"));

    // One that withdraws its own record while it runs.
    AddUndo(
        list, nullptr, "withdrawing", "w",
        [&](void*, TUndo& record) {
            list.RemoveLast();
            log.push_back("still readable " + record.Value);
            return true;
        },
        nullptr);
    PerformUndo(list);
    EXPECT_THAT(log, ElementsAre("still readable w"));
    EXPECT_THAT(Descriptions(), ElementsAre("change kept", "side effect"));
}

TEST_F(UndoTest, KeyValueUndoTextJoinsFullPathAndOldText) {
    EXPECT_EQ(KeyValueUndoText(HKEY_CLASSES_ROOT, ".abc\\", "\"abcfile\""),
              "HKEY_CLASSES_ROOT\\.abc\\=\"abcfile\"");
}

}  // namespace
}  // namespace zanver::test
