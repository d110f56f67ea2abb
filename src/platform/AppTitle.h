#pragma once

#include <string>
#include <string_view>

namespace zanver {

// The program's name, the application title until the main window sets its own.
inline constexpr std::string_view kProgramName = "Zanver";

// The application title: the caption of the main window ("Zanver", or "Zanver"
// followed by a blank and the current extension). Message boxes take their
// captions from it.
const std::string& AppTitle();
void SetAppTitle(std::string_view title);

}  // namespace zanver
