// SPDX-License-Identifier: GPL-3.0-or-later

#include "tests/support/Layout.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace testing_support {

using platform::Control;
using platform::Rect;

Rect inWindow(const Control& control) {
    Rect r = control.bounds();
    for (const Control* p = control.parent(); p && p->parent(); p = p->parent()) {
        r.left += p->bounds().left;
        r.top += p->bounds().top;
    }
    return r;
}

void expectNoOverlap(const Control& parent) {
    const auto& kids = parent.children();
    for (size_t i = 0; i < kids.size(); ++i) {
        const Rect a = kids[i]->bounds();
        EXPECT_GE(a.left, 0) << kids[i]->name() << " leaves " << parent.name();
        EXPECT_GE(a.top, 0) << kids[i]->name() << " leaves " << parent.name();
        EXPECT_LE(a.right(), parent.bounds().width)
            << kids[i]->name() << " leaves " << parent.name();
        EXPECT_LE(a.bottom(), parent.bounds().height)
            << kids[i]->name() << " leaves " << parent.name();
        for (size_t j = i + 1; j < kids.size(); ++j) {
            // A hidden control takes no room: one may stand in for another.
            if (!kids[i]->visible() || !kids[j]->visible())
                continue;
            const Rect b = kids[j]->bounds();
            const bool apart = a.right() <= b.left || b.right() <= a.left || a.bottom() <= b.top ||
                               b.bottom() <= a.top;
            EXPECT_TRUE(apart) << kids[i]->name() << " overlaps " << kids[j]->name();
        }
        expectNoOverlap(*kids[i]);
    }
}

namespace {

// Each one's middle lies within the other's height: the same row, whatever
// their heights.
bool sameRow(const Rect& a, const Rect& b) {
    const auto middleWithin = [](const Rect& x, const Rect& y) {
        const int twiceMiddle = 2 * x.top + x.height;
        return twiceMiddle >= 2 * y.top && twiceMiddle <= 2 * y.bottom();
    };
    return middleWithin(a, b) && middleWithin(b, a);
}

}  // namespace

void expectLines(const std::vector<Line>& topToBottom) {
    const Line* previous = nullptr;
    for (const Line& line : topToBottom) {
        for (size_t i = 0; i < line.size(); ++i) {
            const Rect r = inWindow(*line[i]);
            if (i > 0) {
                const Rect before = inWindow(*line[i - 1]);
                EXPECT_TRUE(sameRow(before, r))
                    << line[i]->name() << " is not on the row of " << line[i - 1]->name();
                EXPECT_LT(before.right(), r.left)
                    << line[i]->name() << " is not right of " << line[i - 1]->name();
            }
            if (previous) {
                for (const Control* above : *previous)
                    EXPECT_LE(inWindow(*above).bottom(), r.top)
                        << line[i]->name() << " is not below " << above->name();
            }
        }
        previous = &line;
    }
}

}  // namespace testing_support
