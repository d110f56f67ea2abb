#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace zanver {

// Finds the value of one environment variable by name; nullopt when the
// environment has no such variable.
using EnvironmentLookup = std::function<std::optional<std::string>(const std::string& name)>;

// Expanded text must fit into a buffer of this many characters, including the
// terminating zero of the platform's string.
inline constexpr std::size_t kExpandBufferSize = 2048;

// The text with its %NAME% references replaced by the values of the
// environment variables they name (ExpandEnvironmentStringsA on Windows).
// A reference to an unknown variable, "%%" and an unpaired "%" stay as they
// are; values are inserted as they are and not expanded again. When the result
// does not fit into kExpandBufferSize characters, the text is returned
// unchanged.
//
// Outside Windows the process environment is used: a name is first looked up
// exactly and, when there is no such variable, without regard to ASCII letter
// case (the first match in the environment wins), because the texts expanded
// here were written for Windows, where %SystemRoot% and %SYSTEMROOT% are the
// same variable.
std::string ExpandEnvironment(std::string_view text);

// The same expansion over a given lookup (which decides about letter case).
std::string ExpandEnvironment(std::string_view text, const EnvironmentLookup& lookup);

// Looks a variable up in the process environment with the rules above.
std::optional<std::string> EnvironmentValue(const std::string& name);

}  // namespace zanver
