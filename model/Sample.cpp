// SPDX-License-Identifier: GPL-3.0-or-later

#include "model/Sample.h"

#include "model/Electrostatics.h"
#include "model/Evaluation.h"
#include "model/GeCurve.h"
#include "model/Recalculate.h"
#include "model/Sampling.h"
#include "platform/base/NumberText.h"

namespace model {

namespace {

FieldId fieldOf(Quantity q) {
    return *quantityInfo(q).field;
}

}  // namespace

void readStartValues(SampleRef s) {
    readStartValues(s.state, s.fields);
    // The pass computes these again; they are set here so that the state is
    // complete before it runs.
    ModelState& m = s.state;
    const Screening screening = screeningOf(conditionsOf(m));
    m.InverseDebyeLength = screening.inverseDebyeLength;
    m.ClosestApproach = screening.closestApproach;
    m.Ka = screening.ka;
    m.HenryFunction = screening.henry;
    m.DhhSlope = screening.slope;
}

const Sample& startUpSample() {
    static const Sample start = [] {
        Sample s{ModelState{}, FieldTable::mainWindowDesign()};
        readStartValues({s.state, s.fields});
        PointList points;
        Recalculate(s.state, s.fields, points, {});
        return s;
    }();
    return start;
}

Evaluation evaluate(const Sample& sample) {
    Evaluation e{sample, {}};
    PointList points;
    Recalculate(e.sample.state, e.sample.fields, points, {});
    e.points = points.points();
    return e;
}

std::vector<std::string> datLines(const ModelState& s) {
    std::vector<std::string> lines;
    const PhysicalConstants c = physicalConstants(s);
    for (std::int64_t z : geCurveValences(s.Valence)) {
        const double ge = CalcGe(static_cast<double>(z), s.Dielectric, s.StokesRadius,
                                 s.SaltIonRadius, s.InverseDebyeLength, c);
        lines.push_back(std::to_string(z) + " " + platform::FormatFloat("0.000E+00", ge));
    }
    return lines;
}

void enterInMainWindow(SampleRef s, Quantity q, const std::string& text, double value) {
    ModelState& m = s.state;
    const double oldTemperature = m.Temperature;
    s.fields.setText(fieldOf(q), text);
    m.*stateMember(q) =
        quantityInfo(q).wholeNumber ? static_cast<double>(truncToInt32(value)) : value;
    if (q == Quantity::Valence || q == Quantity::EffectiveValence) {
        m.ZCalculated = q != Quantity::Valence;
        m.ZstarCalculated = q != Quantity::EffectiveValence;
        m.SigmaCalculated = true;
    }
    // Water's viscosity and dielectric constant, and D and f (or Rs),
    // depend on the temperature; a mobility entered earlier is converted
    // with the D of the new one.
    if (q == Quantity::Temperature && m.Temperature != oldTemperature) {
        followSolvent(s);
        if (const std::optional<std::string> rs = followTemperature(hydrodynamicsOf(m)))
            s.fields.setText(FieldId::RsTxt, *rs);
    }
}

SolventValues solventValuesOf(const ModelState& s) {
    return {s.SolventWater, s.Viscosity, s.Dielectric, s.RelativeViscosity, s.Temperature};
}

void followSolvent(SampleRef s) {
    SolventValues v = solventValuesOf(s.state);
    if (const std::optional<SolventTexts> texts = updateSolvent(v)) {
        s.state.Viscosity = v.Viscosity;
        s.state.Dielectric = v.Dielectric;
        s.fields.setText(FieldId::VTxt, texts->viscosity);
        s.fields.setText(FieldId::DTxt, texts->dielectric);
    }
}

void takeBackSolvent(SampleRef s, const SolventValues& v, const SolventTexts& shown) {
    ModelState& m = s.state;
    const double oldViscosity = m.Viscosity;
    m.SolventWater = v.SolventWater;
    m.RelativeViscosity = v.RelativeViscosity;
    m.Viscosity = v.Viscosity;
    m.Dielectric = v.Dielectric;
    s.fields.setText(FieldId::VTxt, shown.viscosity);
    s.fields.setText(FieldId::DTxt, shown.dielectric);
    if (m.Viscosity != oldViscosity)
        if (const std::optional<std::string> rs = followTemperature(hydrodynamicsOf(m)))
            s.fields.setText(FieldId::RsTxt, *rs);
}

namespace {

// After a calculator: a viscosity that came back changed shows as a general
// number unless water's follows the temperature, and water's dielectric
// constant follows a changed temperature.
void showSolventAfter(SampleRef s, const ModelState& before) {
    if (s.state.SolventWater) {
        if (s.state.Temperature != before.Temperature || !before.SolventWater)
            followSolvent(s);
    } else if (s.state.Viscosity != before.Viscosity) {
        s.fields.setText(FieldId::VTxt, platform::FloatToStr(s.state.Viscosity));
    }
}

}  // namespace

HydrodynamicRefs hydrodynamicsOf(ModelState& s) {
    return {s.Temperature,  s.Viscosity,        s.Friction,        s.Diffusion,
            s.StokesRadius, s.DiffusionEntered, s.FrictionEntered, s.StokesRadiusEntered,
            s.SolventWater, s.RelativeViscosity};
}

void takeBackDfRs(SampleRef s, const DfRsValues& v) {
    const ModelState before = s.state;
    s.fields.setText(FieldId::RsTxt, takeBackDfRs(hydrodynamicsOf(s.state), v));
    // The field and the log show the temperature the pass uses; a text the
    // user typed stays when the value came back the same.
    if (s.state.Temperature != before.Temperature)
        s.fields.setText(FieldId::TTxt, platform::FloatToStr(s.state.Temperature));
    showSolventAfter(s, before);
}

FieldRefs fieldGroupOf(ModelState& s) {
    return {s.Current, s.Conductivity, s.XSection, s.EField, s.ECalculated};
}

FieldValues fieldValuesOf(const FieldRefs& g, bool direct) {
    FieldValues v;
    v.Current = g.Current;
    v.Conductance = g.Conductivity;
    v.XSection = g.XSection;
    v.EField = g.EField;
    if (direct)
        v.ECalculated = false;
    return v;
}

void takeBackField(FieldRefs g, ValueFields& fields, const FieldValues& v,
                   const FieldTexts& shown) {
    if (v.ECalculated) {
        g.Current = v.Current;
        g.Conductivity = v.Conductance;
        g.XSection = v.XSection;
        fields.setText(FieldId::CurrTxt, shown.current);
        fields.setText(FieldId::CondTxt, shown.conductivity);
        fields.setText(FieldId::XTxt, shown.xSection);
    }
    g.ECalculated = v.ECalculated;
    g.EField = v.EField;
    fields.setText(FieldId::ETxt, shown.eField);
}

MobilityValues mobilityValuesOf(const ModelState& s) {
    MobilityValues v;
    v.Diffusion = s.Diffusion;
    v.Viscosity = s.Viscosity;
    v.Temperature = s.Temperature;
    v.StokesRadius = s.StokesRadius;
    v.Friction = s.Friction;
    v.EField = s.EField;
    v.Sigma = s.Sigma;
    v.Mobility = s.Mobility;
    v.Conductivity = s.Conductivity;
    v.XSection = s.XSection;
    v.Current = s.Current;
    v.DiffusionEntered = s.DiffusionEntered;
    v.StokesRadiusEntered = s.StokesRadiusEntered;
    v.FrictionEntered = s.FrictionEntered;
    v.MobilityFromSigma = s.MobilityFromSigma;
    v.SigmaCalculated = s.SigmaCalculated;
    v.SigmaFromMobility = s.SigmaFromMobility;
    v.ECalculated = s.ECalculated;
    v.SolventWater = s.SolventWater;
    v.RelativeViscosity = s.RelativeViscosity;
    return v;
}

void takeBackMobility(SampleRef s, const MobilityValues& v, const ValueFields& calcFields) {
    ModelState& m = s.state;
    const ModelState before = m;
    m.Diffusion = v.Diffusion;
    m.Viscosity = v.Viscosity;
    m.Temperature = v.Temperature;
    m.StokesRadius = v.StokesRadius;
    m.Friction = v.Friction;
    m.EField = v.EField;
    // Sigma and the mobility keep their unrounded values.
    m.Sigma = v.Sigma;
    s.fields.setText(FieldId::SigTxt,
                     platform::FormatFloat(quantityInfo(Quantity::Sigma).pattern, m.Sigma));
    m.Mobility = v.Mobility;
    s.fields.setText(FieldId::MuTxt,
                     platform::FormatFloat(quantityInfo(Quantity::Mobility).pattern, m.Mobility));
    m.Conductivity = v.Conductivity;
    m.XSection = v.XSection;
    m.Current = v.Current;
    m.DiffusionEntered = v.DiffusionEntered;
    m.StokesRadiusEntered = v.StokesRadiusEntered;
    m.FrictionEntered = v.FrictionEntered;
    m.MobilityFromSigma = v.MobilityFromSigma;
    m.SigmaFromMobility = v.SigmaFromMobility;
    m.ECalculated = v.ECalculated;
    m.SolventWater = v.SolventWater;
    m.RelativeViscosity = v.RelativeViscosity;
    m.ZCalculated = true;
    m.ZstarCalculated = true;
    m.SigmaCalculated = v.SigmaCalculated;
    // The fields and the log show the values the pass uses; a text the user
    // typed stays when its value came back the same.
    if (m.Temperature != before.Temperature)
        s.fields.setText(FieldId::TTxt, platform::FloatToStr(m.Temperature));
    if (m.StokesRadius != before.StokesRadius) {
        const Shown rs = shownAs(Quantity::StokesRadius, m.StokesRadius);
        s.fields.setText(FieldId::RsTxt, rs.text);
        m.StokesRadius = rs.value;
    }
    const std::pair<double ModelState::*, FieldId> group[] = {
        {&ModelState::Current, FieldId::CurrTxt},
        {&ModelState::Conductivity, FieldId::CondTxt},
        {&ModelState::XSection, FieldId::XTxt},
    };
    for (const auto& [value, field] : group)
        if (m.*value != before.*value)
            s.fields.setText(field, calcFields.text(field));
    showSolventAfter(s, before);
}

namespace {

// One visit of each dialog, as a user makes it, over a sample.
class Visits {
  public:
    explicit Visits(SampleRef s) : m_sample(s) {}

