// Placeholder until its owner writes this file.
#include "MainWindow.h"

namespace zanver {

std::string TZVFormMain::CheckExtensionName(std::string_view text) const {
    return std::string(text);
}
std::string TZVFormMain::CheckFileTypeName(std::string_view text, bool) const {
    return std::string(text);
}
void TZVFormMain::SelectExtension(std::string_view, SelectFlags) {}
void TZVFormMain::SelectFileType(std::string_view, SelectFlags) {}
void TZVFormMain::ReloadFileType(SelectFlags) {}
void TZVFormMain::RequireExtension() {}
void TZVFormMain::RequireFileType() {}
void TZVFormMain::RefreshDescription() {}
void TZVFormMain::SetExtTreeRoot(bool) {}
void TZVFormMain::SetFileTypeTreeRoot(bool) {}
void TZVFormMain::RefreshField(PanelField, SelectFlags) {}

}  // namespace zanver
