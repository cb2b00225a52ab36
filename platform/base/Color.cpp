// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/base/Color.h"

#include <cstdio>

namespace platform {

std::string colorName(Color c) {
    if (c == clLime)
        return "lime";
    if (c == clYellow)
        return "yellow";
    if (c == clRed)
        return "red";
    char buf[8];
    std::snprintf(buf, sizeof buf, "#%02x%02x%02x", c.r, c.g, c.b);
    return buf;
}

}  // namespace platform
