// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// Checks of a window's layout by what its coordinates are for, not by the
// coordinates themselves: nothing clipped, nothing hidden, each label beside
// what it names, the rows in their order.

#include <vector>

#include "platform/Control.h"

namespace testing_support {

// Where a control lies in its window's client area.
platform::Rect inWindow(const platform::Control& control);

// Every control lies inside its parent's client area, so that nothing is
// clipped, and no two controls of one parent overlap, so that none hides
// another; down the whole tree.
void expectNoOverlap(const platform::Control& parent);

// Lines of a window from top to bottom, each read from left to right: a
// label, the field it names and the field's unit, say, or a row of buttons.
// The controls of a line lie on one row, each right of the one before it;
// every control of a line lies below every control of the line before.
using Line = std::vector<const platform::Control*>;
void expectLines(const std::vector<Line>& topToBottom);

}  // namespace testing_support
