// SPDX-License-Identifier: GPL-3.0-or-later

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

double effectiveValenceFromSigma(double sigma, double temperature, double eField, double boltzmann,
                                 double electronVolt) {
    return sigma * boltzmann * (273 + temperature) / (electronVolt * eField);
}

double sigmaFromValence(double valence, double temperature, double eField, double slope,
                        const PhysicalConstants& c) {
    return (valence * slope) / ((273 + temperature) * c.Boltzmann / (c.ElectronVolt * eField));
}

double effectiveValenceFromValence(double valence, double slope) {
    return valence * slope;
}

double valenceFromEffectiveValence(double effectiveValence, double slope) {
    return effectiveValence / slope;
}

double mobilityFromSigma(double sigma, double eField, double diffusion) {
    const double mobility = sigma * diffusion * 1e-7 / eField;
    return mobility * 10000;
}

double sigmaFromMobility(double mobility, double eField, double diffusion) {
    return mobility * 0.0001 * eField / (diffusion * 1e-7);
}

void CalcZFromSigma(ModelState& s, ValueFields& fields) {
    s.Valence =
        valenceFromSigma(s.Sigma, s.Temperature, s.EField, s.DhhSlope, physicalConstants(s));
    fields.setText(FieldId::ZTxt, platform::FormatFloat(kValencePattern, s.Valence));
}

void CalcZstarFromSigma(ModelState& s, ValueFields& fields) {
    s.EffectiveValence =
        effectiveValenceFromSigma(s.Sigma, s.Temperature, s.EField, s.Boltzmann, s.ElectronVolt);
    fields.setText(FieldId::ZstarTxt, platform::FormatFloat(kValencePattern, s.EffectiveValence));
}

void CalcSigmaFromZ(ModelState& s, ValueFields& fields) {
    s.Sigma =
        sigmaFromValence(s.Valence, s.Temperature, s.EField, s.DhhSlope, physicalConstants(s));
    fields.setText(FieldId::SigTxt, platform::FormatFloat(kValencePattern, s.Sigma));
}

void CalcZstarFromZ(ModelState& s, ValueFields& fields) {
    s.EffectiveValence = effectiveValenceFromValence(s.Valence, s.DhhSlope);
    fields.setText(FieldId::ZstarTxt, platform::FormatFloat(kValencePattern, s.EffectiveValence));
}

void CalcZFromZstar(ModelState& s, ValueFields& fields) {
    s.Valence = valenceFromEffectiveValence(s.EffectiveValence, s.DhhSlope);
    fields.setText(FieldId::ZTxt, platform::FormatFloat(kValencePattern, s.Valence));
}

void CalcMobilityFromSigma(ModelState& s, ValueFields& fields) {
    s.Mobility = mobilityFromSigma(s.Sigma, s.EField, s.Diffusion);
    const std::string text = platform::FormatFloat(kMobilityPattern, s.Mobility);
    fields.setText(FieldId::MuTxt, text);
    s.Mobility = platform::StrToFloat(text);
}

void CalcSigmaFromMobility(ModelState& s, ValueFields& fields) {
    s.Sigma = sigmaFromMobility(s.Mobility, s.EField, s.Diffusion);
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
