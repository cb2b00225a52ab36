// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>

namespace cli {

// A command line that cannot be used as given.
class UsageError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The value of option: a whole number from low to high, all of the text.
std::uint64_t wholeNumber(const std::string& option, const std::string& text, std::uint64_t low,
                          std::uint64_t high);

// The value of option: a finite number in the program's number text.
double realNumber(const std::string& option, const std::string& text);

// Runs a command-line program's body and returns its exit status; a
// UsageError or any other error is written to standard error after the
// program's name (a usage error with a pointer to --help) and gives 2.
int runCommand(const char* program, const std::function<int()>& body);

}  // namespace cli
