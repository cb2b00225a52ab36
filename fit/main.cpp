// SPDX-License-Identifier: GPL-3.0-or-later

// quorvin-fit: Sigma fitted to measured concentration profiles.

#include <chrono>
#include <cstdint>
#include <functional>
#include <iostream>
#include <iterator>
#include <limits>
#include <memory>
#include <new>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli/Options.h"
#include "fit/FitReport.h"
#include "fit/LeastSquares.h"
#include "fit/SigmaFit.h"
#include "platform/base/MessageText.h"

namespace {

constexpr std::int64_t kMaxDraws = 100000;

constexpr const char* kHelp = R"(Usage: quorvin-fit [options] SCAN...

Fits the steady-state parameter Sigma (cm^-1) to each measured concentration
profile SCAN, the signal (absorbance or fluorescence) against the position x
(cm):

  signal(x) = A exp(Sigma (x - xref)) + delta

with xref the middle of the x range used, by weighted nonlinear least squares
(Levenberg-Marquardt): weights 1/SD^2 where the scan gives an SD column,
else equal. "-" reads a scan from standard input.

A scan is either
  columns x, signal and optionally SD, separated by spaces, tabs, commas or
  semicolons, "#" starting a comment, a header row of names allowed, with
  units in () or [] (x in cm, or mm, um or m converted to cm; the signal in
  any unit, the SD in the signal's: Position (mm), x [cm]); or
  the radial scan layout of ultracentrifuge optics: line 1 a description,
  line 2 type, cell, temperature (C), speed, elapsed time (s), omega^2 t,
  wavelength and count (for example "R 1 20.0 3000 7200 7.1E+08 280 1"),
  then rows "x value [SD]".
Numbers are written with "." as the decimal separator; a file whose first
row has a ";" may write them with "," (as spreadsheets do).

The output, CSV on standard output, has one row per scan, and with --global
a row "global", with the columns Scan, Points (used in the fit), Sigma,
SigmaSE (its standard error; scaled by the reduced chi-square when there is
no SD column), SigmaLow95 and SigmaHigh95 (the Monte Carlo 95 % interval:
refits of the best-fit curve plus normal noise of the residuals' spread or
of the given SDs), Amplitude (A), Baseline (delta), ReducedChiSquare and
RunsZ (the runs test of the residuals' signs; beyond +-2 the model does not
describe the data), with 6 significant digits. Notes go to standard error:
points left out above --max-signal, the scan's time and temperature, the
correlation of Sigma with the baseline, and the runs test's warning.

Options:
  --from X        use the points from x = X (cm) on
  --to X          use the points up to x = X (cm)
  --max-signal Y  leave out the points whose signal is above Y
  --no-baseline   hold delta at 0
  --global        also fit all scans together: one Sigma, an amplitude and a
                  baseline for each scan (every scan with an SD column, or
                  none)
  --draws N       Monte Carlo refits per fit, 0 (no interval) to 100000
                  (1000)
  --seed S        the Monte Carlo seed, a whole number from 0 (1); the same
                  seed gives the same digits on any number of cores
  -h, --help      show this text
  -v, --version   show the version and licence

The signals may be in any unit: they are divided by their largest
magnitude for the fit. The fit starts from the best Sigma of a search over
|Sigma| times the x range from 0.01 to 1000, either sign. A scan is refused
with the reason when it has fewer than 3 distinct positions in the range
used, when its signal is the same everywhere or nowhere above 0. A fit is
reported as failed when it is not credible: Sigma at the edge of the values
searched, SigmaSE larger than Sigma, with an SD column a reduced chi-square
below 0.1 or above 10, or a fit that ended at a higher chi-square than its
start. Refits that take longer than a second say how far they are on
standard error; for a fit of more than 2000 points they use every k-th point
of each scan (at most 2000) and their spread is scaled by the square root of
the share used, which a note says.

Exit status: 0 when every fit succeeded, 1 when some fit failed or is not
credible (its row holds only the scan and the points of its file, the
reason goes to standard error), 2
for a bad command line or a scan that cannot be read (the message names the
file, line and column).

Example, three scans of the same cell an hour apart:
  quorvin-fit --global --from 6.2 --to 7.1 scan1.txt scan2.txt scan3.txt
)";

using cli::realNumber;
using cli::UsageError;
using cli::wholeNumber;

struct Arguments {
    std::vector<std::string> scans;
    fit::SigmaFitOptions options;
    bool global = false;
    bool help = false;
    bool version = false;
};

Arguments parseArguments(int argc, char** argv) {
    Arguments args;
    bool optionsEnd = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const auto valueOf = [&](const std::string& option) {
            if (i + 1 >= argc)
                throw UsageError(option + " needs a value");
            return std::string(argv[++i]);
        };
        if (optionsEnd || arg == "-" || arg.empty() || arg[0] != '-')
            args.scans.push_back(arg);
        else if (arg == "--")
            optionsEnd = true;
        else if (arg == "-h" || arg == "--help")
            args.help = true;
        else if (arg == "-v" || arg == "--version")
            args.version = true;
        else if (arg == "--from")
            args.options.from = realNumber(arg, valueOf(arg));
        else if (arg == "--to")
            args.options.to = realNumber(arg, valueOf(arg));
        else if (arg == "--max-signal")
            args.options.maxSignal = realNumber(arg, valueOf(arg));
        else if (arg == "--no-baseline")
            args.options.baseline = false;
        else if (arg == "--global")
            args.global = true;
        else if (arg == "--draws")
            args.options.draws = static_cast<std::int64_t>(
                wholeNumber(arg, valueOf(arg), 0, static_cast<std::uint64_t>(kMaxDraws)));
        else if (arg == "--seed")
            args.options.seed =
                wholeNumber(arg, valueOf(arg), 0, std::numeric_limits<std::uint64_t>::max());
        else
            throw UsageError("unknown option " + arg);
    }
    if (args.help || args.version)
        return args;
    if (args.scans.empty())
        throw UsageError("no scan given");
    if (args.options.from && args.options.to && *args.options.from >= *args.options.to)
        throw UsageError("--from must be less than --to");
    return args;
}

