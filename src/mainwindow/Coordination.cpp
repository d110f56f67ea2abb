// Placeholder until its owner writes this file.
#include "MainWindow.h"

namespace zanver {

void TZVFormMain::RegTreeViewPaste() {}
void TZVFormMain::RegTreeViewExtKeyNameChanged(TRegTreeNode*, const std::string&,
                                               const std::string&) {}
void TZVFormMain::RegTreeViewExtNodeChanged(int, const std::string&, TRegTreeNode*) {}
void TZVFormMain::RegTreeViewExtNodeDeleted(int, const std::string&, TRegTreeNode*) {}
void TZVFormMain::RegTreeViewExtNodeCreated(TRegTreeNode*&) {}
void TZVFormMain::RegTreeViewExtNodeValueChanged(TRegTreeNode*, const std::string&) {}
void TZVFormMain::RegTreeViewExtValueNameChanged(TRegTreeNode*, const std::string&,
                                                 const std::string&) {}
void TZVFormMain::RegTreeViewFileTypeKeyNameChanged(TRegTreeNode*, const std::string&,
                                                    const std::string&) {}
void TZVFormMain::RegTreeViewFileTypeNodeChanged(int, const std::string&, TRegTreeNode*) {}
void TZVFormMain::RegTreeViewFileTypeNodeDeleted(int, const std::string&, TRegTreeNode*) {}
void TZVFormMain::RegTreeViewFileTypeNodeCreated(TRegTreeNode*&) {}
void TZVFormMain::RegTreeViewFileTypeNodeValueChanged(TRegTreeNode*, const std::string&) {}
void TZVFormMain::RegTreeViewFileTypeValueNameChanged(TRegTreeNode*, const std::string&,
                                                      const std::string&) {}
void TZVFormMain::RegTreeViewFileTypeChange(TRegTreeNode*) {}

}  // namespace zanver
