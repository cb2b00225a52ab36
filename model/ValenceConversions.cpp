#include "model/ValenceConversions.h"

#include <string>

#include "model/Electrostatics.h"
#include "platform/base/NumberText.h"

namespace model {

namespace {

constexpr const char* kValencePattern = "###.00";
constexpr const char* kMobilityPattern = "##0.0##";

}  // namespace

double valenceFromSigma(double sigma, double temperature, double eField, double slope,
                        const PhysicalConstants& c) {
    return sigma * c.Boltzmann * (273 + temperature) / (slope * c.ElectronVolt * eField);
}

void CalcZFromSigma(ModelState& s, ValueFields& fields) {
    s.Valence =
        valenceFromSigma(s.Sigma, s.Temperature, s.EField, s.DhhSlope, physicalConstants(s));
    fields.setText(FieldId::ZTxt, platform::FormatFloat(kValencePattern, s.Valence));
}

void CalcZstarFromSigma(ModelState& s, ValueFields& fields) {
    s.EffectiveValence =
        s.Sigma * s.Boltzmann * (273 + s.Temperature) / (s.ElectronVolt * s.EField);
    fields.setText(FieldId::ZstarTxt, platform::FormatFloat(kValencePattern, s.EffectiveValence));
}

void CalcSigmaFromZ(ModelState& s, ValueFields& fields) {
    s.Sigma = (s.Valence * s.DhhSlope) /
              ((273 + s.Temperature) * s.Boltzmann / (s.ElectronVolt * s.EField));
    fields.setText(FieldId::SigTxt, platform::FormatFloat(kValencePattern, s.Sigma));
}

void CalcZstarFromZ(ModelState& s, ValueFields& fields) {
    s.EffectiveValence = s.Valence * s.DhhSlope;
    fields.setText(FieldId::ZstarTxt, platform::FormatFloat(kValencePattern, s.EffectiveValence));
}

void CalcZFromZstar(ModelState& s, ValueFields& fields) {
    s.Valence = s.EffectiveValence / s.DhhSlope;
    fields.setText(FieldId::ZTxt, platform::FormatFloat(kValencePattern, s.Valence));
}

void CalcMobilityFromSigma(ModelState& s, ValueFields& fields) {
    s.Mobility = s.Sigma * s.Diffusion * 1e-7 / s.EField;
    s.Mobility = s.Mobility * 10000;
    const std::string text = platform::FormatFloat(kMobilityPattern, s.Mobility);
    fields.setText(FieldId::MuTxt, text);
    s.Mobility = platform::StrToFloat(text);
}

void CalcSigmaFromMobility(ModelState& s, ValueFields& fields) {
    s.Sigma = s.Mobility * 0.0001 * s.EField / (s.Diffusion * 1e-7);
    const std::string text = platform::FormatFloat(kMobilityPattern, s.Sigma);
    fields.setText(FieldId::SigTxt, text);
    s.Sigma = platform::StrToFloat(text);
}

ValenceModes valenceModes(const ModelState& s) {
    ValenceModes m;
    m.fromSigma = s.ZCalculated && s.ZstarCalculated;
    m.fromZ = s.SigmaCalculated && s.ZstarCalculated && !s.ZCalculated;
    m.fromZstar = s.ZCalculated && s.SigmaCalculated && !s.ZstarCalculated;
    return m;
}

}  // namespace model
