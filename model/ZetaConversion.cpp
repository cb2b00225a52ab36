// SPDX-License-Identifier: GPL-3.0-or-later

#include "model/ZetaConversion.h"

#include "model/Evaluation.h"
#include "model/HenryExact.h"

namespace model {

namespace {

constexpr ZetaModel kZetaModels[] = {ZetaModel::Smoluchowski, ZetaModel::Huckel, ZetaModel::Henry};

}  // namespace

const char* zetaModelName(ZetaModel m) {
    switch (m) {
        case ZetaModel::Smoluchowski:
            return "smoluchowski";
        case ZetaModel::Huckel:
            return "huckel";
        case ZetaModel::Henry:
            break;
    }
    return "henry";
}

std::optional<ZetaModel> zetaModelByName(std::string_view name) {
    for (ZetaModel m : kZetaModels)
        if (sameIgnoringCase(name, zetaModelName(m)))
            return m;
    return std::nullopt;
}

const char* zetaModelNames() {
    return "smoluchowski, huckel, henry";
}

double mobilityFromZeta(double zeta, double dielectric, double viscosity, double ka, ZetaModel m,
                        const PhysicalConstants& k) {
    const double statvoltPerVolt = k.ElectronVolt / k.ElementaryCharge;
    const double zetaStatvolt = zeta / 1000 * statvoltPerVolt;
    // cm^2/(statV s), viscosity in poise.
    const double huckel = dielectric * zetaStatvolt / (6 * k.Pi * viscosity * 0.01);
    const double f = m == ZetaModel::Smoluchowski ? 1.5
                     : m == ZetaModel::Huckel     ? 1.0
                                                  : henryExact(ka);
    return huckel * statvoltPerVolt * 1e4 * f;
}

double mobilityFromZeta(const ModelState& s, double zeta, ZetaModel m) {
    const Conditions c = conditionsOf(s);
    return mobilityFromZeta(zeta, s.Dielectric, s.Viscosity, screeningOf(c).ka, m, c.constants);
}

}  // namespace model
