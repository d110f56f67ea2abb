#pragma once

#include <string>

#include "Exception.h"

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

}  // namespace zanver
