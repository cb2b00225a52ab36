// SPDX-License-Identifier: GPL-3.0-or-later

#include "charge/PkaSets.h"

#include <algorithm>
#include <string>

#include "platform/base/MessageText.h"

namespace charge {

namespace {

// Bjellqvist et al. (1993): the N-terminal amino group's pKa for these first
// residues, the C-terminal carboxyl's for a last Asp or Glu.
constexpr TerminalPka kBjellqvistNTerminal[] = {{'A', 7.59}, {'M', 7.0},  {'S', 6.93}, {'P', 8.36},
                                                {'T', 6.82}, {'V', 7.44}, {'E', 7.7}};
constexpr TerminalPka kBjellqvistCTerminal[] = {{'D', 4.55}, {'E', 4.75}};

// Columns: N-terminus, C-terminus, Asp, Glu, Cys, Tyr, His, Lys, Arg. Where a
// value comes from and where sources differ: charge/README.md.
const PkaSet kSets[] = {
    {"EMBOSS",
     "EMBOSS 6.6.0, data file Epk.dat; P. Rice, I. Longden, A. Bleasby, Trends Genet. 16 (2000) "
     "276–277",
     {7.5, 3.6, 3.9, 4.1, 8.5, 10.1, 6.5, 10.8, 12.5}},
    {"DTASelect",
     "D. L. Tabb, W. H. McDonald, J. R. Yates III, J. Proteome Res. 1 (2002) 21–26; values as in "
     "L. P. Kozlowski, Biol. Direct 11 (2016) 55, Table 1",
     {8.0, 3.1, 4.4, 4.4, 8.5, 10.0, 6.5, 10.0, 12.0}},
    {"Solomon",
     "T. W. G. Solomon, Fundamentals of Organic Chemistry, Wiley; values as in L. P. Kozlowski, "
     "Biol. Direct 11 (2016) 55, Table 1",
     {9.6, 2.4, 3.9, 4.3, 8.3, 10.1, 6.0, 10.5, 12.5}},
    {"Sillero",
     "A. Sillero, J. M. Ribeiro, Anal. Biochem. 179 (1989) 319–325; values as in L. P. Kozlowski, "
     "Biol. Direct 11 (2016) 55, Table 1",
     {8.2, 3.2, 4.0, 4.5, 9.0, 10.0, 6.4, 10.4, 12.0}},
    {"Rodwell",
     "J. D. Rodwell, Anal. Biochem. 119 (1982) 440–449; values as in L. P. Kozlowski, Biol. "
     "Direct 11 (2016) 55, Table 1",
     {8.0, 3.1, 3.68, 4.25, 8.33, 10.07, 6.0, 11.5, 11.5}},
    {"Lehninger",
     "D. L. Nelson, M. M. Cox, Lehninger Principles of Biochemistry, W. H. Freeman; values as in "
     "L. P. Kozlowski, Biol. Direct 11 (2016) 55, Table 1",
     {9.69, 2.34, 3.86, 4.25, 8.33, 10.0, 6.0, 10.5, 12.4}},
    {"Grimsley",
     "G. R. Grimsley, J. M. Scholtz, C. N. Pace, Protein Sci. 18 (2009) 247–251 (average pKa "
     "values in folded proteins)",
     {7.7, 3.3, 3.5, 4.2, 6.8, 10.3, 6.6, 10.5, 12.04}},
    {"Thurlkill",
     "R. L. Thurlkill, G. R. Grimsley, J. M. Scholtz, C. N. Pace, Protein Sci. 15 (2006) "
     "1214–1218 (alanine pentapeptides; Arg as in L. P. Kozlowski, Biol. Direct 11 (2016) 55)",
     {8.0, 3.67, 3.67, 4.25, 8.55, 9.84, 6.54, 10.4, 12.0}},
    {"Nozaki-Tanford",
     "Y. Nozaki, C. Tanford, Methods Enzymol. 11 (1967) 715–734; values as in L. P. Kozlowski, "
     "Biol. Direct 11 (2016) 55, Table 1",
     {7.5, 3.8, 4.0, 4.4, 9.5, 9.6, 6.3, 10.4, 12.0}},
    {"Bjellqvist",
     "B. Bjellqvist et al., Electrophoresis 14 (1993) 1023–1031; B. Bjellqvist et al., "
     "Electrophoresis 15 (1994) 529–539",
     {7.5, 3.55, 4.05, 4.45, 9.0, 10.0, 5.98, 10.0, 12.0},
     kBjellqvistNTerminal,
     kBjellqvistCTerminal},
    {"IPC protein",
     "L. P. Kozlowski, IPC – Isoelectric Point Calculator, Biol. Direct 11 (2016) 55 (set "
     "optimised on proteins)",
     {9.094, 2.869, 3.872, 4.412, 7.555, 10.85, 5.637, 9.052, 11.84}},
    {"IPC peptide",
     "L. P. Kozlowski, IPC – Isoelectric Point Calculator, Biol. Direct 11 (2016) 55 (set "
     "optimised on peptides)",
     {9.564, 2.383, 3.887, 4.317, 8.297, 10.071, 6.018, 10.517, 12.503}},
};

char folded(char c) {
    // ASCII case alone, whatever the locale; a command line's "-" for a space.
    if (c == ' ')
        return '-';
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool sameName(std::string_view a, std::string_view b) {
    const auto lower = folded;
    return std::ranges::equal(a, b, [&lower](char x, char y) { return lower(x) == lower(y); });
}

double terminalPka(std::span<const TerminalPka> table, char residue, double general) {
    for (const TerminalPka& t : table) {
        if (t.residue == residue) {
            return t.pKa;
        }
    }
    return general;
}

}  // namespace

std::span<const PkaSet> pkaSets() {
    return kSets;
}

const PkaSet& findPkaSet(std::string_view name) {
    for (const PkaSet& set : kSets) {
        if (sameName(set.name, name)) {
            return set;
        }
    }
    std::string names;
    for (const PkaSet& set : kSets) {
        names += (names.empty() ? "" : ", ") + std::string(set.name);
    }
    throw platform::Exception("No pKa set is called " + platform::quotedForMessage(name) +
                              "; the sets are " + names);
}

double pKaOf(const PkaSet& set, Group g, const IonizableGroups& groups) {
    const double general = set.pKa[static_cast<int>(g)];
    if (g == Group::NTerminus) {
        return terminalPka(set.nTerminal, groups.nTerminalResidue, general);
    }
    if (g == Group::CTerminus) {
        return terminalPka(set.cTerminal, groups.cTerminalResidue, general);
    }
    return general;
}

std::string commandLineName(const PkaSet& set) {
    std::string name;
    for (const char c : set.name)
        name += folded(c);
    return name;
}

}  // namespace charge