    // The value of text, or the refusal of the number entry.
    std::optional<std::string> accept(Quantity q, const std::string& text, double& value) {
        return entryError(q, text, &value);
    }

    std::optional<std::string> mainWindow(const Entry& e) {
        double value = 0;
        if (auto error = accept(e.quantity, e.text, value))
            return error;
        enterInMainWindow(ref(), e.quantity, e.text, value);
        return std::nullopt;
    }

    std::optional<std::string> dfRs(const Entry* stokesRadius, const Entry* viscosity) {
        DfRsValues v = dfRsValuesOf(hydrodynamicsOf(m_sample.state));
        updateDfRs(v);
        if (stokesRadius) {
            if (auto error = accept(Quantity::StokesRadius, stokesRadius->text, v.StokesRadius))
                return error;
            makeEntered(v, Hydrodynamic::StokesRadius);
            updateDfRs(v);
        }
        if (viscosity) {
            if (auto error = accept(Quantity::Viscosity, viscosity->text, v.Viscosity))
                return error;
            updateDfRs(v);
        }
        takeBackDfRs(ref(), v);
        return std::nullopt;
    }

    std::optional<std::string> field(const std::vector<const Entry*>& entries, bool direct) {
        FieldValues v = fieldValuesOf(fieldGroupOf(m_sample.state), direct);
        FieldTexts shown = fieldTextsOf(v);
        if (std::optional<std::string> e = updateE(v))
            shown.eField = *e;
        for (const Entry* entry : entries) {
            double value = 0;
            if (auto error = accept(entry->quantity, entry->text, value))
                return error;
            enterFieldValue(v, entry->quantity, value);
            textOf(shown, entry->quantity) = entry->text;
            if (std::optional<std::string> e = updateE(v))
                shown.eField = *e;
        }
        takeBackField(fieldGroupOf(m_sample.state), m_sample.fields, v, shown);
        return std::nullopt;
    }

