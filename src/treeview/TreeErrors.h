#pragma once

#include "Exception.h"

namespace zanver {

// Errors of the registry tree views and of their nodes.
class ERegTreeView : public Exception {
  public:
    using Exception::Exception;
};

class ERegTreeNode : public Exception {
  public:
    using Exception::Exception;
};

}  // namespace zanver
