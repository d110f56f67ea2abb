#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Undo.h"

namespace zanver::test {

// A control that notes in a shared log when it receives the focus.
class LoggingControl : public UndoControl {
  public:
    LoggingControl(std::string name, std::vector<std::string>& log) : name_(name), log_(log) {}
    void SetFocus() override { log_.push_back("focus " + name_); }

  private:
    std::string name_;
    std::vector<std::string>& log_;
};

class UndoFixture : public ::testing::Test {
  protected:
    void SetUp() override { UndoGroupDepth = 0; }
    void TearDown() override {
        SetActiveControlSource(nullptr);
        while (!UndoList.Empty())
            UndoList.RemoveLast();
    }

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
    std::vector<std::string> Descriptions() const {
        std::vector<std::string> result;
        for (int i = 0; i < list.Count(); ++i)
            result.push_back(list.Descriptions(i));
        return result;
    }

    TZVUndoList list;
    std::vector<std::string> log;
};

}  // namespace zanver::test
