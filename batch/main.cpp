// SPDX-License-Identifier: GPL-3.0-or-later

// quorvin-batch: the main window's calculation for every row of a CSV file.

#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iostream>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "batch/Batch.h"
#include "batch/BatchCharge.h"
#include "batch/RunFiles.h"
#include "cli/Options.h"
#include "electrokinetics/ModelChoice.h"
#include "electrokinetics/Salts.h"
#include "model/InputRule.h"
#include "model/Quantities.h"
#include "platform/base/AtomicFile.h"
#include "platform/base/Csv.h"
#include "platform/base/Exception.h"
#include "platform/base/MessageText.h"
#include "platform/base/NumberText.h"
#include "platform/base/TempFiles.h"
#include "platform/richtext/Rtf.h"
#include "series/Row.h"

namespace {

constexpr const char* kHelpStart = R"(Usage: quorvin-batch [options] [INPUT.csv]

Runs Quorvin's calculation for every row of a CSV file (RFC 4180: a header
row, fields in double quotes where needed, CR LF or LF line ends) and writes
one output row per input row. A file whose first line has more semicolons
than commas is read with ";" between fields and "," as the decimal mark, as
spreadsheets write it where the comma is the decimal mark, and answered the
same way. Without INPUT, or with "-", reads standard input.

Each row starts from the program's start-up values and enters its values as
a user would in the window, with the same limits:
)";

constexpr const char* kHelpHeaders =
    R"help(Column names ignore case, spaces, "_" and "-" and take common synonyms
("Ionic strength", "Temp", "T", "I", "Rs", "Electrophoretic mobility", "z").
A header may carry its unit in parentheses or brackets, in its usual
spellings: "Mobility (10^-4 cm^2/(V s))", "Mobility [um cm/(V s)]",
"Temperature (degC)", "IonicStrength (mol/L)"; mM and uM, Angstrom, uS/cm,
S/m, uA and mm^2 are converted. Temperature in K is refused (the program
takes the absolute temperature as C + 273), as is any other unit, and a
header that resembles a column without naming one ("Mobilty", "Sigma
value"); the message names the column. Other columns (pH, a buffer, notes)
are copied to the output.
)help";

constexpr const char* kHelpEnd =
    R"(outside its limits gives that row an error in the Error column; the other
rows go on.

The solvent: a column Solvent holding "water" makes the row's viscosity and
dielectric constant those of water at its temperature (Huber et al. 2009;
Malmberg and Maryott 1956), the viscosity times RelativeViscosity, the
buffer's viscosity relative to water's (1 when empty); such a row gives no
Viscosity or Dielectric of its own. Empty: both as given.

