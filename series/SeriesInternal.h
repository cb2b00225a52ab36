// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// What the parts of the series document share: not for its callers.

#include <cstddef>
#include <string>
#include <string_view>

#include "series/Headers.h"
#include "series/Series.h"

namespace series::internal {

// No column.
constexpr std::size_t kNone = static_cast<std::size_t>(-1);

// The same name but for case.
bool sameName(std::string_view a, std::string_view b);

// A column as a header names it; a result, an uncertainty result and Error
// are read as text (the caller refuses them where they cannot stand).
SeriesColumn columnOf(const std::string& text, const Header& h);

}  // namespace series::internal
