// SPDX-License-Identifier: GPL-3.0-or-later

#include <gtest/gtest.h>

#include "platform/WindowPlacement.h"

using platform::PlacementRequest;
using platform::Rect;

namespace {

struct PlacementCase {
    const char* what;
    PlacementRequest request;
    Rect expected;
};

// A screen of 1600 x 1000 at scale 1, and the same at scale 2 (800 x 500);
// the main window is 750 x 460 with its menu bar 44 under its top.
const Rect kScreen{0, 0, 1600, 1000};
const Rect kScreen2{0, 0, 800, 500};

const PlacementCase kCases[] = {
    {"right of the owner",
     {kScreen, {0, 100, 700, 460}, 144, 800, 600, true},
     {700, 100, 800, 600}},
    {"left when the right has no room",
     {kScreen, {850, 100, 700, 460}, 144, 800, 600, true},
     {50, 100, 800, 600}},
    {"below when neither side has room",
     {kScreen, {500, 0, 700, 300}, 44, 900, 600, true},
     {500, 300, 900, 600}},
    {"beside, raised to stay on the screen",
     {kScreen, {0, 700, 700, 300}, 744, 800, 600, true},
     {700, 400, 800, 600}},
    {"over the owner, under its menu bar",
     {kScreen, {425, 270, 750, 460}, 314, 822, 662, true},
     {389, 314, 822, 662}},
    {"over the owner, above it when its menu bar is low",
     {kScreen, {425, 600, 750, 400}, 644, 700, 500, true},
     {450, 100, 700, 500}},
    {"larger than the screen: shrunk to it, under the menu bar",
     {kScreen2, {25, 20, 750, 460}, 64, 1642, 1302, true},
     {0, 64, 800, 436}},
    {"too little room beside the menu bar: over it, whole on the screen",
     {kScreen2, {25, 230, 750, 270}, 274, 700, 450, true},
     {50, 50, 700, 450}},
    {"a modal window stays centred over its owner and its menu bar",
     {kScreen, {425, 270, 750, 460}, 314, 822, 662, false},
     {389, 169, 822, 662}},
    {"without an owner: centred on the screen",
     {kScreen, {}, 0, 400, 300, true},
     {600, 350, 400, 300}},
};

TEST(WindowPlacement, BesideTheOwnerElseClearOfItsMenuBarAlwaysOnTheScreen) {
    for (const PlacementCase& c : kCases)
        EXPECT_EQ(platform::placeWindow(c.request), c.expected) << c.what;
}

}  // namespace
