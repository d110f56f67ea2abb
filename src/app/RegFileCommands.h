#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace zanver {

// zanver-reg import FILE [--skip-errors]: imports a registry file into the
// active store. Skipped lines are listed on err.
int RegImportCommand(const std::vector<std::string>& args, std::ostream& err);
// zanver-reg export KEY FILE [--regedit4]: writes KEY with its subtree to FILE
// (Windows Registry Editor Version 5.00 format unless --regedit4).
int RegExportCommand(const std::vector<std::string>& args, std::ostream& err);

// The usage lines of the two commands.
std::string RegFileUsage();

}  // namespace zanver