The electrokinetic model: a column Model holding dhh, henry, ohshima,
ohshima-relaxation or standard gives the row's model (see --model); empty:
the run's. Under ohshima-relaxation and standard the sphere is the Stokes
radius and the ions are points of the salt (a column Salt, or --salt;
under the other models a Salt column is a note): SaltIonRadius is not
used, a is the Stokes radius, and HenryFunction and DhhSlope are their
limits at vanishing charge (Henry's exact function). z follows from z* by
the model, inverted: where z* has a maximum against z (Ka above about 3),
a z* above it has no valence (the row's Error says so) and one below it
two, of which the lower is taken and both are named on standard error.

The zeta potential: a column Zeta (mV) as an instrument reports it is
turned back into the mobility the instrument measured, by the conversion
it used: a column ZetaModel, or --zeta-model, holding smoluchowski
(mobility = 1.5 f0 zeta), huckel (f0 zeta) or henry (f(Ka) f0 zeta,
Henry's exact function at the row's Ka), f0 = eps / (6 pi eta) with the
row's dielectric constant and viscosity; z then follows from that mobility
by the row's model. A row with a Zeta and no conversion gets an error, as
does a row with Zeta beside SD columns (its uncertainty is not propagated).

Sigma and Mobility may be negative (migration toward the anode): z, z*,
Sigma and the mobility then take the sign, and 0 gives z = z* = 0. The main
window takes only positive ones.

The output has the columns Sample, then the input columns and the columns
the program does not know (pH, a buffer, notes), as they came and in their
order, then the results: ClosestApproach (a, nm), InverseDebyeLength (K,
cm^-1), Ka, HenryFunction, DhhSlope (z*/z), EFieldResult, SigmaResult,
MobilityResult, EffectiveValenceResult, ValenceResult, GeMax (Ge at z,
kJ/mol), ViscosityResult (cP) and DielectricResult (the solvent's values the
row used), ZetaResult (the zeta potential of z, mV: Debye-Hueckel's at the
sphere under dhh, henry and ohshima, the Poisson-Boltzmann surface
potential under the others) and Error, holding the texts the window shows after the row's
last entry. A result that is also an input carries "Result" after its name,
so that the output, or a series the window saved, reads back with its
inputs as inputs: its results are calculated again, and a result that
differs from the file's is named on standard error.

Uncertainty: beside any column X of Temperature to RelativeViscosity
(Valence and EffectiveValence excepted), a column XSD
gives the standard uncertainty of X in the same unit (empty: 0, at most the
width of X's range) and XDist its distribution, normal (the default) or
rectangular (half-width XSD times the square root of 3). When the file has
an SD column, the output gains, before Error, ValenceGumU (u of z by the
law of propagation, GUM), ValenceMean, ValenceU, ValenceLow and ValenceHigh
(Monte Carlo mean, standard deviation and 95 % coverage interval), the same
five for EffectiveValence, and UncertaintyRejected (values drawn outside
their limits and drawn again), with 6 significant digits. The values the
row does not use (E with the current given, the viscosity with Sigma
measured) take no part. A row that enters Valence or EffectiveValence has
nothing measured and gets an error.

Options:
  -o, --output FILE  write the output to FILE instead of standard output
  --log FILE         write each row's last log entry, as the report window
                     shows it; as RTF when FILE ends in .rtf, else plain text
  --dat DIR          write each row's z and Ge values into DIR/<row>.DAT, or
                     DIR/<row>-<Sample>.DAT, as the window's .DAT command does
  --draws N          Monte Carlo draws per row, 10000 to 10000000 (200000)
  --seed S           the Monte Carlo seed, a whole number from 0 (1); the
                     same seed gives the same digits
  --model M          the electrokinetic model of the rows without a Model:
                     dhh, the program's fit of Henry's function (the
                     default), henry, Henry's exact function for a sphere,
                     ohshima, Ohshima's approximation (1994),
                     ohshima-relaxation, Ohshima's approximation with
                     relaxation (2001), or standard, the standard
                     electrokinetic model solved numerically; z and z*
                     from Sigma or the mobility, Sigma from z or z*, and
                     the uncertainty follow it (not yet under
                     ohshima-relaxation and standard: such rows with SD
                     columns get an error)
  --zeta-model NAME  the conversion of a Zeta in the rows without a
                     ZetaModel: smoluchowski, huckel or henry (none: such
                     rows get an error)
  --salt NAME        the salt of ohshima-relaxation and standard: NaCl (the
                     default), KCl, LiCl, NH4Cl, NaBr, KNO3, CaCl2, MgCl2 or
                     a sodium phosphate buffer NaPi-<pH>, pH 5 to 9
  -h, --help         show this text

Files are replaced only when the run succeeds; a failed run leaves them as
they were. A text field that starts with =, +, -, @, a tab or a CR (a
formula to a spreadsheet; signed numbers excepted) is written after a
single quote, which Quorvin takes off again when it reads the file.
they were. The .DAT files are written into a hidden folder inside DIR and
moved into place at the end; a name longer than the file system allows is
shortened (its row number keeps it unique). The output, the log and the
input must be different files. Standard output is held back in an unnamed
temporary file (in $TMPDIR, else /tmp) and written out only when the whole
input was read and calculated, so a failed run (exit 2) prints nothing.
Ctrl+C or SIGTERM removes the temporary files.

Exit status: 0 when every row was calculated, 1 when some rows report an
error, 2 for a bad command line or input (the message names the line and
column) or a file that cannot be read or written.

Example, a salt series at 25 C with the mobility measured:
  Sample,IonicStrength,Temperature,Mobility
  NaCl 0.01 M,0.01,25,2.10
  NaCl 0.05 M,0.05,25,1.65
  NaCl 0.10 M,0.10,25,1.42

  quorvin-batch --log series.rtf series.csv > results.csv
)";

// The columns with their limits and the start-up values come from the table
// of quantities.
std::string columnLine(model::Quantity q) {
    const model::QuantityInfo& info = model::quantityInfo(q);
    const auto plain = [](double v) { return platform::FormatFloat("0.##########", v); };
    std::string line = "  " + std::string(info.name);
    line.resize(20, ' ');
    line += info.help;
    line.resize(51, ' ');
    // A measurement may be negative: the window's limits mirrored.
    return line + plain(series::isSigned(q) ? -info.high : info.low) + " to " + plain(info.high) +
           "\n";
}

// The sequence options after the others.
std::string withSequenceOptions(std::string text) {
    const std::string last = "show this text\n";
    return text.insert(text.find(last) + last.size(), batch::sequenceHelp());
}

std::string helpText() {
    using model::Quantity;
    std::string text = kHelpStart;
    for (Quantity q :
         {Quantity::Dielectric, Quantity::IonicStrength, Quantity::SaltIonRadius,
          Quantity::Temperature, Quantity::StokesRadius, Quantity::Viscosity, Quantity::EField})
        text += columnLine(q);
    text += "  or all three of\n";
    for (Quantity q : model::kFieldFromCurrent)
        text += columnLine(q);
    text += "  and one of\n";
    for (Quantity q : model::kValenceChain)
        text += columnLine(q);
    const auto start = [](Quantity q) { return std::string(model::quantityInfo(q).startText); };
    text += "  and for the solvent\n";
    text += "  Solvent           water, or empty for the values given\n";
    text += columnLine(Quantity::RelativeViscosity);
    text += "  and for the electrokinetic model\n";
    text += std::string("  Model             ") + model::electrokineticModelNames() +
            ",\n                    or empty for --model's\n";
    text += "  Salt              a salt of --salt, or empty for --salt's\n";
    text += "  and for a Zeta\n";
    text += std::string("  ZetaModel         the instrument's conversion: ") +
            model::zetaModelNames() + ",\n                    or empty for --zeta-model's\n";
    return text + "  Sample            a free label, copied to the output\n" + kHelpHeaders +
           "A condition left out, or an empty field, keeps the start-up value\n(" +
           start(Quantity::Temperature) + " C, " + start(Quantity::IonicStrength) + " M, " +
           start(Quantity::Dielectric) + ", " + start(Quantity::StokesRadius) + " nm, " +
           start(Quantity::SaltIonRadius) + " nm, " + start(Quantity::Viscosity) +
           " cP, E calculated from " + start(Quantity::Current) + " mA,\n" +
           start(Quantity::Conductivity) + " mS/cm and " + start(Quantity::XSection) +
           " cm^2), which one line on standard error names. A file\n"
           "without any of Sigma, Mobility, Valence, EffectiveValence and Zeta is\n"
           "refused, and a row that leaves them empty reports an error. A value\n" +
           withSequenceOptions(kHelpEnd);
}

struct Arguments {
    std::string input = "-";
    std::optional<std::filesystem::path> output;
    std::optional<std::filesystem::path> log;
    std::optional<std::filesystem::path> datDir;
    analysis::MonteCarloOptions monteCarlo;
    batch::SequenceArguments sequence;
    model::ElectrokineticModel electrokinetic = model::ElectrokineticModel::Dhh;
    std::string salt = "NaCl";
    std::optional<model::ZetaModel> zetaModel;
    bool help = false;
};

using cli::UsageError;
using cli::wholeNumber;

Arguments parseArguments(int argc, char** argv) {
    Arguments args;
    bool inputSeen = false;
    bool optionsEnd = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const auto valueOf = [&](const char* option) {
            if (i + 1 >= argc)
                throw UsageError(std::string(option) + " needs a value");
            return std::filesystem::path(argv[++i]);
        };
        if (!optionsEnd && (arg == "-h" || arg == "--help")) {
            args.help = true;
        } else if (!optionsEnd && (arg == "-o" || arg == "--output")) {
            args.output = valueOf("--output");
        } else if (!optionsEnd && arg == "--log") {
            args.log = valueOf("--log");
        } else if (!optionsEnd && arg == "--dat") {
            args.datDir = valueOf("--dat");
        } else if (!optionsEnd && arg == "--draws") {
            args.monteCarlo.draws = static_cast<std::int64_t>(
                wholeNumber("--draws", valueOf("--draws").string(),
                            static_cast<std::uint64_t>(analysis::kMinDraws),
                            static_cast<std::uint64_t>(analysis::kMaxDraws)));
        } else if (!optionsEnd && arg == "--seed") {
            args.monteCarlo.seed = wholeNumber("--seed", valueOf("--seed").string(), 0,
                                               std::numeric_limits<std::uint64_t>::max());
        } else if (!optionsEnd && batch::takeSequenceOption(argc, argv, i, args.sequence)) {
        } else if (!optionsEnd && arg == "--model") {
            const std::string name = valueOf("--model").string();
            const auto m = model::electrokineticModelByName(name);
            if (!m)
                throw UsageError("--model " + name + " is not one of " +
                                 model::electrokineticModelNames());
            args.electrokinetic = *m;
        } else if (!optionsEnd && arg == "--salt") {
            const std::string name = valueOf("--salt").string();
            try {
                args.salt = electrokinetics::saltByName(name).name;
            } catch (const std::exception& e) {
                throw UsageError(e.what());
            }
        } else if (!optionsEnd && arg == "--zeta-model") {
            const std::string name = valueOf("--zeta-model").string();
            args.zetaModel = model::zetaModelByName(name);
            if (!args.zetaModel)
                throw UsageError("--zeta-model " + name + " is not one of " +
                                 model::zetaModelNames());
        } else if (!optionsEnd && arg == "--") {
            optionsEnd = true;
        } else if (!optionsEnd && arg.size() > 1 && arg[0] == '-') {
            throw UsageError("unknown option " + arg);
        } else {
            if (inputSeen)
                throw UsageError("one input file at most, but also " + arg);
            args.input = arg;
            inputSeen = true;
        }
    }
    return args;
}

bool isRtfName(const std::filesystem::path& path) {
    std::string ext = path.extension().string();
    for (char& c : ext)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext == ".rtf";
}

// No output may overwrite the input or another output.
void refuseSharedPaths(const Arguments& args) {
    std::vector<batch::RunPath> outputs;
    if (args.output)
        outputs.push_back({"--output", *args.output});
    if (args.log)
        outputs.push_back({"--log", *args.log});
    batch::refuseSharedPaths(args.input, outputs);
}

// Where the run's output goes until it has succeeded: an atomic file, or
// standard output held back in a temporary file.
struct RunOutputs {
    std::unique_ptr<platform::AtomicFileWriter> output;
    std::unique_ptr<batch::HeldOutput> held;
    std::unique_ptr<platform::AtomicFileWriter> log;
    std::unique_ptr<batch::DatFolder> dat;

    explicit RunOutputs(const Arguments& args) {
        platform::removeTemporariesOnSignal();
        if (args.output)
            output = std::make_unique<platform::AtomicFileWriter>(*args.output);
        else
            held = std::make_unique<batch::HeldOutput>();
        if (args.log)
            log = std::make_unique<platform::AtomicFileWriter>(*args.log);
        if (args.datDir)
            dat = std::make_unique<batch::DatFolder>(*args.datDir);
    }
    void write(std::string_view data) {
        if (output)
            output->write(data);
        else
            held->write(data);
    }
    // Everything in place at once, only after the whole run succeeded.
    void commit() {
        if (dat) {
            if (const std::size_t shortened = dat->commit(); shortened > 0)
                std::cerr << "quorvin-batch: " << shortened
                          << " .DAT file names were shortened to fit the file system\n";
        }
        if (log)
            log->commit();
        if (output)
            output->commit();
        else
            held->commit();
    }
};

int run(const Arguments& args) {
    refuseSharedPaths(args);
    std::ifstream file;
    std::istream* in = &std::cin;
    std::string inputName = "standard input";
    if (args.input != "-") {
        inputName = args.input;
        if (std::filesystem::is_directory(args.input))
            throw batch::InputError("cannot read " + platform::quotedForMessage(args.input) +
                                    ": it is a folder");
        file.open(args.input, std::ios::binary);
        if (!file)
            throw batch::InputError("cannot read " + platform::quotedForMessage(args.input) + ": " +
                                    std::strerror(errno));
        in = &file;
    }

    // Before any file is opened: a sequence that cannot be used changes nothing.
    const std::optional<batch::SequenceCharge> sequence =
        batch::SequenceCharge::fromArguments(args.sequence);

    RunOutputs files(args);
    platform::RtfLineWriter rtf;
    const bool rtfLog = args.log && isRtfName(*args.log);
    if (rtfLog)
        files.log->write(rtf.begin());

    batch::BatchOutput out;
    out.write = [&](std::string_view data) { files.write(data); };
    if (files.log) {
        out.logLine = [&](const std::string& line) {
            if (rtfLog) {
                files.log->write(rtf.line(line));
            } else {
                files.log->write(line);
                files.log->write("\n");
            }
        };
    }
    if (files.dat)
        out.datPath = [&](std::size_t row, const std::string& label) {
            return files.dat->stage(row, label);
        };
    out.notice = [](const std::string& line) { std::cerr << "quorvin-batch: " << line << "\n"; };
    out.monteCarlo = args.monteCarlo;
    if (sequence)
        out.sequence = &*sequence;
    out.electrokinetic = args.electrokinetic;
    out.salt = args.salt;
    out.zetaModel = args.zetaModel;

    batch::BatchSummary summary;
    try {
        summary = batch::runBatch(*in, out);
    } catch (const batch::InputError& e) {
        throw batch::InputError(inputName + ", " + e.what());
    }
    if (args.input != "-" && file.bad())
        throw batch::InputError("cannot read " + platform::quotedForMessage(args.input) + ": " +
                                std::strerror(errno));

    if (rtfLog)
        files.log->write(platform::RtfLineWriter::end());
    files.commit();
    if (summary.failedRows > 0)
        std::cerr << "quorvin-batch: " << summary.failedRows << " of " << summary.rows
                  << " rows report an error\n";
    return summary.failedRows > 0 ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    return cli::runCommand("quorvin-batch", [&] {
        electrokinetics::registerModels();
        const Arguments args = parseArguments(argc, argv);
        if (args.help) {
            std::cout << helpText();
            return 0;
        }
        return run(args);
    });
}
