// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <array>
#include <span>
#include <string>
#include <string_view>

#include "charge/Sequence.h"

namespace charge {

// A terminal group's pKa when the residue at that end is this one.
struct TerminalPka {
    char residue;
    double pKa;
};

// One published table of the groups' pKa values. The citation (UTF-8) is
// the text the window and the manual show.
struct PkaSet {
    std::string_view name;
    std::string_view citation;
    std::array<double, kGroupCount> pKa;  // in the order of Group
    // Where the terminal values depend on the residue at that end; the
    // general value in pKa holds for every other residue.
    std::span<const TerminalPka> nTerminal = {};
    std::span<const TerminalPka> cTerminal = {};
};

// Every set, in the order the window lists them.
std::span<const PkaSet> pkaSets();

// The set of that name, in any case, with "-" for a space ("ipc-protein");
// refuses another name, listing the sets.
const PkaSet& findPkaSet(std::string_view name);
// The name on a command line: lower case, "-" for a space ("ipc-protein").
std::string commandLineName(const PkaSet& set);

// The set's pKa for the group of a sequence, the terminal residues applied.
double pKaOf(const PkaSet& set, Group g, const IonizableGroups& groups);

}  // namespace charge
