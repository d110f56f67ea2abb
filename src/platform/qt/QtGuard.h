#pragma once

#include <functional>

namespace zanver {

// Runs action and keeps every exception out of the Qt frame that called it:
// EZAbort is swallowed, any other error goes to the top-level error display
// (ShowTopLevelError). Every slot, event override and callback that Qt calls
// enters the program through this. Returns false when an exception was caught.
bool Guarded(const std::function<void()>& action);

}  // namespace zanver
