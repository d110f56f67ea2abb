#pragma once

#include <gtest/gtest.h>

#include "ActiveStore.h"
#include "FaultStore.h"
#include "MemoryStore.h"
#include "ProgramState.h"
#include "StoreHelpers.h"

namespace zanver::test {

// A fresh in-memory store (through a fault-injecting wrapper), the program
// state at its start (confirmation on, an empty undo list) and a script of the
// questions: unexpected or unasked questions fail the test.
class ConfirmFixture : public ::testing::Test {
  protected:
    ConfirmFixture() : faults(memory), activeStore(faults) {}
    void TearDown() override { questions.CheckAllAsked(); }

    MemoryStore memory;
    FaultStore faults;
    ScopedActiveStore activeStore;
    ProgramState state;
    QuestionScript questions;
};

}  // namespace zanver::test
