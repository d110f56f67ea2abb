// The undo list, its records and procedures, and groups of records that one
// Undo takes back.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "ProgramState.h"
#include "Undo.h"
#include "UndoGroup.h"

namespace zanver {
namespace {

using ::testing::ElementsAre;

// A control that notes in a shared log when it receives the focus.
class LoggingControl : public UndoControl {
  public:
    LoggingControl(std::string name, std::vector<std::string>& log) : name_(name), log_(log) {}
    void SetFocus() override { log_.push_back("focus " + name_); }

  private:
    std::string name_;
    std::vector<std::string>& log_;
};

class UndoTest : public ::testing::Test {
  protected:
    ~UndoTest() override { SetActiveControlSource(nullptr); }

    // A procedure that logs "undo " + the record's value and answers `result`.
    UndoProcedure Logging(bool result = true) {
        return [this, result](void*, TUndo& record) {
            log.push_back("undo " + record.Value);
            return result;
        };
    }
    void Record(const std::string& value, UndoControl* control = nullptr) {
        AddUndo(list, control, "change " + value, value, Logging(), nullptr);
    }
    void RecordChained(const std::string& description, UndoProcedure undo) {
        UndoGroupDepth = 1;
        AddUndo(list, nullptr, description, "", std::move(undo), nullptr);
        UndoGroupDepth = 0;
    }

    test::ProgramState state;  // an empty program undo list, outside any group
    TZVUndoList& list = UndoList;
    std::vector<std::string> log;
};

using UndoGroupTest = UndoTest;

TEST_F(UndoTest, FailedProcedureKeepsItsRecordAndIsCalledAgain) {
    Record("first");
    bool succeed = false;
    RecordChained("stubborn", [&](void*, TUndo&) {
        log.push_back("try");
        return succeed;
    });
    PerformUndo(list);
    PerformUndo(list);
    EXPECT_THAT(log, ElementsAre("try", "try"));
    EXPECT_THAT(test::UndoDescriptions(), ElementsAre("change first", "stubborn"));

    succeed = true;
    PerformUndo(list);  // chained: goes on to the record before it
    EXPECT_THAT(log, ElementsAre("try", "try", "try", "undo first"));
    EXPECT_TRUE(list.Empty());
}

TEST_F(UndoTest, ExceptionKeepsTheRaisingRecordAndDropsThoseUndoneBefore) {
    Record("base");
    RecordChained("raises", [](void*, TUndo&) -> bool { throw std::runtime_error("no"); });
    UndoGroupDepth = 1;
    Record("newest");
    UndoGroupDepth = 0;

    EXPECT_THROW(PerformUndo(list), std::runtime_error);
    EXPECT_THAT(log, ElementsAre("undo newest"));
    EXPECT_THAT(test::UndoDescriptions(), ElementsAre("change base", "raises"));
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
    EXPECT_THAT(test::UndoDescriptions(), ElementsAre("change kept", "side effect"));

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
    EXPECT_THAT(test::UndoDescriptions(), ElementsAre("change kept", "side effect"));
}

TEST_F(UndoGroupTest, OneUndoTakesBackTheWholeGroupAndRefocuses) {
    LoggingControl before("before", log);
    LoggingControl inside("inside", log);
    Record("earlier");
    {
        UndoGroup group(list, &before);
        Record("1", &inside);
        Record("2", &inside);
        EXPECT_TRUE(group.Recorded());
    }
    EXPECT_EQ(UndoGroupDepth, 0);
    EXPECT_THAT(test::UndoDescriptions(),
                ElementsAre("change earlier", "change focus", "change 1", "change 2"));

    PerformUndo(list);
    EXPECT_THAT(log,
                ElementsAre("focus inside", "undo 2", "focus inside", "undo 1", "focus before"));
    EXPECT_THAT(test::UndoDescriptions(), ElementsAre("change earlier"));
}

TEST_F(UndoGroupTest, NestedGroupsChainIntoTheOuterMarkerAndEmptyOnesLeaveNoMarker) {
    {
        UndoGroup outer(list, nullptr);
        Record("a");
        {
            UndoGroup inner(list, nullptr);
            EXPECT_EQ(UndoGroupDepth, 2);
            Record("b");
        }
        {
            UndoGroup empty(list, nullptr);
            EXPECT_FALSE(empty.Recorded());
        }
        EXPECT_EQ(UndoGroupDepth, 1);
    }
    EXPECT_EQ(UndoGroupDepth, 0);
    EXPECT_THAT(test::UndoDescriptions(),
                ElementsAre("change focus", "change a", "change focus", "change b"));

    PerformUndo(list);
    EXPECT_THAT(log, ElementsAre("undo b", "undo a"));
    EXPECT_TRUE(list.Empty());
}

TEST_F(UndoGroupTest, FailedOperationRestoresDepthAndKeepsOnlyRealRecords) {
    Record("earlier");
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
    EXPECT_THAT(test::UndoDescriptions(),
                ElementsAre("change earlier", "change focus", "change done"));
}

TEST_F(UndoGroupTest, OperationThatUndoesItselfLeavesEarlierRecords) {
    Record("earlier");
    {
        UndoGroup group(list, nullptr);
        Record("partial");
        PerformUndo(list);  // takes back the partial work and the marker
    }
    EXPECT_THAT(log, ElementsAre("undo partial"));
    EXPECT_THAT(test::UndoDescriptions(), ElementsAre("change earlier"));
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
    PerformUndo(UndoList);
    EXPECT_THAT(log, ElementsAre("focus focused", "undo x", "focus focused"));
}

}  // namespace
}  // namespace zanver
