#pragma once

#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace zanver {

// The option that replaces the store with the bundled associations.
inline constexpr std::string_view kResetStoreOption = "--reset-store";

// zanver-reg --reset-store [--yes]: after asking on err and reading the answer
// from in (unless --yes is given), removes the store file at path and creates
// it anew, filled with seedText. Declining, or no answer, changes nothing.
// args starts with the option itself. Returns the process exit code: 0 when the
// store was replaced, 1 when it was not, 2 for wrong arguments.
int RunResetStore(const std::vector<std::string>& args, const std::string& path,
                  std::string_view seedText, std::istream& in, std::ostream& out,
                  std::ostream& err);

}  // namespace zanver
