// SPDX-License-Identifier: GPL-3.0-or-later

#include "charge/Sequence.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <optional>
#include <sstream>

#include "platform/base/MessageText.h"

namespace charge {

namespace {

// A note names at most this many further records, so that a large file
// gives a readable note.
constexpr std::size_t kNamedRecords = 5;

// Far beyond the longest protein (titin, some 35,000 residues) and any line
// of a sequence file: a longer text is no sequence, and is refused before
// it fills the memory.
constexpr std::size_t kMaxResidues = 1'000'000;
constexpr std::size_t kMaxLine = 1 << 22;

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

std::string furtherRecordsNote(const std::vector<std::string>& titles, std::size_t count) {
    std::string note = std::to_string(count) +
                       (count == 1 ? " further record" : " further records") + " not read: ";
    for (std::size_t k = 0; k < titles.size() && k < kNamedRecords; ++k) {
        note += (k == 0 ? "" : ", ") + platform::quotedForMessage(titles[k]);
    }
    if (count > kNamedRecords) {
        note += " and " + std::to_string(count - kNamedRecords) + " more";
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

namespace {

// The reader of either form, fed one line at a time, so that a file is read
// without holding it whole.
class SequenceParser {
  public:
    void line(std::string_view line) {
        ++m_lineNumber;
        if (!m_form) {
            const std::string_view t = trimmed(line);
            if (t.empty())
                return;
            m_form = t.starts_with('>') ? Form::Fasta : Form::Plain;
            m_inFirstRecord = *m_form == Form::Plain;
        }
        if (*m_form == Form::Fasta && trimmed(line).starts_with('>')) {
            const std::string_view title = trimmed(trimmed(line).substr(1));
            if (!m_seenTitle) {
                m_sequence.name = std::string(title);
                m_inFirstRecord = m_seenTitle = true;
            } else {
                m_inFirstRecord = false;
                if (m_furtherTitles.size() < kNamedRecords)
                    m_furtherTitles.emplace_back(title);
                ++m_furtherRecords;
            }
        } else if (m_inFirstRecord) {
            m_reader.read(line, m_lineNumber);
            if (m_reader.residues().size() > kMaxResidues)
                throw SequenceError("Line " + std::to_string(m_lineNumber) +
                                    ": the sequence runs past " + std::to_string(kMaxResidues) +
                                    " residues, far beyond any protein");
        }
    }
    std::size_t lineNumber() const { return m_lineNumber; }

    ProteinSequence finish() {
        const bool fasta = m_form == Form::Fasta;
        m_sequence.residues = std::move(m_reader.residues());
        if (m_sequence.residues.empty()) {
            throw SequenceError(fasta ? "The first record, " +
                                            platform::quotedForMessage(m_sequence.name) +
                                            ", has no residues"
                                      : std::string("The text holds no residues"));
        }
        if (m_furtherRecords > 0)
            m_sequence.notes.push_back(furtherRecordsNote(m_furtherTitles, m_furtherRecords));
        addLetterNotes(m_sequence);
        return std::move(m_sequence);
    }

  private:
    enum class Form { Fasta, Plain };
    std::optional<Form> m_form;  // from the first line that is not blank
    ProteinSequence m_sequence;
    ResidueReader m_reader;
    std::vector<std::string> m_furtherTitles;  // the first few
    std::size_t m_furtherRecords = 0;
    bool m_inFirstRecord = false;
    bool m_seenTitle = false;
    std::size_t m_lineNumber = 0;
};

}  // namespace

ProteinSequence readSequence(std::string_view text) {
    if (text.starts_with("\xEF\xBB\xBF")) {
        text.remove_prefix(3);  // a byte-order mark some editors write
    }
    SequenceParser parser;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        parser.line(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    }
    return parser.finish();
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
        throw SequenceError("Cannot open \"" + path + "\": " + std::strerror(errno));
    SequenceParser parser;
    std::string line;
    bool first = true;
    // Line by line, each at most kMaxLine bytes: memory stays small however
    // large the file, and a file that is no sequence is refused early.
    while (in.peek() != std::char_traits<char>::eof()) {
        line.clear();
        for (int c; (c = in.get()) != std::char_traits<char>::eof() && c != '\n';) {
            if (line.size() == kMaxLine)
                throw SequenceError("\"" + path + "\", line " +
                                    std::to_string(parser.lineNumber() + 1) + ": longer than " +
                                    std::to_string(kMaxLine) + " characters, not a sequence");
            line += static_cast<char>(c);
        }
        if (first && line.starts_with("\xEF\xBB\xBF"))
            line.erase(0, 3);
        first = false;
        parser.line(line);
    }
    if (in.bad())
        throw SequenceError("Cannot read \"" + path + "\": " + std::strerror(errno));
    return parser.finish();
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
