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
        const bool entered = info.entered() && info.quantity != Quantity::EField &&
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
    const auto read = [&fields](Quantity q) {
        return platform::StrToFloat(fields.text(*quantityInfo(q).field));
    };
    s.EField = read(Quantity::EField);
    s.Valence = read(Quantity::Valence);
    s.Temperature = read(Quantity::Temperature);
    s.IonicStrength = read(Quantity::IonicStrength);
    s.Dielectric = read(Quantity::Dielectric);
    s.StokesRadius = read(Quantity::StokesRadius);
    s.SaltIonRadius = read(Quantity::SaltIonRadius);
    s.Sigma = read(Quantity::Sigma);
    s.Conductivity = read(Quantity::Conductivity);
    s.Current = read(Quantity::Current);
    s.XSection = read(Quantity::XSection);
    s.Mobility = read(Quantity::Mobility);
    s.Viscosity = read(Quantity::Viscosity);
    s.Friction = calcFrictionFromStokesRadius(s.Viscosity, s.StokesRadius, s.Pi);
    s.Diffusion = calcDiffusionFromFriction(s.Temperature, s.Friction, s.Boltzmann);
}

}  // namespace model
