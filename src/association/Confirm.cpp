#include "Confirm.h"

#include <string>

#include "Options.h"

namespace zanver {

namespace {
CorePrompts* corePrompts = nullptr;
}

CorePrompts* SetCorePrompts(CorePrompts* prompts) {
    CorePrompts* previous = corePrompts;
    corePrompts = prompts;
    return previous;
}

CorePrompts* GetCorePrompts() {
    return corePrompts;
}

bool ConfirmWrite(std::string_view message) {
    if (!ConfirmWritesOn())
        return true;
    if (corePrompts == nullptr)
        return false;
    return corePrompts->AskYesNo(corePrompts->Title() + kConfirmWriteCaptionSuffix,
                                 std::string(message));
}

bool ConfirmWriteFmt(std::string_view format, std::initializer_list<std::string_view> args) {
    if (!ConfirmWritesOn())
        return true;
    return ConfirmWrite(FormatTexts(format, args));
}

std::string FormatTexts(std::string_view format, std::initializer_list<std::string_view> args) {
    std::string result;
    auto next = args.begin();
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] == '%' && i + 1 < format.size()) {
            if (format[i + 1] == 's') {
                if (next != args.end())
                    result += *next++;
                ++i;
                continue;
            }
            if (format[i + 1] == '%') {
                result += '%';
                ++i;
                continue;
            }
        }
        result += format[i];
    }
    return result;
}

}  // namespace zanver
