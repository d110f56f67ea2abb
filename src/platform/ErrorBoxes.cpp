#include "ErrorBoxes.h"

#include "AppTitle.h"
#include "LastError.h"
#include "Prompter.h"

namespace zanver {

std::string ErrorCaption() {
    return "Error " + AppTitle();
}

void ShowError(std::string_view text) {
    ShowMessage(ErrorCaption(), std::string(text), MessageButtons::Ok, MessageIcon::Stop);
}

void ShowErrorDetail(std::string_view text, std::string_view detail) {
    std::string message(text);
    message += " (";
    message += detail;
    message += ")";
    ShowError(message);
}

void ShowLastError(std::string_view context) {
    ShowErrorDetail(LastErrorText(), context);
}

std::string WithClosingFullStop(std::string_view message) {
    std::string result(message);
    if (!result.empty() && static_cast<unsigned char>(result.back()) > '.')
        result += '.';
    return result;
}

void ShowTopLevelError(std::string_view message) {
    ShowMessage(AppTitle(), WithClosingFullStop(message), MessageButtons::Ok, MessageIcon::Stop);
}

}  // namespace zanver