    // The solvent dialog: water with its relative viscosity, or a typed
    // dielectric constant.
    std::optional<std::string> solvent(bool water, const Entry* relative, const Entry* dielectric) {
        SolventValues v = solventValuesOf(m_sample.state);
        SolventTexts shown{m_sample.fields.text(FieldId::VTxt),
                           m_sample.fields.text(FieldId::DTxt)};
        v.SolventWater = water;
        if (relative)
            if (auto error =
                    accept(Quantity::RelativeViscosity, relative->text, v.RelativeViscosity))
                return error;
        if (dielectric) {
            if (auto error = accept(Quantity::Dielectric, dielectric->text, v.Dielectric))
                return error;
            shown.dielectric = dielectric->text;
        }
        if (const std::optional<SolventTexts> texts = updateSolvent(v))
            shown = *texts;
        takeBackSolvent(ref(), v, shown);
        return std::nullopt;
    }

    std::optional<std::string> mobility(const Entry& e) {
        MobilityValues v = mobilityValuesOf(m_sample.state);
        updateMobility(v);
        double value = 0;
        if (auto error = accept(e.quantity, e.text, value))
            return error;
        enterMobilityValue(v, e.quantity, value);
        updateMobility(v);
        // Only Sigma or the mobility changed in the calculator.
        takeBackMobility(ref(), v, m_sample.fields);
        return std::nullopt;
    }

