// SPDX-License-Identifier: GPL-3.0-or-later

#include "model/Caption.h"

#include "model/Quantities.h"
#include "model/ValenceConversions.h"

namespace model {

std::string conditionsCaption(const ModelState& s, const ValueFields& fields) {
    const auto value = [&fields](Quantity q) {
        const QuantityInfo& info = quantityInfo(q);
        std::string text = fields.text(*info.field);
        // A unit with a power of ten multiplies: "1.20 × 10⁻⁴ cm²/(V s)".
        const std::string unit = info.unit;
        if (unit.starts_with("10"))
            text += " \u00d7 " + unit;
        else if (!unit.empty())
            text += " " + unit;
        return text;
    };
    std::string caption =
        "T = " + value(Quantity::Temperature) + ", I = " + value(Quantity::IonicStrength) +
        ", Rs = " + value(Quantity::StokesRadius) + ", Ri = " + value(Quantity::SaltIonRadius) +
        ", dielectric constant " + value(Quantity::Dielectric) + ", viscosity " +
        value(Quantity::Viscosity) + (s.SolventWater ? " (water)" : "") +
        ", E = " + value(Quantity::EField);
    const ValenceModes modes = valenceModes(s);
    if (modes.fromZ)
        caption += ", z = " + value(Quantity::Valence);
    else if (modes.fromZstar)
        caption += ", z* = " + value(Quantity::EffectiveValence);
    else if (s.SigmaFromMobility)
        caption += ", mobility = " + value(Quantity::Mobility);
    else
        caption += ", Sigma = " + value(Quantity::Sigma);
    caption += " entered";
    if (s.Electrokinetic != ElectrokineticModel::Dhh) {
        const ElectrokineticModelInfo& info = electrokineticModelInfo(s.Electrokinetic);
        caption += std::string(", model ") + info.caption;
        if (!info.henry)
            caption += ", salt " + s.Salt;
    }
    return caption;
}

}  // namespace model
