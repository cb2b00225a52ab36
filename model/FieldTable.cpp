#include "model/FieldTable.h"

#include "model/Electrostatics.h"
#include "platform/base/NumberText.h"

namespace model {

namespace {

std::size_t indexOf(FieldId id) {
    return static_cast<std::size_t>(id);
}

}  // namespace

FieldTable FieldTable::mainWindowDesign() {
    struct Design {
        FieldId id;
        const char* text;
        platform::Color color;
    };
    using platform::clLime;
    using platform::clYellow;
    // The result texts are placeholders that the first recalculation replaces.
    static const Design design[] = {
        {FieldId::SigTxt, "22.00", clLime},  {FieldId::MuTxt, "1.20", clLime},
        {FieldId::RsTxt, "2.90", clLime},    {FieldId::RiTxt, "0.127", clLime},
        {FieldId::ITxt, "0.10", clLime},     {FieldId::TTxt, "20.0", clLime},
        {FieldId::DTxt, "78", clLime},       {FieldId::CurrTxt, "0.18", clLime},
        {FieldId::CondTxt, "19.2", clLime},  {FieldId::XTxt, "0.04", clLime},
        {FieldId::ETxt, "0.123", clYellow},  {FieldId::ZstarTxt, "22", clYellow},
        {FieldId::ZTxt, "10", clYellow},     {FieldId::ATxt, "0", clYellow},
        {FieldId::KTxt, "0", clYellow},      {FieldId::KaTxt, "0", clYellow},
        {FieldId::HTxt, "0", clYellow},      {FieldId::DHHTxt, "0", clYellow},
        {FieldId::WTxt, "0", clYellow},
    };
    FieldTable table;
    for (const Design& d : design) {
        table.setText(d.id, d.text);
        table.setColor(d.id, d.color);
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
    using platform::StrToFloat;
    s.EField = StrToFloat(fields.text(FieldId::ETxt));
    s.Valence = StrToFloat(fields.text(FieldId::ZTxt));
    s.Temperature = StrToFloat(fields.text(FieldId::TTxt));
    s.IonicStrength = StrToFloat(fields.text(FieldId::ITxt));
    s.Dielectric = StrToFloat(fields.text(FieldId::DTxt));
    s.StokesRadius = StrToFloat(fields.text(FieldId::RsTxt));
    s.SaltIonRadius = StrToFloat(fields.text(FieldId::RiTxt));
    s.Sigma = StrToFloat(fields.text(FieldId::SigTxt));
    s.Conductivity = StrToFloat(fields.text(FieldId::CondTxt));
    s.Current = StrToFloat(fields.text(FieldId::CurrTxt));
    s.XSection = StrToFloat(fields.text(FieldId::XTxt));
    s.Mobility = StrToFloat(fields.text(FieldId::MuTxt));
    s.Friction = calcFrictionFromStokesRadius(s.Viscosity, s.StokesRadius, s.Pi);
    s.Diffusion = calcDiffusionFromFriction(s.Temperature, s.Friction, s.Boltzmann);
}

}  // namespace model
