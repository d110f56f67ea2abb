#pragma once

#include "PlatformServices.h"

#include <cstdint>
#include <string>
#include <string_view>

// Running programs and shell verbs with error reporting, key strokes, window
// texts and the program search path, over the active platform services.
namespace zanver {

// Asks the shell to perform verb on file (an empty verb, directory or
// parameters is passed as absent). A result of 32 or less is a failure and is
// reported with ShowLastError, the context being verb + " " (when there is a
// verb), file, and " " + parameters (when there are any). Returns the result.
std::intptr_t ExecuteShell(WindowHandle window, std::string_view verb, std::string_view file,
                           std::string_view directory, std::string_view parameters, int showMode);

// Starts commandLine as a program in its normal window state; when that fails,
// reports ShowLastError(commandLine) and returns false.
bool ExecuteCommand(std::string_view commandLine);

// Synthesises a press and a release of the key. Only the low 8 bits of the key
// code count; the codes 0 and 255 are ignored.
void PressKey(int virtualKey);

// The folders searched for a program named without a folder: the Windows
// folder, ";", the system folder, and ";" + the PATH variable when it is set.
std::string SearchPathList();

// The full text of a window.
std::string WindowText(WindowHandle window);

// Milliseconds since an arbitrary start, wrapping at 2^32 (like the system's
// tick count).
std::uint32_t TickCount();

}  // namespace zanver