// Every scan is read before anything is written: a file that cannot be read
// stops the run with no output.
std::vector<fit::Scan> readScans(const std::vector<std::string>& names) {
    std::vector<fit::Scan> scans;
    for (const std::string& name : names) {
        if (name == "-") {
            const std::string text((std::istreambuf_iterator<char>(std::cin)),
                                   std::istreambuf_iterator<char>());
            scans.push_back(fit::readScan(text, "standard input"));
        } else {
            scans.push_back(fit::readScanFile(name));
        }
    }
    return scans;
}

// Refits that take longer than a second say how far they are, at most once
// a second, on standard error.
std::function<void(std::int64_t, std::int64_t)> progressFor(const std::string& label) {
    using Clock = std::chrono::steady_clock;
    const auto started = std::make_shared<Clock::time_point>(Clock::now());
    const auto shown = std::make_shared<Clock::time_point>(*started);
    return [=](std::int64_t done, std::int64_t of) {
        const Clock::time_point now = Clock::now();
        if (now - *started < std::chrono::seconds(1) || now - *shown < std::chrono::seconds(1))
            return;
        *shown = now;
        std::cerr << "quorvin-fit: " << platform::safeForTerminal(label) << ": Monte Carlo refits "
                  << done << " of " << of << "\n";
    };
}

// Writes the fit's row and notes; false when it failed or is not credible.
bool report(std::span<const fit::Scan> scans, fit::SigmaFitOptions options, bool global,
            std::size_t points) {
    const std::string label = global ? "global fit" : scans.front().name;
    options.progress = progressFor(label);
    options.keepResiduals = false;  // not written: a long scan's fit holds less
    std::string failure;
    try {
        const fit::SigmaFit result = fit::fitSigma(scans, options);
        if (result.problem.empty()) {
            std::cout << fit::csvRow(result, global);
            for (const std::string& note : fit::fitNotes(result, global))
                std::cerr << "quorvin-fit: " << platform::safeForTerminal(note) << "\n";
            return true;
        }
        failure = label + ": not credible: " + result.problem;
    } catch (const fit::FitError& e) {
        failure = (global ? "global fit: " : "") + std::string(e.what());
    } catch (const std::bad_alloc&) {
        failure =
            label + ": not enough memory for the fit of " + std::to_string(points) + " points";
    }
    std::cout << fit::csvFailedRow(global ? "global" : scans.front().name, points);
    std::cerr << "quorvin-fit: " << platform::safeForTerminal(failure) << "\n";
    return false;
}

int run(const Arguments& args) {
    const std::vector<fit::Scan> scans = readScans(args.scans);
    std::cout << fit::csvHeader();
    int failed = 0;
    std::size_t allPoints = 0;
    for (const fit::Scan& scan : scans) {
        allPoints += scan.x.size();
        // The scan itself, not a copy: a long one is most of the memory.
        failed += report(std::span(&scan, 1), args.options, false, scan.x.size()) ? 0 : 1;
    }
    if (args.global)
        failed += report(scans, args.options, true, allPoints) ? 0 : 1;
    std::cout.flush();
    if (!std::cout)
        throw std::runtime_error("cannot write the output");
    return failed > 0 ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    return cli::runCommand("quorvin-fit", [&] {
        const Arguments args = parseArguments(argc, argv);
        if (args.help) {
            std::cout << kHelp;
        } else if (args.version) {
            std::cout << "quorvin-fit " QUORVIN_VERSION
                         "\nLicense GPL-3.0-or-later: GNU GPL version 3 or later "
                         "<https://gnu.org/licenses/gpl.html>\n";
        } else {
            return run(args);
        }
        return 0;
    });
}
