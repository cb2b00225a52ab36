// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string_view>

namespace calclog {

// The first line of every entry of the calculation log.
inline constexpr std::string_view kEntrySeparator =
    "-------------------------------------------------------------";

}  // namespace calclog
