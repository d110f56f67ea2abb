// The program-wide state that tests change (options, undo list, backup base,
// application title, status hook, the core's questions), set to a known
// start for a test and given back when it ends; and a script of the
// questions a test expects, each checked and answered in turn.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "AppMessageBox.h"
#include "AppTitle.h"
#include "Confirm.h"
#include "Options.h"
#include "Prompter.h"
#include "ScriptedPrompter.h"
#include "Status.h"
#include "Undo.h"
#include "UndoBackup.h"

namespace zanver::test {

class ProgramState {
  public:
    ProgramState()
        : options_(OptionFlags),
          backupBase_(UndoBackupBase),
          title_(AppTitle()),
          prompts_(GetCorePrompts()) {
        ClearUndoList();
        UndoGroupDepth = 0;
        OptionFlags = kDefaultOptionFlags;
        SetAppTitle(kProgramName);
        InstallCorePrompts();
    }
    ~ProgramState() {
        ClearUndoList();
        UndoGroupDepth = 0;
        StatusHandler = nullptr;
        OptionFlags = options_;
        UndoBackupBase = backupBase_;
        SetAppTitle(title_);
        SetCorePrompts(prompts_);
    }
    ProgramState(const ProgramState&) = delete;
    ProgramState& operator=(const ProgramState&) = delete;

    static void ClearUndoList() {
        while (!UndoList.Empty())
            UndoList.RemoveLast();
    }

  private:
    std::uint8_t options_;
    std::string backupBase_;
    std::string title_;
    CorePrompts* prompts_;
};

// The descriptions on the undo list, oldest first.
inline std::vector<std::string> UndoDescriptions() {
    std::vector<std::string> result;
    for (int i = 0; i < UndoList.Count(); ++i)
        result.push_back(UndoList.Descriptions(i));
    return result;
}

// The prompter of a test: every question must be expected, and every expected
// question asked (CheckAllAsked, from TearDown).
class QuestionScript {
  public:
    QuestionScript()
        : prompter_([](const std::string& failure) { ADD_FAILURE() << failure; }),
          installed_(prompter_) {}

    void Expect(std::string caption, std::string text, MessageButtons buttons, MessageIcon icon,
                MessageResult answer) {
        prompter_.Expect(std::move(caption), std::move(text), buttons, icon, answer);
    }
    // A write confirmation, a question and an error box, with the
    // application title as it is when they are asked.
    void ExpectConfirm(const std::string& text, MessageResult answer = MessageResult::Yes) {
        Expect(AppTitle() + kConfirmWriteCaptionSuffix, text, MessageButtons::YesNo,
               MessageIcon::Question, answer);
    }
    void ExpectQuestion(const std::string& text, MessageResult answer = MessageResult::Yes) {
        Expect(AppTitle(), text, MessageButtons::YesNo, MessageIcon::Question, answer);
    }
    void ExpectError(const std::string& text) {
        Expect(AppTitle(), text, MessageButtons::Ok, MessageIcon::Stop, MessageResult::Ok);
    }
    void CheckAllAsked() const {
        for (const std::string& failure : prompter_.Unasked())
            ADD_FAILURE() << failure;
    }
    ScriptedPrompter& Prompter() { return prompter_; }

  private:
    ScriptedPrompter prompter_;
    ScopedPrompter installed_;
};

}  // namespace zanver::test
