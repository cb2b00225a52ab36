// SPDX-License-Identifier: GPL-3.0-or-later

#include "series/Row.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <iterator>
#include <stdexcept>

#include "electrokinetics/Salts.h"
#include "model/Recalculate.h"
#include "platform/base/MessageText.h"
#include "platform/base/NumberText.h"

namespace series {

using platform::quotedForMessage;

namespace {

// "-" before a shown number that does not round to zero.
std::string negated(const std::string& text) {
    return text.find_first_of("123456789") == std::string::npos ? text : "-" + text;
}

constexpr model::Quantity kSignedResults[] = {model::Quantity::Sigma, model::Quantity::Mobility,
                                              model::Quantity::EffectiveValence,
                                              model::Quantity::Valence, model::Quantity::Zeta};

void applySign(model::Sample& s) {
    for (model::Quantity q : kSignedResults) {
        s.state.*model::stateMember(q) = -(s.state.*model::stateMember(q));
        const model::FieldId field = *model::quantityInfo(q).field;
        s.fields.setText(field, negated(s.fields.text(field)));
    }
    s.state.OtherValence = -s.state.OtherValence;
}

// The shortest text that reads back as the same double, without an
// exponent in the mobility's range.
std::string exactText(double v) {
    char buffer[32];
    const auto end =
        std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::general, 17);
    return std::string(buffer, end.ptr);
}

// The row's Zeta replaced by the mobility it was converted from, at the
// conditions the other entries give; or why it cannot be.
std::optional<std::string> zetaAsMobility(std::vector<model::Entry>& entries, bool water,
                                          model::ElectrokineticModel m, const std::string& salt,
                                          std::optional<model::ZetaModel> zetaModel) {
    const auto zeta = std::find_if(entries.begin(), entries.end(), [](const model::Entry& e) {
        return e.quantity == model::Quantity::Zeta;
    });
    if (zeta == entries.end())
        return std::nullopt;
    double value = 0;
    if (std::optional<std::string> error = model::entryError(zeta->quantity, zeta->text, &value))
        return error;
    const std::string given = "Zeta = " + zeta->text;
    if (!zetaModel)
        return given + " needs the conversion the instrument made (ZetaModel " +
               model::zetaModelNames() + ")";
    std::vector<model::Entry> conditions;
    std::copy_if(entries.begin(), entries.end(), std::back_inserter(conditions),
                 [](const model::Entry& e) { return e.quantity != model::Quantity::Zeta; });
    model::Sample s = model::startUpSample();
    s.state.Electrokinetic = m;
    s.state.Salt = salt;
    if (std::optional<std::string> error = model::enterAll(s, conditions, water))
        return error;
    const double mobility = model::mobilityFromZeta(s.state, value, *zetaModel);
    const std::string text = exactText(mobility);
    if (valueError(model::Quantity::Mobility, text))
        return given + " mV (" + model::zetaModelName(*zetaModel) + ") is the mobility " +
               platform::FormatFloat("0.0#####", mobility) + ", outside " +
               model::quantityInfo(model::Quantity::Mobility).name + "'s limits";
    *zeta = {model::Quantity::Mobility, text};
    return std::nullopt;
}

}  // namespace

std::string zetaModelRefusal(const std::string& text) {
    return "ZetaModel = " + quotedForMessage(text) + " is not one of " + model::zetaModelNames();
}

bool isSigned(model::Quantity q) {
    return q == model::Quantity::Sigma || q == model::Quantity::Mobility;
}

std::optional<std::string> valueError(model::Quantity q, const std::string& text, double* value) {
    double v = 0;
    std::optional<std::string> error = model::entryError(q, text, &v);
    if (!error || !isSigned(q)) {
        if (!error && value)
            *value = v;
        return error;
    }
    try {
        v = platform::StrToFloat(text);
    } catch (const std::exception&) {
        return error;  // not a number: the window's reason
    }
    const model::QuantityInfo& info = model::quantityInfo(q);
    if (v < 0 && !(-info.high <= v && v <= -info.low))
        return std::string(info.name) + " = " + text + " is not between " +
               platform::FloatToStr(-info.high) + " and " + platform::FloatToStr(-info.low);
    if (v > 0)
        return error;
    if (value)
        *value = v;
    return std::nullopt;
}

std::optional<std::string> mainWindowRefusal(model::Quantity q, const std::string& text) {
    double v = 0;
    if (valueError(q, text, &v) || !model::entryError(q, text))
        return std::nullopt;
    const model::QuantityInfo& info = model::quantityInfo(q);
    const std::string kind = q == model::Quantity::Sigma ? "Sigma values" : "mobilities";
    return std::string(info.name) + " = " + text + ": the main window takes only " +
           (v < 0 ? "positive " : "") + kind + " (" + platform::FloatToStr(info.low) + " to " +
           platform::FloatToStr(info.high) + "); open the series to work with " +
           (v < 0 ? "a negative one" : "this one");
}

std::string modelRefusal(const std::string& text) {
    return "Model = " + quotedForMessage(text) + " is not one of " +
           model::electrokineticModelNames();
}

std::optional<std::string> saltRefusal(const std::string& text, std::string* name) {
    try {
        const std::string canonical = electrokinetics::saltByName(text).name;
        if (name)
            *name = canonical;
        return std::nullopt;
    } catch (const std::invalid_argument&) {
        std::string known;
        for (const electrokinetics::Salt& s : electrokinetics::salts())
            known += s.name + ", ";
        return "Salt = " + quotedForMessage(text) + " is not one of " + known +
               "NaPi-<pH> for pH 5 to 9";
    }
}

