#include "LastError.h"

namespace zanver {

std::string LastErrorText() {
    std::string text = SystemErrorText(LastErrorCode());
    while (!text.empty()) {
        const char c = text.back();
        if (static_cast<unsigned char>(c) > 32 && c != '.')
            break;
        text.pop_back();
    }
    return text;
}

}  // namespace zanver
