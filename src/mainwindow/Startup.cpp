// Placeholder until its owner writes this file.
#include "MainWindow.h"

namespace zanver {

void TZVFormMain::FormCreate(const std::vector<std::string>&) {}
void TZVFormMain::FormCloseQuery() {}
void TZVFormMain::FormDestroy() {}
void TZVFormMain::SaveWindowPos(bool) {}
std::string TZVFormMain::ReadCommandLine(const std::vector<std::string>&) const {
    return {};
}

}  // namespace zanver
