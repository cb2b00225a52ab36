// SPDX-License-Identifier: GPL-3.0-or-later

#include "electrokinetics/Salts.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <stdexcept>

#include "model/Solvent.h"
#include "platform/base/NumberText.h"

namespace electrokinetics {

namespace {

constexpr IonSpecies kLithium{"Li+", 1, 38.66};
constexpr IonSpecies kSodium{"Na+", 1, 50.08};
constexpr IonSpecies kPotassium{"K+", 1, 73.48};
constexpr IonSpecies kAmmonium{"NH4+", 1, 73.5};
constexpr IonSpecies kMagnesium{"Mg2+", 2, 53.0};
constexpr IonSpecies kCalcium{"Ca2+", 2, 59.47};
constexpr IonSpecies kChloride{"Cl-", -1, 76.31};
constexpr IonSpecies kBromide{"Br-", -1, 78.1};
constexpr IonSpecies kNitrate{"NO3-", -1, 71.42};
constexpr IonSpecies kDihydrogenPhosphate{"H2PO4-", -1, 36};
constexpr IonSpecies kHydrogenPhosphate{"HPO4 2-", -2, 57};

constexpr double kPhosphatePka2 = 7.20;
constexpr const char* kPhosphatePrefix = "NaPi-";

std::string lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

}  // namespace

Salt sodiumPhosphate(double pH) {
    if (!(pH >= 5 && pH <= 9)) {
        throw std::invalid_argument("A sodium phosphate buffer needs a pH from 5 to 9.");
    }
    const double basic = 1 / (1 + std::pow(10.0, kPhosphatePka2 - pH));
    return {kPhosphatePrefix + platform::FormatFloat("0.0#", pH),
            {{kSodium, 1 + basic}, {kDihydrogenPhosphate, 1 - basic}, {kHydrogenPhosphate, basic}}};
}

const std::vector<Salt>& salts() {
    static const std::vector<Salt> table = [] {
        std::vector<Salt> t{
            {"NaCl", {{kSodium, 1}, {kChloride, 1}}},
            {"KCl", {{kPotassium, 1}, {kChloride, 1}}},
            {"LiCl", {{kLithium, 1}, {kChloride, 1}}},
            {"NH4Cl", {{kAmmonium, 1}, {kChloride, 1}}},
            {"NaBr", {{kSodium, 1}, {kBromide, 1}}},
            {"KNO3", {{kPotassium, 1}, {kNitrate, 1}}},
            {"CaCl2", {{kCalcium, 1}, {kChloride, 2}}},
            {"MgCl2", {{kMagnesium, 1}, {kChloride, 2}}},
        };
        for (double pH : {6.0, 6.5, 7.0, 7.4, 8.0}) {
            t.push_back(sodiumPhosphate(pH));
        }
        return t;
    }();
    return table;
}

Salt saltByName(const std::string& name) {
    const std::string key = lower(name);
    for (const Salt& s : salts()) {
        if (lower(s.name) == key) {
            return s;
        }
    }
    const std::string prefix = lower(kPhosphatePrefix);
    if (key.rfind(prefix, 0) == 0) {
        // A pH that does not convert says so in its own message.
        return sodiumPhosphate(platform::StrToFloat(name.substr(prefix.size())));
    }
    std::string known;
    for (const Salt& s : salts()) {
        known += (known.empty() ? "" : ", ") + s.name;
    }
    throw std::invalid_argument("Unknown salt \"" + name + "\"; known are " + known +
                                " and NaPi-<pH> for pH 5 to 9.");
}

double ionicStrengthPerMole(const Salt& s) {
    double strength = 0;
    for (const auto& [ion, amount] : s.ions) {
        strength += 0.5 * amount * ion.valence * ion.valence;
    }
    return strength;
}

Electrolyte electrolyteOf(const Salt& s, double temperature, double dielectric,
                          const model::PhysicalConstants& c) {
    if (!(dielectric > 0) || !(273 + temperature > 0)) {
        throw std::invalid_argument(
            "The ions' drag needs a positive dielectric constant and absolute temperature.");
    }
    const double total = 2 * ionicStrengthPerMole(s);
    const double kT = c.Boltzmann * (273 + temperature);
    // Walden's rule: Lambda(T) eta(T) = Lambda(25) eta(25). The drag
    // lambda = N_A e^2 |z| / Lambda (Lambda per equivalent, turned from
    // S cm^2/mol into Gaussian units by e^2 1e7 / eV^2, the program's own
    // volt and coulomb) enters m = eps kT lambda / (6 pi eta e^2), where the
    // viscosity cancels with Walden's factor but for water's at 25.
    const double waldenViscosity = model::waterViscosity(25) * 0.01;  // P
    Electrolyte e;
    for (const auto& [ion, amount] : s.ions) {
        const double drag = dielectric * kT * c.Avogadro * std::abs(ion.valence) * c.ElectronVolt *
                            c.ElectronVolt /
                            (6 * c.Pi * waldenViscosity * 1e7 * c.ElementaryCharge *
                             c.ElementaryCharge * ion.conductivity);
        e.ions.push_back({ion.valence, amount * ion.valence * ion.valence / total, drag});
    }
    return e;
}

}  // namespace electrokinetics
