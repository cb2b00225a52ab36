// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "platform/Control.h"

namespace platform {

// What a window's place is decided from, in screen pixels. Frames are the
// windows' outer rectangles, title bar and borders included.
struct PlacementRequest {
    Rect screen;  // the part of the screen windows may take (no panels)
    // The window that opened it; empty for a window of its own, which is
    // centred on the screen.
    Rect owner;
    // The screen row just under the owner's menu bar; the owner's top, or
    // less, for an owner without one.
    int ownerMenuBottom = 0;
    int width = 0;  // the frame the window asks for
    int height = 0;
    // A modeless window stands beside its owner and leaves its menu bar
    // free; a modal one stands over it, where the eye already is.
    bool beside = false;
};

// The frame a window opens in: no larger than the screen (a larger window
// scrolls or lets its graph give way); for a modeless one beside its owner,
// at the right, else the left, else below, where the screen has room, else
// over it but clear of its menu bar where the screen's height allows; else
// centred over the owner. Always whole on the screen, title bar included.
Rect placeWindow(const PlacementRequest& request);

}  // namespace platform
