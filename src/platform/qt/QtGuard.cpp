#include "QtGuard.h"

#include <exception>

#include "ErrorBoxes.h"
#include "Errors.h"

namespace zanver {

bool Guarded(const std::function<void()>& action) {
    try {
        action();
        return true;
    } catch (const EZAbort&) {
        // The user declined a confirmation: nothing to report.
    } catch (const std::exception& error) {
        ShowTopLevelError(error.what());
    } catch (...) {
        ShowTopLevelError("Unknown error");
    }
    return false;
}

}  // namespace zanver
