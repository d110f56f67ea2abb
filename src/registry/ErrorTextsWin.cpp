// The last error code and the error texts of Windows: the thread's own last
// error and the system's message table.
#include "LastError.h"

#include <windows.h>

#include <string>

namespace zanver {

long LastErrorCode() {
    return static_cast<long>(GetLastError());
}

void SetLastErrorCode(long code) {
    SetLastError(static_cast<DWORD>(code));
}

std::string SystemErrorText(long code) {
    char buffer[256];
    const DWORD length =
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                       static_cast<DWORD>(code), 0, buffer, sizeof buffer, nullptr);
    if (length == 0)
        return "Unknown error " + std::to_string(code);
    return std::string(buffer, length);
}

}  // namespace zanver
