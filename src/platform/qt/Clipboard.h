#pragma once

#include <string>
#include <string_view>

namespace zanver {

// The clipboard as plain text.
bool ClipboardHasText();
std::string ClipboardText();
void SetClipboardText(std::string_view text);

}  // namespace zanver
