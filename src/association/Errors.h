#pragma once

#include "Exception.h"

namespace zanver {

// An error meant for the user; the top level shows its message.
class EZanver : public Exception {
  public:
    using Exception::Exception;
};

// The user declined a confirmation: the operation is abandoned, and the
// handlers that expect this swallow it without a message.
class EZAbort : public Exception {
  public:
    EZAbort() : Exception("Operation aborted") {}
    using Exception::Exception;
};

}  // namespace zanver
