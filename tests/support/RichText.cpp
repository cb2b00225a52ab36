// SPDX-License-Identifier: GPL-3.0-or-later

#include "tests/support/RichText.h"

namespace platform {

void PrintTo(const RichDocument& doc, std::ostream* os) {
    for (const Paragraph& p : doc.paragraphs()) {
        *os << "\n  ";
        for (const TextRun& run : p.runs) {
            const CharFormat& f = run.format;
            *os << '[' << run.text << '|' << f.face << ' ' << f.halfPoints << (f.bold ? " b" : "")
                << (f.italic ? " i" : "") << (f.underline ? " u" : "") << (f.strikeOut ? " s" : "")
                << ' ' << colorName(f.color) << ']';
        }
    }
}

}  // namespace platform