  private:
    SampleRef ref() { return m_sample; }
    static std::string& textOf(FieldTexts& t, Quantity q) {
        switch (q) {
            case Quantity::Current:
                return t.current;
            case Quantity::Conductivity:
                return t.conductivity;
            case Quantity::XSection:
                return t.xSection;
            default:
                return t.eField;
        }
    }
    SampleRef m_sample;
};

}  // namespace

std::optional<std::string> enterAll(Sample& s, const std::vector<Entry>& entries, bool water) {
    const auto find = [&entries](Quantity q) -> const Entry* {
        for (const Entry& e : entries)
            if (e.quantity == q)
                return &e;
        return nullptr;
    };
    // The window has no field for it: it goes in as its mobility
    // (series::evaluateRow), never dropped.
    if (find(Quantity::Zeta))
        return std::string("Zeta is entered as the mobility it was converted from");
    const Entry* relative = find(Quantity::RelativeViscosity);
    const Entry* dielectric = find(Quantity::Dielectric);
    if (water) {
        // Water's own values follow the temperature; a typed one would end
        // the choice the row makes.
        for (Quantity q : {Quantity::Viscosity, Quantity::Dielectric})
            if (find(q))
                return std::string(quantityInfo(q).name) +
                       " cannot be given with Solvent water, whose " +
                       (q == Quantity::Viscosity ? "viscosity" : "dielectric constant") +
                       " follows the temperature";
    } else if (relative) {
        return std::string("RelativeViscosity needs Solvent water");
    }
    Visits visits({s.state, s.fields});
    if (water || dielectric)
        if (auto error = visits.solvent(water, relative, dielectric))
            return error;
    for (Quantity q : {Quantity::IonicStrength, Quantity::SaltIonRadius, Quantity::Temperature})
        if (const Entry* e = find(q))
            if (auto error = visits.mainWindow(*e))
                return error;
    const Entry* rs = find(Quantity::StokesRadius);
    const Entry* viscosity = find(Quantity::Viscosity);
    if (rs || viscosity)
        if (auto error = visits.dfRs(rs, viscosity))
            return error;
    if (const Entry* e = find(Quantity::EField)) {
        if (auto error = visits.field({e}, true))
            return error;
    } else {
        std::vector<const Entry*> inputs;
        for (Quantity q : {Quantity::Current, Quantity::Conductivity, Quantity::XSection})
            if (const Entry* e = find(q))
                inputs.push_back(e);
        if (!inputs.empty())
            if (auto error = visits.field(inputs, false))
                return error;
    }
    for (Quantity q : {Quantity::Sigma, Quantity::Mobility})
        if (const Entry* e = find(q))
            if (auto error = visits.mobility(*e))
                return error;
    for (Quantity q : {Quantity::Valence, Quantity::EffectiveValence})
        if (const Entry* e = find(q))
            if (auto error = visits.mainWindow(*e))
                return error;
    return std::nullopt;
}

std::optional<std::string> enterMeasured(SampleRef s, Quantity q, const std::string& text) {
    return Visits(s).mobility({q, text});
}

}  // namespace model
