#pragma once

#include "Prompter.h"

class QWidget;

namespace zanver {

// Shows every question and message as a real, modal message box.
class QtPrompter : public Prompter {
  public:
    MessageResult Ask(const MessageRequest& request) override;
};

// Installs a QtPrompter as the active prompter and the core's prompts
// (InstallCorePrompts); the GUI program calls it once at start-up.
void InstallQtPrompter();

}  // namespace zanver
