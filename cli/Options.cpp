// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/Options.h"

#include <charconv>
#include <cmath>
#include <iostream>

#include "platform/base/Exception.h"
#include "platform/base/MessageText.h"
#include "platform/base/NumberText.h"

namespace cli {

std::uint64_t wholeNumber(const std::string& option, const std::string& text, std::uint64_t low,
                          std::uint64_t high) {
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < low || value > high)
        throw UsageError(option + " needs a whole number from " + std::to_string(low) + " to " +
                         std::to_string(high) + ", not \"" + text + "\"");
    return value;
}

double realNumber(const std::string& option, const std::string& text) {
    try {
        const double value = platform::StrToFloat(text);
        if (std::isfinite(value))
            return value;
    } catch (const platform::EConvertError&) {
    }
    throw UsageError(option + " needs a number such as 6.5, not \"" + text + "\"");
}

int runCommand(const char* program, const std::function<int()>& body) {
    try {
        return body();
    } catch (const UsageError& e) {
        std::cerr << program << ": " << platform::safeForTerminal(e.what()) << "\nTry " << program
                  << " --help.\n";
    } catch (const std::exception& e) {
        std::cerr << program << ": " << platform::safeForTerminal(e.what()) << "\n";
    }
    return 2;
}

}  // namespace cli
