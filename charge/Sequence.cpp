// SPDX-License-Identifier: GPL-3.0-or-later

#include "charge/Sequence.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <sstream>

#include "platform/base/MessageText.h"

namespace charge {

namespace {

// A note names at most this many further records, so that a large file
// gives a readable note.
constexpr std::size_t kNamedRecords = 5;

// The letters of the titrating side chains, in the order of Group from Asp.
constexpr char kSideChains[] = "DECYHKR";

// ASCII alone, whatever the locale: in a single-byte locale std::isalpha
// would take accented letters for residues.
bool isLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && isBlank(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

// The whole UTF-8 character that starts at byte i, for the message.
std::string_view characterAt(std::string_view line, std::size_t i) {
    std::size_t end = i + 1;
    while (end < line.size() && (static_cast<unsigned char>(line[end]) & 0xC0) == 0x80) {
        ++end;
    }
    return line.substr(i, end - i);
}

// Byte i is the column: every character before it on a sequence line is
// ASCII, as any other is refused.
[[noreturn]] void refuseCharacter(std::string_view line, std::size_t i, std::size_t lineNumber,
                                  std::string_view why) {
    throw SequenceError("Line " + std::to_string(lineNumber) + ", column " + std::to_string(i + 1) +
                        ": " + platform::quotedForMessage(characterAt(line, i)) + " " +
                        std::string(why));
}

// The residues of sequence lines, one line at a time.
class ResidueReader {
  public:
    void read(std::string_view line, std::size_t lineNumber) {
        for (std::size_t i = 0; i < line.size(); ++i) {
            const char c = line[i];
            if (isBlank(c) || (c >= '0' && c <= '9')) {
                continue;
            }
            if (m_stopLine != 0) {
                refuseCharacter(m_stopText, m_stopIndex, m_stopLine,
                                "ends the sequence and may be followed by nothing else");
            }
            if (c == '*') {
                m_stopText = std::string(line);
                m_stopIndex = i;
                m_stopLine = lineNumber;
            } else if (isLetter(c)) {
                m_residues += c >= 'a' ? static_cast<char>(c - 'a' + 'A') : c;
            } else {
                refuseCharacter(line, i, lineNumber, "is not an amino-acid letter");
            }
        }
    }
    std::string& residues() { return m_residues; }

  private:
    std::string m_residues;
    std::string m_stopText;  // the line of the '*', for a message at a later line
    std::size_t m_stopIndex = 0;
    std::size_t m_stopLine = 0;
};

std::string furtherRecordsNote(const std::vector<std::string>& titles) {
    std::string note = std::to_string(titles.size()) +
                       (titles.size() == 1 ? " further record" : " further records") +
                       " not read: ";
    for (std::size_t k = 0; k < titles.size() && k < kNamedRecords; ++k) {
        note += (k == 0 ? "" : ", ") + platform::quotedForMessage(titles[k]);
    }
    if (titles.size() > kNamedRecords) {
        note += " and " + std::to_string(titles.size() - kNamedRecords) + " more";
    }
    return note;
}

void addLetterNotes(ProteinSequence& s) {
    const std::array<int, 26> n = s.composition();
    auto count = [&n](char letter) { return n[letter - 'A']; };
    if (count('U') > 0) {
        s.notes.push_back(std::to_string(count('U')) + " U (selenocysteine) titrated as C");
    }
    if (count('O') > 0) {
        s.notes.push_back(std::to_string(count('O')) + " O (pyrrolysine) titrated as K");
    }
    std::string untitrated;
    int total = 0;
    for (const char letter : {'B', 'J', 'X', 'Z'}) {
        if (count(letter) > 0) {
            untitrated += (total == 0 ? "" : ", ") + std::to_string(count(letter)) + " " + letter;
            total += count(letter);
        }
    }
    if (total > 0) {
        s.notes.push_back(std::to_string(total) + (total == 1 ? " residue" : " residues") +
                          " of uncertain identity not titrated (" + untitrated + ")");
    }
}

}  // namespace

std::array<int, 26> ProteinSequence::composition() const {
    std::array<int, 26> counts{};
    for (const char c : residues) {
        if (c >= 'A' && c <= 'Z') {
            ++counts[c - 'A'];
        }
    }
    return counts;
}

ProteinSequence readSequence(std::string_view text) {
    if (text.starts_with("\xEF\xBB\xBF")) {
        text.remove_prefix(3);  // a byte-order mark some editors write
    }
    const bool fasta = trimmed(text).starts_with('>');
    ProteinSequence sequence;
    ResidueReader reader;
    std::vector<std::string> furtherTitles;
    bool inFirstRecord = !fasta;
    bool seenTitle = false;
    std::size_t lineNumber = 0;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        ++lineNumber;
        if (fasta && trimmed(line).starts_with('>')) {
            const std::string_view title = trimmed(trimmed(line).substr(1));
            if (!seenTitle) {
                sequence.name = std::string(title);
                inFirstRecord = seenTitle = true;
            } else {
                inFirstRecord = false;
                furtherTitles.emplace_back(title);
            }
        } else if (inFirstRecord) {
            reader.read(line, lineNumber);
        }
    }
    sequence.residues = std::move(reader.residues());
    if (sequence.residues.empty()) {
        throw SequenceError(fasta
                                ? "The first record, " + platform::quotedForMessage(sequence.name) +
                                      ", has no residues"
                                : std::string("The text holds no residues"));
    }
    if (!furtherTitles.empty()) {
        sequence.notes.push_back(furtherRecordsNote(furtherTitles));
    }
    addLetterNotes(sequence);
    return sequence;
}

int chargeSign(Group g) {
    switch (g) {
        case Group::NTerminus:
        case Group::His:
        case Group::Lys:
        case Group::Arg:
            return +1;
        default:
            return -1;
    }
}

const char* groupName(Group g) {
    static const char* const names[kGroupCount] = {"N-terminus", "C-terminus", "Asp", "Glu", "Cys",
                                                   "Tyr",        "His",        "Lys", "Arg"};
    return names[static_cast<int>(g)];
}

char titrationLetter(char residue) {
    switch (residue) {
        case 'U':
            return 'C';
        case 'O':
            return 'K';
        case 'B':
        case 'J':
        case 'X':
        case 'Z':
            return 0;
        default:
            return residue;
    }
}

IonizableGroups countGroups(const ProteinSequence& sequence, const TitrationOptions& options) {
    IonizableGroups groups;
    auto add = [&groups](Group g) { ++groups.counts[static_cast<int>(g)]; };
    for (const char residue : sequence.residues) {
        const char letter = titrationLetter(residue);
        if (const char* side = letter == 0 ? nullptr : std::strchr(kSideChains, letter)) {
            add(static_cast<Group>(static_cast<int>(Group::Asp) + (side - kSideChains)));
        }
    }
    const int cys = groups[Group::Cys];
    if (options.disulfideBridges < 0) {
        throw platform::Exception("The number of disulfide bridges cannot be negative (" +
                                  std::to_string(options.disulfideBridges) + ")");
    }
    if (options.disulfideBridges > cys / 2) {
        throw platform::Exception(std::to_string(options.disulfideBridges) +
                                  (options.disulfideBridges == 1 ? " disulfide bridge needs "
                                                                 : " disulfide bridges need ") +
                                  std::to_string(2 * options.disulfideBridges) +
                                  " Cys; the sequence has " + std::to_string(cys) +
                                  ", enough for at most " + std::to_string(cys / 2));
    }
    groups.counts[static_cast<int>(Group::Cys)] -= 2 * options.disulfideBridges;
    if (!sequence.residues.empty() && !options.nTerminusBlocked) {
        add(Group::NTerminus);
        groups.nTerminalResidue = sequence.residues.front();
    }
    if (!sequence.residues.empty() && !options.cTerminusBlocked) {
        add(Group::CTerminus);
        groups.cTerminalResidue = sequence.residues.back();
    }
    return groups;
}

ProteinSequence readSequenceFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw SequenceError("Cannot open \"" + path + "\"");
    std::ostringstream text;
    text << in.rdbuf();
    return readSequence(text.str());
}

TitrationOptions fittedTo(const ProteinSequence& sequence, TitrationOptions options) {
    const std::array<int, 26> letters = sequence.composition();
    const int cys = letters['C' - 'A'] + letters['U' - 'A'];
    options.disulfideBridges = std::clamp(options.disulfideBridges, 0, cys / 2);
    return options;
}

const char* terminusText(bool blocked) {
    return blocked ? "blocked" : "free";
}

bool blockedFromText(std::string_view text) {
    const auto is = [text](std::string_view word) {
        return text.size() == word.size() &&
               std::equal(text.begin(), text.end(), word.begin(), [](char a, char b) {
                   return (a >= 'A' && a <= 'Z' ? a - 'A' + 'a' : a) == b;
               });
    };
    if (is("blocked"))
        return true;
    if (is("free"))
        return false;
    throw platform::Exception("A terminus is \"free\" or \"blocked\", not " +
                              platform::quotedForMessage(text));
}

}  // namespace charge
