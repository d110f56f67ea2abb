#pragma once

#include <string>

namespace zanver {

// The calling thread's last error code (GetLastError/SetLastError on Windows).
// The registry functions set it to the store's result code when a store call
// fails, so that the messages they build name the real cause.
long LastErrorCode();
void SetLastErrorCode(long code);

// The system's message text for an error code (FormatMessage on Windows, the
// same English texts from one table elsewhere), unchanged.
std::string SystemErrorText(long code);

// The text for the last error code, with trailing white space and full stops
// removed.
std::string LastErrorText();

}  // namespace zanver
