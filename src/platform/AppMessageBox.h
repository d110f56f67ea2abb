#pragma once

#include <string_view>

#include "Prompter.h"

namespace zanver {

// A message box captioned with the application title; returns the button pressed.
MessageResult ShowMessageBox(std::string_view text, MessageButtons buttons, MessageIcon icon);

// Makes the Qt-free core ask its questions (the write confirmations) through
// the active prompter, captioned from the application title. The program calls
// it once at start-up; tests that expect the core's questions call it too.
void InstallCorePrompts();

}  // namespace zanver