RowResult evaluateRow(const std::vector<model::Entry>& entries, bool water,
                      model::ElectrokineticModel m, const std::string& salt,
                      std::optional<model::ZetaModel> zetaModel) {
    RowResult r;
    std::vector<model::Entry> magnitudes = entries;
    if (std::optional<std::string> error = zetaAsMobility(magnitudes, water, m, salt, zetaModel)) {
        r.error = std::move(*error);
        return r;
    }
    r.fromZeta = std::any_of(entries.begin(), entries.end(), [](const model::Entry& e) {
        return e.quantity == model::Quantity::Zeta;
    });
    std::vector<std::pair<std::string, std::string>> refusals;
    for (model::Entry& e : magnitudes) {
        double v = 0;
        if (!isSigned(e.quantity))
            continue;
        if (std::optional<std::string> error = valueError(e.quantity, e.text, &v)) {
            // The window refuses it in its order of entry, with its limits.
            refusals.push_back({std::string(model::quantityInfo(e.quantity).name) + " = " + e.text,
                                std::move(*error)});
            continue;
        }
        if (v < 0) {
            r.sign = -1;
            e.text.erase(0, 1);
        } else if (v == 0) {
            // The window's mobility starts at 0.0001; Sigma = 0 is the same
            // measurement.
            e = {model::Quantity::Sigma, "0"};
        }
    }
    model::Sample s = model::startUpSample();
    s.state.Electrokinetic = m;
    s.state.Salt = salt;
    if (std::optional<std::string> error = model::enterAll(s, magnitudes, water)) {
        r.error = std::move(*error);
        for (auto& [windowText, signedText] : refusals)
            if (r.error.rfind(windowText + " ", 0) == 0)
                r.error = signedText;
        return r;
    }
    if (!entries.empty() || water || m != model::ElectrokineticModel::Dhh) {
        model::PointList points;
        model::Recalculate(s.state, s.fields, points, [&r] { r.logEntry = true; });
    }
    r.measured = s.state;
    if (r.sign < 0)
        applySign(s);
    for (std::size_t i = 0; i < kResultColumns.size(); ++i)
        r.texts[i] = s.fields.text(kResultColumns[i].field);
    r.sample = std::move(s);
    return r;
}

namespace {

analysis::Summary signedSummary(const analysis::Summary& s, int sign) {
    if (sign > 0)
        return s;
    return {-s.mean, s.sd, -s.high, -s.low};
}

}  // namespace

std::optional<std::string> inputUncertainty(analysis::Input input, const std::string& columnName,
                                            const std::string* sd, const std::string* dist,
                                            analysis::InputUncertainty& out) {
    if (sd) {
        const double limit = analysis::uncertaintyLimit(input);
        try {
            out.u = platform::StrToFloat(*sd);
        } catch (const std::exception&) {
            out.u = -1;
        }
        if (!(out.u >= 0 && out.u <= limit))
            return columnName + "SD = " + *sd + " is not between 0 and " +
                   platform::FloatToStr(limit);
    }
    if (dist) {
        const auto d = analysis::distributionByName(*dist);
        if (!d)
            return columnName + "Dist = " + quotedForMessage(*dist) +
                   " is not normal or rectangular";
        out.distribution = *d;
    }
    return std::nullopt;
}

RowUncertainty rowUncertainty(const RowResult& row, const analysis::Uncertainties& u,
                              const analysis::MonteCarloOptions* options) {
    RowUncertainty out;
    if (row.fromZeta) {
        // Its mobility depends on the conditions through the conversion,
        // which the budget does not hold.
        out.error =
            "the uncertainty is not propagated through a Zeta's conversion; give the row's "
            "Mobility instead";
        return out;
    }
    const std::optional<analysis::Measurement> m = analysis::measurementOf(*row.measured);
    if (!m) {
        out.error =
            "the uncertainty needs a measured Sigma or Mobility, but this row enters "
            "Valence or EffectiveValence";
        return out;
    }
    try {
        const analysis::GumResult gum = analysis::gumBudget(*m, u);
        // The row's evaluation says itself which of two valences it took.
        out.notice = analysis::valenceNote(gum, false);
        if (!std::isfinite(gum.uValence)) {
            out.error = out.notice.empty() ? "u(z) is not a number" : out.notice;
            out.notice.clear();
            return out;
        }
        out.uValence = gum.uValence;
        out.uEffectiveValence = gum.uEffectiveValence;
        out.draws = RowDraws{*m, u, row.sign};
        if (options) {
            out.monteCarlo = rowMonteCarlo(*out.draws, *options);
            if (const std::string note = analysis::valenceNote(*out.monteCarlo); !note.empty())
                out.notice += (out.notice.empty() ? "" : " ") + note;
        }
    } catch (const std::invalid_argument& e) {
        // A model not linear in z that refuses the conditions or every draw.
        out = RowUncertainty{};
        out.error = e.what();
    }
    return out;
}

std::optional<analysis::MonteCarloResult> rowMonteCarlo(const RowDraws& row,
                                                        const analysis::MonteCarloOptions& options,
                                                        analysis::MonteCarloControl* control) {
    std::optional<analysis::MonteCarloResult> r =
        analysis::monteCarlo(row.measurement, row.u, options, control);
    if (r) {
        r->valence = signedSummary(r->valence, row.sign);
        r->effectiveValence = signedSummary(r->effectiveValence, row.sign);
    }
    return r;
}

}  // namespace series
