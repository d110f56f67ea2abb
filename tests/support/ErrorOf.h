#pragma once

#include <string>

#include "Exception.h"
#include "LastError.h"

namespace zanver {

// The message of the E that action throws, or "no error".
template <class E = Exception, class F>
std::string ErrorOf(F&& action) {
    try {
        action();
    } catch (const E& e) {
        return e.Message();
    }
    return "no error";
}

// The system's text for an error code, as the program's messages end.
inline std::string ErrorText(long code) {
    SetLastErrorCode(code);
    return LastErrorText();
}

}  // namespace zanver
