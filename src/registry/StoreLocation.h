#pragma once

#include <string>
#include <vector>

#include "Environment.h"

// Where the registry store file lives.
namespace zanver {

// The environment variable that names another store file.
inline constexpr const char* kStoreEnvironmentVariable = "ZANVER_STORE";

// $XDG_DATA_HOME/zanver/registry.db, or $HOME/.local/share/zanver/registry.db
// when XDG_DATA_HOME is unset, empty or not an absolute path. Empty when
// neither variable gives a folder.
std::string DefaultStorePath(const EnvironmentLookup& environment);
// The same over the process environment.
std::string DefaultStorePath();

// The store file for a run: the last "--store PATH" or "--store=PATH" among
// args (the command-line arguments after the program name), else the
// variable ZANVER_STORE when it is set and not empty, else DefaultStorePath.
// The --store arguments are removed from args; scanning stops at "--", so
// that a file name after it is never taken as the option. Empty when a
// --store has no file name (the caller reports that no store file was given)
// or when DefaultStorePath is empty.
std::string ChooseStorePath(std::vector<std::string>& args, const EnvironmentLookup& environment);

// The same for main(): argv[1..argc-1] are scanned, the --store arguments are
// removed from argv and argc is lowered to match. Uses the process environment.
std::string ChooseStorePath(int& argc, char** argv);

}  // namespace zanver
