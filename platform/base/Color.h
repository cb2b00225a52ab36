// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstdint>
#include <string>

namespace platform {

struct Color {
    std::uint8_t r = 0, g = 0, b = 0;
    friend constexpr bool operator==(Color, Color) = default;
};

inline constexpr Color clLime{0, 255, 0};
inline constexpr Color clYellow{255, 255, 0};
inline constexpr Color clRed{255, 0, 0};
inline constexpr Color clBlue{0, 0, 255};
inline constexpr Color clBlack{0, 0, 0};
inline constexpr Color clWhite{255, 255, 255};
inline constexpr Color clBtnFace{240, 240, 240};

// "lime", "yellow", "red" for the key colours, "#rrggbb" otherwise: readable
// in test failures and in the accessible description of a field.
std::string colorName(Color c);

}  // namespace platform
