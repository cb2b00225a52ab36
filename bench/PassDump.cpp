// SPDX-License-Identifier: GPL-3.0-or-later

// pass_dump [PASSES] [SEED]: a session of random edits of the main window's
// sample, as its dialogs make them, one recalculation pass after each, and
// for every pass its log entry and .DAT lines on stdout. Two builds that
// write the same bytes compute the same texts, log and export
// (compare_passes.py). Not a benchmark: a comparison tool beside them.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <random>
#include <string>
#include <vector>

#include "log/LogEntry.h"
#include "model/FieldTable.h"
#include "model/Recalculate.h"
#include "model/Sample.h"

namespace {

using model::Quantity;

struct Range {
    Quantity quantity;
    double low;
    double high;
};

// Mostly within the entry limits; the ends and a little beyond them too, so
// that refusals come up now and then.
constexpr Range kRanges[] = {
    {Quantity::Temperature, 0, 100},
    {Quantity::IonicStrength, 0.0001, 6.5},
    {Quantity::Dielectric, 1, 100},
    {Quantity::StokesRadius, 0.1, 1000},
    {Quantity::SaltIonRadius, 0.05, 10},
    {Quantity::Viscosity, 0.001, 10},
    {Quantity::EField, 1e-5, 100},
    {Quantity::Current, 1e-7, 100},
    {Quantity::Conductivity, 1e-6, 500},
    {Quantity::XSection, 0.01, 1},
    {Quantity::Sigma, 0, 300},
    {Quantity::Mobility, 0.0001, 100},
    {Quantity::Valence, -9999, 9999},
    {Quantity::EffectiveValence, -9999, 9999},
    {Quantity::RelativeViscosity, 0.5, 100},
};

std::string numberText(std::mt19937_64& rng, const Range& r) {
    std::uniform_real_distribution<double> unit(0, 1);
    const double u = unit(rng);
    double v;
    if (u < 0.05)
        v = r.low;
    else if (u < 0.08)
        v = r.high * 1.01 + 1e-9;
    else if (u < 0.5)
        v = r.low + (r.high - r.low) * std::pow(unit(rng), 4);
    else
        v = r.low + (r.high - r.low) * unit(rng);
    char text[64];
    std::snprintf(text, sizeof text, "%.*g", static_cast<int>(rng() % 7) + 2, v);
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    const long passes = argc > 1 ? std::atol(argv[1]) : 1000;
    const std::uint64_t seed = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 1;
    std::mt19937_64 rng(seed);
    model::Sample s = model::startUpSample();
    for (long pass = 0; pass < passes; ++pass) {
        // A fresh start now and then, so that every mode of entry is
        // reached from the start-up values too.
        if (rng() % 50 == 0)
            s = model::startUpSample();
        std::vector<model::Entry> entries;
        const int count = 1 + static_cast<int>(rng() % 3);
        for (int k = 0; k < count; ++k) {
            const Range& r = kRanges[rng() % std::size(kRanges)];
            entries.push_back({r.quantity, numberText(rng, r)});
        }
        const bool water = rng() % 4 == 0;
        std::printf("# pass %ld:", pass);
        for (const model::Entry& e : entries)
            std::printf(" %s=%s", model::quantityInfo(e.quantity).name, e.text.c_str());
        std::printf("%s\n", water ? " water" : "");
        model::PointList points;
        model::LineList log;
        // An error ends the step as the window's message box does; the
        // session goes on with the sample as the error left it.
        try {
            if (const std::optional<std::string> error = model::enterAll(s, entries, water))
                std::printf("refused: %s\n", error->c_str());
        } catch (const std::exception& e) {
            std::printf("error on entry: %s\n", e.what());
        }
        try {
            model::Recalculate(s.state, s.fields, points,
                               [&] { calclog::WriteLogEntry(s.state, s.fields, log); });
        } catch (const std::exception& e) {
            std::printf("error in the pass: %s\n", e.what());
        }
        for (const std::string& line : log.lines())
            std::printf("%s\n", line.c_str());
        for (int f = 0; f < model::kFieldCount; ++f) {
            const auto id = static_cast<model::FieldId>(f);
            const platform::Color c = s.fields.color(id);
            std::printf("%s %s %d,%d,%d\n", model::fieldName(id), s.fields.text(id).c_str(), c.r,
                        c.g, c.b);
        }
        // The values behind the texts, to the last bit.
        for (Quantity q :
             {Quantity::Valence, Quantity::EffectiveValence, Quantity::Sigma, Quantity::Mobility,
              Quantity::HenryFunction, Quantity::DhhSlope, Quantity::GeMax})
            std::printf("%s %.17g\n", model::quantityInfo(q).name, s.state.*model::stateMember(q));
        std::printf("DAT\n");
        for (const std::string& line : model::datLines(s.state))
            std::printf("%s\r\n", line.c_str());
    }
    return 0;
}
