// Placeholder until its owner writes this file.
#include "MainWindow.h"

namespace zanver {

void TZVFormMain::FillLists() {}
void TZVFormMain::LoadExcludedKeys() {}
bool TZVFormMain::IsExcludedKey(std::string_view) const {
    return false;
}
void TZVFormMain::AddFileTypeItem(std::string_view, bool) {}

}  // namespace zanver
