// SPDX-License-Identifier: GPL-3.0-or-later

#include "batch/BatchUncertainty.h"

#include "platform/base/NumberText.h"

namespace batch {

namespace {

std::string number(double value) {
    return analysis::significantText(value);
}

}  // namespace

UncertaintyOutcome analyseSample(const series::RowResult& row, const Sample& sample,
                                 const analysis::MonteCarloOptions& options) {
    UncertaintyOutcome out;
    analysis::Uncertainties u{};
    for (const model::Quantity q : model::columnQuantities()) {
        const std::optional<analysis::Input> input = analysis::inputOf(q);
        const auto at = static_cast<std::size_t>(q);
        if (input)
            if (auto error = series::inputUncertainty(*input, model::quantityInfo(q).name,
                                                      sample.sd[at] ? &*sample.sd[at] : nullptr,
                                                      sample.dist[at] ? &*sample.dist[at] : nullptr,
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
    out.notice = r.notice;
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
