// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "model/Quantities.h"

namespace model {

// Which inputs may stand together, for quorvin-batch's columns and a series'
// rows alike: one quantity of the valence chain; E either entered or
// calculated from all three of the current, conductivity and cross-section.
// Zeta stands for the mobility it was converted from.
inline constexpr std::array<Quantity, 5> kValenceChain{Quantity::Sigma, Quantity::Mobility,
                                                       Quantity::Valence,
                                                       Quantity::EffectiveValence, Quantity::Zeta};
inline constexpr std::array<Quantity, 3> kFieldFromCurrent{
    Quantity::Current, Quantity::Conductivity, Quantity::XSection};

// Two inputs that cannot stand together (second after first in the order
// given), or an input of the current's three without the others (second is
// then one that is missing).
struct InputConflict {
    enum class Kind { Chain, FieldTwice, FieldIncomplete } kind;
    Quantity first;
    Quantity second;
    // Why, for a message: "use one of Sigma, Mobility, Valence,
    // EffectiveValence and Zeta".
    std::string reason() const;
};
std::optional<InputConflict> inputConflict(const std::vector<Quantity>& given);

// The conditions a calculation with the given inputs uses that they do not
// hold, and so come from the start-up values, in the table's order: the
// solution always, E where Sigma or z is entered or derived from it, the
// viscosity where the mobility is (neither of the solvent's two with the
// solvent chosen).
std::vector<Quantity> startUpConditions(const std::vector<Quantity>& given, bool solvent);

}  // namespace model
