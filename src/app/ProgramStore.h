#pragma once

#include <memory>
#include <ostream>
#include <string>

#include "SqliteStore.h"

namespace zanver {

// Opens the store file a program works on (ChooseStorePath), creating it and
// filling it with the bundled associations when it does not exist yet. On
// failure writes the reason to err, sets exitCode (2: no store file given,
// 1: the file could not be opened or filled) and returns null.
std::unique_ptr<SqliteStore> OpenProgramStore(const std::string& path, std::ostream& err,
                                              int& exitCode);

// Lets a write beyond the process's file-size limit fail with an error that
// the store reports, instead of the signal that would end the program in the
// middle of it.
void IgnoreFileSizeSignal();

}  // namespace zanver
