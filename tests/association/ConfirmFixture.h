#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ActiveStore.h"
#include "AppMessageBox.h"
#include "AppTitle.h"
#include "Confirm.h"
#include "FaultStore.h"
#include "MemoryStore.h"
#include "Options.h"
#include "Prompter.h"
#include "RegistryAccess.h"
#include "ScriptedPrompter.h"
#include "Undo.h"

namespace zanver::test {

// A fresh in-memory store (through a fault-injecting wrapper), a scripted
// prompter wired to the core's questions, confirmation on, an empty undo list.
// Unexpected or unasked questions fail the test.
class ConfirmFixture : public ::testing::Test {
  protected:
    ConfirmFixture()
        : faults(memory),
          activeStore(faults),
          prompter([](const std::string& failure) { ADD_FAILURE() << failure; }),
          activePrompter(prompter),
          savedTitle(AppTitle()),
          savedOptions(OptionFlags) {
        previousPrompts = GetCorePrompts();
        InstallCorePrompts();
        SetAppTitle("Zanver");
        OptionFlags = kDefaultOptionFlags;
        UndoGroupDepth = 0;
    }
    void TearDown() override {
        for (const std::string& failure : prompter.Unasked())
            ADD_FAILURE() << failure;
    }
    ~ConfirmFixture() override {
        while (!UndoList.Empty())
            UndoList.RemoveLast();
        OptionFlags = savedOptions;
        SetAppTitle(savedTitle);
        SetCorePrompts(previousPrompts);
    }

    // Expects one write confirmation with this text and gives the answer.
    void ExpectConfirm(const std::string& text, bool yes) {
        prompter.Expect("Zanver confirm write to registry", text, MessageButtons::YesNo,
                        MessageIcon::Question, yes ? MessageResult::Yes : MessageResult::No);
    }
    void PutString(RootKey root, const std::string& key, const std::string& name,
                   const std::string& text) {
        WriteString(root, key, name, false, text);
    }
    static std::vector<std::string> UndoDescriptions() {
        std::vector<std::string> result;
        for (int i = 0; i < UndoList.Count(); ++i)
            result.push_back(UndoList.Descriptions(i));
        return result;
    }

    MemoryStore memory;
    FaultStore faults;
    ScopedActiveStore activeStore;
    ScriptedPrompter prompter;
    ScopedPrompter activePrompter;

  private:
    std::string savedTitle;
    std::uint8_t savedOptions;
    CorePrompts* previousPrompts = nullptr;
};

}  // namespace zanver::test
