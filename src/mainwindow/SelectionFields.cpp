// Placeholder until its owner writes this file.
#include "MainWindow.h"

namespace zanver {

void TZVFormMain::ComboExtChange() {}
void TZVFormMain::ComboExtEnter() {}
void TZVFormMain::ComboExtExit() {}
void TZVFormMain::ComboFileTypeChange() {}
void TZVFormMain::ComboFileTypeEnter() {}
void TZVFormMain::ComboFileTypeExit() {}
void TZVFormMain::EditFileTypeDescrEnter() {}
void TZVFormMain::EditFileTypeDescrExit() {}
bool TZVFormMain::SetKeyDefault(std::string_view, std::string_view, std::string_view,
                                std::string_view, TZVComboBox*) {
    return false;
}
bool TZVFormMain::UndoCreateKey(TUndo&) {
    return false;
}
bool TZVFormMain::UndoCreateKeyProc(void*, TUndo&) {
    return false;
}

}  // namespace zanver
