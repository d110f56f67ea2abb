#pragma once

#include <string>
#include <string_view>

namespace zanver {

// The caption of the program's own error boxes: "Error " + the application title.
std::string ErrorCaption();

// A message box with text, an OK button and the stop icon, captioned
// ErrorCaption().
void ShowError(std::string_view text);
// ShowError(text + " (" + detail + ")").
void ShowErrorDetail(std::string_view text, std::string_view detail);
// The system's text for the last error, then the context in parentheses.
void ShowLastError(std::string_view context);

// The message as the top-level error display shows it: a full stop is appended
// when the last character sorts after the full stop (letters and digits do; a
// closing parenthesis, a double quote, a blank or a full stop do not).
std::string WithClosingFullStop(std::string_view message);

// The top-level error display for an error that reached the main loop: the
// message (WithClosingFullStop) in a box captioned with the application title,
// with the stop icon and an OK button.
void ShowTopLevelError(std::string_view message);

}  // namespace zanver
