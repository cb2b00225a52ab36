// SPDX-License-Identifier: GPL-3.0-or-later

#include "model/Recalculate.h"

#include <cmath>

#include "model/Evaluation.h"
#include "model/GeCurve.h"
#include "platform/base/Exception.h"
#include "platform/base/NumberText.h"

namespace model {

namespace {

using platform::clLime;
using platform::clRed;
using platform::clYellow;
using platform::FormatFloat;

// As the fields show them: z, z* and a Sigma derived from z; Sigma and the
// mobility derived from each other.
constexpr const char* kValencePattern = "###.00";
constexpr const char* kMeasuredPattern = "##0.0##";

// Clears SkipLogEntry however the pass ends, so that a pass interrupted by an
// error does not also suppress the log entry of the next one.
class SkipLogEntryReset {
  public:
    explicit SkipLogEntryReset(ModelState& s) : m_state(s) {}
    ~SkipLogEntryReset() { m_state.SkipLogEntry = false; }
    SkipLogEntryReset(const SkipLogEntryReset&) = delete;
    SkipLogEntryReset& operator=(const SkipLogEntryReset&) = delete;

  private:
    ModelState& m_state;
};

void colourValenceChain(ValueFields& fields, platform::Color sigma, platform::Color z,
                        platform::Color zstar) {
    fields.setColor(FieldId::SigTxt, sigma);
    fields.setColor(FieldId::ZTxt, z);
    fields.setColor(FieldId::ZstarTxt, zstar);
}

// The evaluation of the pass. A Sigma from the mobility that its field
// cannot show (an infinite one, from a diffusion coefficient rounded to 0)
// stands in the field and the state as the error leaves them.
Derived evaluate(ModelState& s, ValueFields& fields, const Conditions& conditions,
                 const Screening& screening) {
    try {
        return evaluateConditions(conditions, screening);
    } catch (const platform::EConvertError&) {
        const double sigma = sigmaFromMobility(s.Mobility, s.EField, s.Diffusion);
        if (s.SigmaFromMobility && !std::isfinite(sigma)) {
            s.Sigma = sigma;
            fields.setText(FieldId::SigTxt, FormatFloat(kMeasuredPattern, sigma));
        }
        throw;
    }
}

}  // namespace

void Recalculate(ModelState& s, ValueFields& fields, PointSeries& series,
                 const std::function<void()>& writeLogEntry) {
    SkipLogEntryReset reset(s);
    const Conditions conditions = conditionsOf(s);
    const Screening screening = screeningOf(conditions);

    s.ClosestApproach = screening.closestApproach;
    fields.setText(FieldId::ATxt, FormatFloat("###0.0##", s.ClosestApproach));
    s.InverseDebyeLength = screening.inverseDebyeLength;
    fields.setText(FieldId::KTxt, FormatFloat("0.000E+00", s.InverseDebyeLength));
    s.Ka = screening.ka;
    fields.setText(FieldId::KaTxt, FormatFloat("#0.0##", s.Ka));
    s.HenryFunction = screening.henry;
    fields.setText(FieldId::HTxt, FormatFloat("0.0000", s.HenryFunction));
    fields.setText(FieldId::ETxt, FormatFloat("#0.00#", s.EField));
    s.DhhSlope = screening.slope;
    fields.setText(FieldId::DHHTxt, FormatFloat("#0.00#", s.DhhSlope));

    const platform::Color inputs = s.ECalculated ? clLime : clRed;
    fields.setColor(FieldId::CurrTxt, inputs);
    fields.setColor(FieldId::CondTxt, inputs);
    fields.setColor(FieldId::XTxt, inputs);
    fields.setColor(FieldId::ETxt, s.ECalculated ? clYellow : clLime);

    const Derived d = evaluate(s, fields, conditions, screening);
    s.Sigma = d.sigma;
    s.Valence = d.valence;
    s.EffectiveValence = d.effectiveValence;
    s.Mobility = d.mobility;
    s.ValenceSolutions = d.solutions;
    s.OtherValence = d.otherValence;
    const auto show = [&fields](FieldId id, const char* pattern, double value) {
        fields.setText(id, FormatFloat(pattern, value));
    };

    if (s.SigmaFromMobility) {
        show(FieldId::SigTxt, kMeasuredPattern, s.Sigma);
        fields.setColor(FieldId::SigTxt, clYellow);
        fields.setColor(FieldId::MuTxt, clLime);
    }
    if (s.MobilityFromSigma) {
        fields.setColor(FieldId::SigTxt, clLime);
        fields.setColor(FieldId::MuTxt, clYellow);
    }

    const ValenceModes& modes = conditions.modes;
    if (modes.fromSigma) {
        // With all three flags set Sigma keeps the colour the mobility pair
        // gave it: it may itself be derived from the mobility.
        if (!s.SigmaCalculated) {
            fields.setColor(FieldId::SigTxt, clLime);
        }
        fields.setColor(FieldId::ZTxt, clYellow);
        fields.setColor(FieldId::ZstarTxt, clYellow);
        show(FieldId::ZTxt, kValencePattern, s.Valence);
    }
    if (modes.fromZ) {
        colourValenceChain(fields, clYellow, clLime, clYellow);
    }
    if (modes.fromZstar) {
        colourValenceChain(fields, clYellow, clYellow, clLime);
        show(FieldId::ZTxt, kValencePattern, s.Valence);
    }
    if (modes.fromZ || modes.fromZstar)
        show(FieldId::SigTxt, kValencePattern, s.Sigma);
    if (modes.fromSigma || modes.fromZ || modes.fromZstar)
        show(FieldId::ZstarTxt, kValencePattern, s.EffectiveValence);

    if (s.MobilityFromSigma) {
        show(FieldId::MuTxt, kMeasuredPattern, s.Mobility);
    }

    s.GeMax = d.geMax;
    fields.setText(FieldId::WTxt, FormatFloat("#0.0##", s.GeMax));
    s.Zeta = d.zeta;
    fields.setText(FieldId::ZetaTxt, FormatFloat("#0.00", s.Zeta));
    // No valence gives z* (above the model's largest): said, not a number.
    if (d.solutions == Solutions::None) {
        fields.setText(FieldId::ZTxt, "none");
        fields.setText(FieldId::WTxt, "none");
        fields.setText(FieldId::ZetaTxt, "none");
    }

    fields.setColor(FieldId::RsTxt, s.StokesRadiusEntered ? clLime : clYellow);
    const platform::Color solvent = s.SolventWater ? clYellow : clLime;
    fields.setColor(FieldId::VTxt, solvent);
    fields.setColor(FieldId::DTxt, solvent);

    PlotGeCurve(s, series);

    if (!s.SkipLogEntry && writeLogEntry) {
        writeLogEntry();
    }
}

}  // namespace model
