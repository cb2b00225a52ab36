// SPDX-License-Identifier: GPL-3.0-or-later

#include "series/Row.h"

#include <cmath>
#include <stdexcept>

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
                                              model::Quantity::Valence};

void applySign(model::Sample& s) {
    for (model::Quantity q : kSignedResults) {
        s.state.*model::stateMember(q) = -(s.state.*model::stateMember(q));
        const model::FieldId field = *model::quantityInfo(q).field;
        s.fields.setText(field, negated(s.fields.text(field)));
    }
}

}  // namespace

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

RowResult evaluateRow(const std::vector<model::Entry>& entries, bool water,
                      model::ElectrokineticModel m, const std::string& salt) {
    RowResult r;
    std::vector<model::Entry> magnitudes = entries;
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
