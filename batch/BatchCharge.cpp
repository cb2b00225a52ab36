// SPDX-License-Identifier: GPL-3.0-or-later

#include "batch/BatchCharge.h"

#include "batch/Batch.h"
#include "cli/Options.h"
#include "platform/base/Exception.h"
#include "platform/base/MessageText.h"
#include "platform/base/NumberText.h"

namespace batch {

namespace {

using cli::UsageError;
using cli::wholeNumber;

constexpr double kPhLow = 0;
constexpr double kPhHigh = 14;
constexpr const char* kPattern = "0.0000";

bool isPh(const std::string& header) {
    const std::string name = platform::splitHeader(header).name;
    return name.size() == 2 && (name[0] == 'p' || name[0] == 'P') &&
           (name[1] == 'h' || name[1] == 'H');
}

}  // namespace

SequenceCharge::SequenceCharge(const charge::ProteinSequence& sequence,
                               const SequenceOptions& options)
    : m_sites(
          charge::titrationSites(charge::countGroups(sequence, options.titration), *options.set)),
      m_isoelectricPoint(charge::isoelectricPoint(m_sites)) {}

const std::array<const char*, 4>& SequenceCharge::columnNames() {
    static const std::array<const char*, 4> names{"PredictedCharge", "ScreenedCharge",
                                                  "BoundCharge", "IsoelectricPoint"};
    return names;
}

std::size_t SequenceCharge::phField(const platform::CsvRecord& header) {
    for (std::size_t i = 0; i < header.fields.size(); ++i)
        if (isPh(header.fields[i]))
            return i;
    throw InputError("line " + std::to_string(header.line) +
                     ": --sequence needs a column pH, the pH of each row");
}

SequenceCharge::RowTexts SequenceCharge::row(const std::string& pHField,
                                             const platform::Dialect& dialect,
                                             const Outcome& outcome) const {
    RowTexts out;
    const std::size_t from = pHField.find_first_not_of(" \t");
    const std::size_t to = pHField.find_last_not_of(" \t");
    const std::string text =
        from == std::string::npos
            ? std::string()
            : platform::programNumber(std::string_view(pHField).substr(from, to - from + 1),
                                      dialect);
    if (text.empty() || !outcome.ok() || !outcome.row || !outcome.row->sample)
        return out;
    double pH = 0;
    try {
        pH = platform::StrToFloat(text);
    } catch (const platform::EConvertError&) {
        out.error = "pH " + platform::quotedForMessage(pHField) + " is not a number";
        return out;
    }
    if (!(pH >= kPhLow && pH <= kPhHigh)) {
        out.error = "pH " + platform::quotedForMessage(pHField) + " is outside 0 to 14";
        return out;
    }
    const auto put = [&](std::size_t k, double v) {
        out.texts[k] = platform::dialectNumber(platform::FormatFloat(kPattern, v), dialect);
    };
    put(0, charge::netCharge(m_sites, pH));
    try {
        const charge::SampleCharge c =
            charge::sampleCharge(m_sites, pH, outcome.row->sample->state);
        put(1, c.screened);
        put(2, c.bound);
    } catch (const platform::Exception& e) {
        out.error = std::string("no screened charge: ") + e.what();
        return out;
    }
    if (m_isoelectricPoint)
        put(3, *m_isoelectricPoint);
    return out;
}

bool takeSequenceOption(int argc, char** argv, int& i, SequenceArguments& args) {
    const std::string arg = argv[i];
    const auto value = [&]() -> std::string {
        if (i + 1 >= argc)
            throw UsageError(arg + " needs a value");
        return argv[++i];
    };
    if (arg == "--sequence") {
        args.file = value();
    } else if (arg == "--pka-set") {
        const std::string name = value();
        std::string names;
        for (const charge::PkaSet& set : charge::pkaSets()) {
            names += (names.empty() ? "" : ", ") + charge::commandLineName(set);
            if (charge::commandLineName(set) == name)
                args.options.set = &set;
        }
        if (!args.options.set || charge::commandLineName(*args.options.set) != name)
            throw UsageError("--pka-set needs one of " + names + ", not " +
                             platform::quotedForMessage(name));
        args.given.push_back(arg);
    } else if (arg == "--disulfides") {
        args.options.titration.disulfideBridges =
            static_cast<int>(wholeNumber(arg, value(), 0, 1000));
        args.given.push_back(arg);
    } else if (arg == "--blocked-n") {
        args.options.titration.nTerminusBlocked = true;
        args.given.push_back(arg);
    } else if (arg == "--blocked-c") {
        args.options.titration.cTerminusBlocked = true;
        args.given.push_back(arg);
    } else {
        return false;
    }
    return true;
}

std::optional<SequenceCharge> SequenceCharge::fromArguments(const SequenceArguments& args) {
    if (!args.file) {
        if (!args.given.empty())
            throw UsageError(args.given.front() + " needs --sequence FILE");
        return std::nullopt;
    }
    charge::ProteinSequence sequence;
    try {
        sequence = charge::readSequenceFile(*args.file);
    } catch (const charge::SequenceError& e) {
        const std::string what = e.what();
        // The reader's own refusal names the place, not the file.
        if (what.find(*args.file) != std::string::npos)
            throw;
        throw charge::SequenceError("--sequence " + *args.file + ": " + what);
    }
    try {
        return SequenceCharge(sequence, args.options);
    } catch (const platform::Exception& e) {
        throw UsageError(std::string("--disulfides: ") + e.what() + " (" + *args.file + ")");
    }
}

std::string sequenceHelp() {
    std::string names;
    for (const charge::PkaSet& set : charge::pkaSets())
        names += (names.empty() ? "" : ", ") + charge::commandLineName(set);
    std::string text =
        "  --sequence FILE    a protein sequence (FASTA or one-letter text); with a\n"
        "                     column pH the output gains, before Error,\n"
        "                     PredictedCharge (Henderson-Hasselbalch), ScreenedCharge\n"
        "                     (at the row's conditions), BoundCharge (z minus the\n"
        "                     screened charge) and IsoelectricPoint; a file without\n"
        "                     pH is refused\n"
        "  --pka-set NAME     the pKa set (emboss): ";
    // The names wrapped under the option's text.
    std::size_t column = 42;
    for (std::size_t from = 0; from < names.size();) {
        std::size_t to = names.find(' ', from);
        to = to == std::string::npos ? names.size() : to + 1;
        if (column + (to - from) > 80) {
            text.pop_back();  // the space before the break
            text += "\n                     ";
            column = 21;
        }
        text += names.substr(from, to - from);
        column += to - from;
        from = to;
    }
    return text +
           "\n"
           "  --disulfides N     S-S bridges, each taking two Cys out (0)\n"
           "  --blocked-n        the N-terminus blocked (acetylated)\n"
           "  --blocked-c        the C-terminus blocked (amidated)\n";
}

}  // namespace batch
