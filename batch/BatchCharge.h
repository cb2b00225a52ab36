// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "charge/PkaSets.h"
#include "charge/Titration.h"
#include "platform/base/Csv.h"

namespace batch {

struct Outcome;

// What quorvin-batch titrates a sequence with (--pka-set, --disulfides,
// --blocked-n, --blocked-c); EMBOSS, no bridges, both termini free, as the
// charge window starts.
struct SequenceOptions {
    const charge::PkaSet* set = &charge::pkaSets().front();
    charge::TitrationOptions titration;
};

// The sequence options of the command line.
struct SequenceArguments {
    std::optional<std::string> file;  // --sequence
    SequenceOptions options;
    std::vector<std::string> given;  // the other options, for their refusal without a file
};
// Takes argv[i], and its value after it, when it is a sequence option;
// false for any other argument. A bad value is a UsageError.
bool takeSequenceOption(int argc, char** argv, int& i, SequenceArguments& args);
// The lines of --help that describe them.
std::string sequenceHelp();

// The charge a sequence predicts for each row of a file with a pH column:
// the columns PredictedCharge, ScreenedCharge (at the row's conditions),
// BoundCharge (z minus the screened charge) and IsoelectricPoint.
class SequenceCharge {
  public:
    // Refuses bridges the sequence has no Cys for (platform::Exception).
    SequenceCharge(const charge::ProteinSequence& sequence, const SequenceOptions& options);
    static const std::array<const char*, 4>& columnNames();

    // The field of the header row that holds the pH; InputError when none.
    static std::size_t phField(const platform::CsvRecord& header);
    // The row's four texts, in the output's decimal mark; empty for a row
    // without results or without a pH. A pH that is no number from 0 to 14
    // gives the row's error instead.
    struct RowTexts {
        std::array<std::string, 4> texts;
        std::string error;
    };
    RowTexts row(const std::string& pHField, const platform::Dialect& dialect,
                 const Outcome& outcome) const;

    // From the command line; none without --sequence. The file's refusal
    // names it; options without --sequence and bridges the sequence has no
    // Cys for are UsageErrors.
    static std::optional<SequenceCharge> fromArguments(const SequenceArguments& args);

  private:
    std::vector<charge::Site> m_sites;
    std::optional<double> m_isoelectricPoint;
};

}  // namespace batch
