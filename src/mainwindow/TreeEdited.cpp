// Placeholder until its owner writes this file.
#include "MainWindow.h"

namespace zanver {

struct TZVFormMain::EditStep {};
void TZVFormMain::RegTreeViewEdited(TRegTreeView*, TRegTreeNode*, std::string&) {}
void TZVFormMain::ChangeEditedValue(EditStep&) {}
void TZVFormMain::RenameEditedValue(EditStep&) {}
void TZVFormMain::RenameEditedKey(EditStep&) {}

}  // namespace zanver
