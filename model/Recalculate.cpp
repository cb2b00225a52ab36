// SPDX-License-Identifier: GPL-3.0-or-later

#include "model/Recalculate.h"

#include "model/Electrostatics.h"
#include "model/GeCurve.h"
#include "model/ValenceConversions.h"
#include "platform/base/NumberText.h"

namespace model {

namespace {

using platform::clLime;
using platform::clRed;
using platform::clYellow;
using platform::FormatFloat;

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

}  // namespace

void Recalculate(ModelState& s, ValueFields& fields, PointSeries& series,
                 const std::function<void()>& writeLogEntry) {
    SkipLogEntryReset reset(s);
    const PhysicalConstants c = physicalConstants(s);

    s.ClosestApproach = calcClosestApproach(s.StokesRadius, s.SaltIonRadius);
    fields.setText(FieldId::ATxt, FormatFloat("###0.0##", s.ClosestApproach));

    s.InverseDebyeLength = CalcInverseDebyeLength(s.Temperature, s.IonicStrength, s.Dielectric, c);
    fields.setText(FieldId::KTxt, FormatFloat("0.000E+00", s.InverseDebyeLength));

    s.Ka = calcKa(s.InverseDebyeLength, s.ClosestApproach);
    fields.setText(FieldId::KaTxt, FormatFloat("#0.0##", s.Ka));

    s.HenryFunction = CalcHenryFunction(s.Ka);
    fields.setText(FieldId::HTxt, FormatFloat("0.0000", s.HenryFunction));

    fields.setText(FieldId::ETxt, FormatFloat("#0.00#", s.EField));

    s.DhhSlope = CalcDhhSlope(s.Ka);
    fields.setText(FieldId::DHHTxt, FormatFloat("#0.00#", s.DhhSlope));

    const platform::Color inputs = s.ECalculated ? clLime : clRed;
    fields.setColor(FieldId::CurrTxt, inputs);
    fields.setColor(FieldId::CondTxt, inputs);
    fields.setColor(FieldId::XTxt, inputs);
    fields.setColor(FieldId::ETxt, s.ECalculated ? clYellow : clLime);

    if (s.SigmaFromMobility) {
        CalcSigmaFromMobility(s, fields);
        fields.setColor(FieldId::SigTxt, clYellow);
        fields.setColor(FieldId::MuTxt, clLime);
    }
    if (s.MobilityFromSigma) {
        fields.setColor(FieldId::SigTxt, clLime);
        fields.setColor(FieldId::MuTxt, clYellow);
    }

    const ValenceModes modes = valenceModes(s);
    if (modes.fromSigma) {
        // With all three flags set Sigma keeps the colour the mobility pair
        // gave it: it may itself be derived from the mobility.
        if (!s.SigmaCalculated) {
            fields.setColor(FieldId::SigTxt, clLime);
        }
        fields.setColor(FieldId::ZTxt, clYellow);
        fields.setColor(FieldId::ZstarTxt, clYellow);
        CalcZFromSigma(s, fields);
        CalcZstarFromSigma(s, fields);
    }
    if (modes.fromZ) {
        colourValenceChain(fields, clYellow, clLime, clYellow);
        CalcSigmaFromZ(s, fields);
        CalcZstarFromZ(s, fields);
    }
    if (modes.fromZstar) {
        colourValenceChain(fields, clYellow, clYellow, clLime);
        CalcZFromZstar(s, fields);
        CalcSigmaFromZ(s, fields);
        CalcZstarFromZ(s, fields);
    }

    if (s.MobilityFromSigma) {
        CalcMobilityFromSigma(s, fields);
    }

    s.GeMax =
        CalcGe(s.Valence, s.Dielectric, s.StokesRadius, s.SaltIonRadius, s.InverseDebyeLength, c);
    fields.setText(FieldId::WTxt, FormatFloat("#0.0##", s.GeMax));

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
