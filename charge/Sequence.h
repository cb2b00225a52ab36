// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/Exception.h"

namespace charge {

// A sequence text that cannot be read; the message names the character and
// its line and column, or what is missing.
class SequenceError : public platform::Exception {
  public:
    using platform::Exception::Exception;
};

struct ProteinSequence {
    std::string name;      // the FASTA title; empty for plain text
    std::string residues;  // one-letter codes in upper case, the final '*' dropped
    // What the reader passed over or read by a rule: further FASTA records,
    // letters that are not titrated or are titrated as another residue.
    std::vector<std::string> notes;

    std::size_t length() const { return residues.size(); }
    // How many of each letter, 'A' at index 0 to 'Z' at 25.
    std::array<int, 26> composition() const;
};

// Reads the first record of FASTA text (its title kept, the titles of the
// further records named in a note), or plain one-letter text. Spaces, line
// breaks and digits are ignored, lower case is read as upper case, and one
// '*' may end the sequence. Every letter A to Z is a residue (see
// titrationLetter for B, J, O, U, X and Z); any other character is refused.
ProteinSequence readSequence(std::string_view text);
// The same from a file; SequenceError naming the file when it cannot be read.
ProteinSequence readSequenceFile(const std::string& path);

// The ionizable groups, in the order of every pKa table.
enum class Group { NTerminus, CTerminus, Asp, Glu, Cys, Tyr, His, Lys, Arg };
inline constexpr int kGroupCount = 9;

// +1 for the groups charged when protonated (N-terminus, His, Lys, Arg),
// -1 for those charged when not (C-terminus, Asp, Glu, Cys, Tyr).
int chargeSign(Group g);
// "N-terminus", "C-terminus", "Asp", ...
const char* groupName(Group g);

// The letter a residue titrates as: itself for the twenty standard ones, C
// for selenocysteine (U), K for pyrrolysine (O), and 0 for B (D or N), Z (E
// or Q), J (L or I) and X (unknown), which are not titrated.
char titrationLetter(char residue);

struct TitrationOptions {
    int disulfideBridges = 0;  // each takes two Cys out of the titration
    bool nTerminusBlocked = false;
    bool cTerminusBlocked = false;
};

struct IonizableGroups {
    std::array<int, kGroupCount> counts{};
    // The residues at the ends, as read, for pKa sets whose terminal values
    // depend on them; 0 for a blocked terminus.
    char nTerminalResidue = 0;
    char cTerminalResidue = 0;

    int operator[](Group g) const { return counts[static_cast<int>(g)]; }
};

// Refuses a negative number of bridges and more bridges than half the Cys.
IonizableGroups countGroups(const ProteinSequence& sequence, const TitrationOptions& options);

// The options kept for another sequence: the bridges it has no Cys for go,
// the other choices stay.
TitrationOptions fittedTo(const ProteinSequence& sequence, TitrationOptions options);

// "free" or "blocked", as the windows and the series file write a terminus.
const char* terminusText(bool blocked);
// Reads that text back (any case); refuses any other.
bool blockedFromText(std::string_view text);

}  // namespace charge
