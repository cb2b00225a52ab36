// SPDX-License-Identifier: GPL-3.0-or-later

#include "model/InputRule.h"

#include <algorithm>

namespace model {

namespace {

template <class Range>
bool contains(const Range& r, Quantity q) {
    return std::find(std::begin(r), std::end(r), q) != std::end(r);
}

}  // namespace

std::string InputConflict::reason() const {
    switch (kind) {
        case Kind::Chain:
            return "use one of Sigma, Mobility, Valence, EffectiveValence and Zeta";
        case Kind::FieldTwice:
            return "give either EField or Current, Conductivity and XSection, not both";
        case Kind::FieldIncomplete:
            break;
    }
    return "E is calculated from all of Current, Conductivity and XSection";
}

std::optional<InputConflict> inputConflict(const std::vector<Quantity>& given) {
    using K = InputConflict::Kind;
    std::optional<Quantity> chain, field, current;
    for (Quantity q : given) {
        if (contains(kValenceChain, q)) {
            if (chain && *chain != q)
                return InputConflict{K::Chain, *chain, q};
            chain = q;
        } else if (q == Quantity::EField || contains(kFieldFromCurrent, q)) {
            const bool entered = q == Quantity::EField;
            if (field && (*field == Quantity::EField) != entered)
                return InputConflict{K::FieldTwice, *field, q};
            field = q;
            if (!entered && !current)
                current = q;
        }
    }
    if (current)
        for (Quantity q : kFieldFromCurrent)
            if (!contains(given, q))
                return InputConflict{K::FieldIncomplete, *current, q};
    return std::nullopt;
}

std::vector<Quantity> startUpConditions(const std::vector<Quantity>& given, bool solvent) {
    const auto has = [&](Quantity q) { return contains(given, q); };
    // The start-up sample enters Sigma; Zeta is a mobility.
    const bool sigmaOrZ = !has(Quantity::Mobility) && !has(Quantity::Zeta);
    const bool mobility = !has(Quantity::Sigma);  // z and z* derive the mobility too
    std::vector<Quantity> out;
    for (Quantity q :
         {Quantity::Temperature, Quantity::IonicStrength, Quantity::Dielectric,
          Quantity::StokesRadius, Quantity::SaltIonRadius, Quantity::Viscosity, Quantity::EField}) {
        if (has(q) || (solvent && (q == Quantity::Dielectric || q == Quantity::Viscosity)))
            continue;
        if (q == Quantity::Viscosity && !mobility)
            continue;
        if (q == Quantity::EField &&
            (!sigmaOrZ || std::any_of(kFieldFromCurrent.begin(), kFieldFromCurrent.end(), has)))
            continue;
        out.push_back(q);
    }
    return out;
}

}  // namespace model
