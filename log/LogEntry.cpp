// SPDX-License-Identifier: GPL-3.0-or-later

#include "log/LogEntry.h"

#include <string>

#include "log/EntrySeparator.h"
#include "model/Electrostatics.h"
#include "model/Evaluation.h"
#include "model/GeCurve.h"
#include "model/Sampling.h"
#include "model/Solvent.h"
#include "model/ValenceConversions.h"
#include "platform/base/NumberText.h"

namespace calclog {

namespace {

using model::FieldId;

constexpr std::size_t kGeColumn = 14;

}  // namespace

void WriteLogEntry(const model::ModelState& s, const model::ValueFields& fields,
                   model::LogSink& sink) {
    const auto text = [&fields](FieldId id) { return fields.text(id); };

    sink.AddLogLine(std::string(kEntrySeparator));

    const model::ValenceModes modes = model::valenceModes(s);
    if (modes.fromSigma) {
        sink.AddLogLine("Z and Z* calculated from Sigma: " + text(FieldId::SigTxt) + " cm^-1");
    }
    if (modes.fromZ) {
        sink.AddLogLine("Sigma and Z* calculated from Z: " + text(FieldId::ZTxt));
    }
    if (modes.fromZstar) {
        sink.AddLogLine("Sigma and Z calculated from Z*: " + text(FieldId::ZstarTxt));
    }

    if (s.ECalculated) {
        sink.AddLogLine("  E = " + text(FieldId::ETxt) + " V/cm calculated from i = " +
                        text(FieldId::CurrTxt) + " mA, k= " + text(FieldId::CondTxt) +
                        " mS, Cuvette = " + text(FieldId::XTxt) + " cm^2");
    } else {
        sink.AddLogLine("  E = " + text(FieldId::ETxt) + " V/cm entered");
    }
    sink.AddLogLine("  Sigma = " + text(FieldId::SigTxt) +
                    " cm^-1, Z* = " + text(FieldId::ZstarTxt) + " and Z = " + text(FieldId::ZTxt));
    sink.AddLogLine("  Using T = " + text(FieldId::TTxt) + " C, I = " + text(FieldId::ITxt) +
                    " M, Rs = " + text(FieldId::RsTxt) + " nm, Ri = " + text(FieldId::RiTxt) +
                    " nm, D = " + text(FieldId::DTxt));
    if (s.SolventWater) {
        std::string viscosity = text(FieldId::VTxt) + " cP (" + model::kWaterViscositySource;
        if (s.RelativeViscosity != 1)
            viscosity += ", times " + platform::FloatToStr(s.RelativeViscosity) + " for the buffer";
        sink.AddLogLine("  Solvent: water at " + platform::FormatFloat("0.0#", s.Temperature) +
                        " C, viscosity " + viscosity + "), dielectric constant " +
                        text(FieldId::DTxt) + " (" + model::kWaterDielectricSource + ")");
    }
    sink.AddLogLine("  Inverse Debye length= " + text(FieldId::KTxt) +
                    " cm^-1, Ka= " + text(FieldId::KaTxt));
    sink.AddLogLine("  Henry's function= " + text(FieldId::HTxt) +
                    ", and DHH slope (z*/z) = " + text(FieldId::DHHTxt));
    if (s.Electrokinetic != model::ElectrokineticModel::Dhh) {
        const model::ElectrokineticModelInfo& info =
            model::electrokineticModelInfo(s.Electrokinetic);
        // A model not linear in z takes the ions as points of its salt.
        sink.AddLogLine(std::string("  Electrokinetic model: ") + info.caption +
                        (info.henry ? "" : ", salt " + s.Salt + " (point ions)"));
    }
    // Never a silent choice: the log says when z is one of two, or none.
    if (const std::string said = model::solutionsText(s); !said.empty())
        sink.AddLogLine("  " + said);

    sink.AddLogLine("   z          We kJ/mol ");
    const model::PhysicalConstants c = model::physicalConstants(s);
    const model::ValenceGrid rows = model::logTableGrid(s.Valence);
    for (std::int64_t k = 0; k < rows.count; ++k) {
        const std::int64_t zi = rows.at(k);
        const double ge = model::CalcGe(static_cast<double>(zi), s.Dielectric, s.StokesRadius,
                                        s.SaltIonRadius, s.InverseDebyeLength, c);
        std::string line = "   " + std::to_string(zi);
        if (line.size() < kGeColumn) {
            line.append(kGeColumn - line.size(), ' ');
        }
        line += platform::FormatFloat("###0.0#", ge);
        sink.AddLogLine(std::move(line));
    }
}

}  // namespace calclog
