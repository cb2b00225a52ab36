// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <stdexcept>
#include <string>

namespace platform {

// An error whose message a user can read; the application's handler shows it
// in a message box and the program goes on.
class Exception : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// A text that does not convert to a number.
class EConvertError : public Exception {
  public:
    using Exception::Exception;
};

}  // namespace platform
