// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/WindowPlacement.h"

#include <algorithm>

namespace platform {

namespace {

// Within [lo, hi], or at lo when the range is empty.
int clampTo(int v, int lo, int hi) {
    return std::max(lo, std::min(v, hi));
}

bool inside(const Rect& r, const Rect& area) {
    return r.left >= area.left && r.top >= area.top && r.right() <= area.right() &&
           r.bottom() <= area.bottom();
}

bool overlaps(const Rect& a, const Rect& b) {
    return a.left < b.right() && b.left < a.right() && a.top < b.bottom() && b.top < a.bottom();
}

Rect keptOn(Rect r, const Rect& screen) {
    r.left = clampTo(r.left, screen.left, screen.right() - r.width);
    r.top = clampTo(r.top, screen.top, screen.bottom() - r.height);
    return r;
}

// The first of right, left and below the owner that the screen holds whole.
bool placeBeside(Rect& r, const Rect& owner, const Rect& screen) {
    const int top = clampTo(owner.top, screen.top, screen.bottom() - r.height);
    const int left = clampTo(owner.left, screen.left, screen.right() - r.width);
    const Rect candidates[] = {{owner.right(), top, r.width, r.height},
                               {owner.left - r.width, top, r.width, r.height},
                               {left, owner.bottom(), r.width, r.height}};
    for (const Rect& c : candidates) {
        if (inside(c, screen)) {
            r = c;
            return true;
        }
    }
    return false;
}

// Moves a window off the owner's menu bar: below it, or above the owner, or
// shrunk to the larger of those rooms when it is at least half the screen.
void clearMenuBar(Rect& r, const Rect& owner, int menuBottom, const Rect& screen) {
    const Rect menu{owner.left, owner.top, owner.width, menuBottom - owner.top};
    if (menu.height <= 0 || !overlaps(r, menu))
        return;
    const int below = screen.bottom() - menu.bottom();
    const int above = owner.top - screen.top;
    if (r.height <= below) {
        r.top = menu.bottom();
    } else if (r.height <= above) {
        r.top = owner.top - r.height;
    } else if (std::max(below, above) >= screen.height / 2) {
        r.height = std::max(below, above);
        r.top = below >= above ? menu.bottom() : screen.top;
    }
}

}  // namespace

Rect placeWindow(const PlacementRequest& request) {
    const Rect& screen = request.screen;
    const Rect& owner = request.owner;
    Rect r{0, 0, std::min(request.width, screen.width), std::min(request.height, screen.height)};
    if (owner.width <= 0 || owner.height <= 0) {
        r.left = screen.left + (screen.width - r.width) / 2;
        r.top = screen.top + (screen.height - r.height) / 2;
        return r;
    }
    if (request.beside && placeBeside(r, owner, screen))
        return r;
    r.left = owner.left + (owner.width - r.width) / 2;
    r.top = owner.top + (owner.height - r.height) / 2;
    r = keptOn(r, screen);
    if (request.beside)
        clearMenuBar(r, owner, request.ownerMenuBottom, screen);
    return r;
}

}  // namespace platform
