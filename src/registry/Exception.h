#pragma once

#include <stdexcept>
#include <string>

namespace zanver {

// Base of every error the program raises: it carries the message shown to the
// user. Raised as it is, it is the general error kind of the registry layer and
// the value text parser.
class Exception : public std::runtime_error {
  public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
    std::string Message() const { return what(); }
};

// A text that could not be converted to a number (the integer reader and the
// byte lists and DWORDs of value text).
class EConvertError : public Exception {
  public:
    using Exception::Exception;
};

}  // namespace zanver
