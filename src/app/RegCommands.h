#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace zanver {

// The commands of the zanver-reg tool (query, set, delete) on the active store.
// args holds the command and its arguments, without the program name and the
// store option. Returns the process exit code; messages go to err.
int RunRegCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// The tool's usage text.
std::string RegToolUsage();

}  // namespace zanver
