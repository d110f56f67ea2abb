// Placeholder until its owner writes this file.
#include "MainWindow.h"

namespace zanver {

void TZVFormMain::CreateControls() {}
void TZVFormMain::CreateSpeedBar() {}
void TZVFormMain::CreateExtensionHalf() {}
void TZVFormMain::CreateFileTypeHalf() {}
void TZVFormMain::CreateMenus() {}
void TZVFormMain::WireHandlers() {}
void TZVFormMain::WireTreeEvents() {}

}  // namespace zanver
