// SPDX-License-Identifier: GPL-3.0-or-later

#include "model/FieldTable.h"

#include "model/Electrostatics.h"
#include "model/Quantities.h"
#include "platform/base/NumberText.h"

namespace model {

namespace {

std::size_t indexOf(FieldId id) {
    return static_cast<std::size_t>(id);
}

}  // namespace

FieldTable FieldTable::mainWindowDesign() {
    FieldTable table;
    for (int q = 0; q < kQuantityCount; ++q) {
        const QuantityInfo& info = quantityInfo(static_cast<Quantity>(q));
        if (!info.field)
            continue;
        table.setText(*info.field, info.startText);
        // E starts as calculated, like the results.
        const bool entered = info.enteredInWindow() && info.quantity != Quantity::EField &&
                             info.quantity != Quantity::Valence &&
                             info.quantity != Quantity::EffectiveValence;
        table.setColor(*info.field, entered ? platform::clLime : platform::clYellow);
    }
    return table;
}

std::string FieldTable::text(FieldId id) const {
    return m_texts[indexOf(id)];
}

void FieldTable::setText(FieldId id, const std::string& text) {
    m_texts[indexOf(id)] = text;
}

platform::Color FieldTable::color(FieldId id) const {
    return m_colors[indexOf(id)];
}

void FieldTable::setColor(FieldId id, platform::Color color) {
    m_colors[indexOf(id)] = color;
}

void readStartValues(ModelState& s, const ValueFields& fields) {
    // Every entered quantity the window shows but z*, which follows from z.
    for (int q = 0; q < kQuantityCount; ++q) {
        const QuantityInfo& info = quantityInfo(static_cast<Quantity>(q));
        if (info.enteredInWindow() && info.quantity != Quantity::EffectiveValence)
            s.*stateMember(info.quantity) = platform::StrToFloat(fields.text(*info.field));
    }
    s.Friction = calcFrictionFromStokesRadius(s.Viscosity, s.StokesRadius, s.Pi);
    s.Diffusion = calcDiffusionFromFriction(s.Temperature, s.Friction, s.Boltzmann);
}

}  // namespace model
