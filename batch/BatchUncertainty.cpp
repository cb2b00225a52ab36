// SPDX-License-Identifier: GPL-3.0-or-later

#include "batch/BatchUncertainty.h"

#include "platform/base/NumberText.h"

namespace batch {

namespace {

std::string number(double value) {
    return analysis::significantText(value);
}

}  // namespace

std::optional<analysis::Input> inputOf(Column column) {
    if (!holdsQuantity(column))
        return std::nullopt;
    const model::Quantity q = quantityOf(column);
    for (int i = 0; i < analysis::kInputCount; ++i)
        if (analysis::quantityOf(static_cast<analysis::Input>(i)) == q)
            return static_cast<analysis::Input>(i);
    return std::nullopt;
}

UncertaintyOutcome analyseSample(const series::RowResult& row, const Sample& sample,
                                 const analysis::MonteCarloOptions& options) {
    UncertaintyOutcome out;
    analysis::Uncertainties u{};
    for (std::size_t i = 0; i < kColumnCount; ++i) {
        const auto column = static_cast<Column>(i);
        if (const std::optional<analysis::Input> input = inputOf(column))
            if (auto error = series::inputUncertainty(*input, columnName(column),
                                                      sample.sd[i] ? &*sample.sd[i] : nullptr,
                                                      sample.dist[i] ? &*sample.dist[i] : nullptr,
                                                      u[static_cast<std::size_t>(*input)])) {
                out.error = std::move(*error);
                return out;
            }
    }
    const series::RowUncertainty r = series::rowUncertainty(row, u, &options);
    if (!r.error.empty()) {
        out.error = r.error;
        return out;
    }
    const auto put = [&out](std::size_t at, double gumU, const analysis::Summary& s) {
        const double values[] = {gumU, s.mean, s.sd, s.low, s.high};
        for (std::size_t k = 0; k < 5; ++k)
            out.texts[at + k] = number(values[k]);
    };
    put(0, r.uValence, r.monteCarlo->valence);
    put(5, r.uEffectiveValence, r.monteCarlo->effectiveValence);
    out.texts[10] = std::to_string(r.monteCarlo->rejected);
    return out;
}

}  // namespace batch
