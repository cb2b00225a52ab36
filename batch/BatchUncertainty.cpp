// SPDX-License-Identifier: GPL-3.0-or-later

#include "batch/BatchUncertainty.h"

#include <cctype>

#include "platform/base/NumberText.h"

namespace batch {

namespace {

bool endsWithNoCase(std::string_view text, std::string_view suffix) {
    if (text.size() < suffix.size())
        return false;
    for (std::size_t i = 0; i < suffix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[text.size() - suffix.size() + i])) !=
            std::tolower(static_cast<unsigned char>(suffix[i])))
            return false;
    return true;
}

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

std::optional<ColumnRef> columnRefByName(std::string_view name) {
    if (const std::optional<Column> c = columnByName(name))
        return ColumnRef{*c};
    const struct {
        std::string_view suffix;
        ColumnRole role;
    } roles[] = {{"SD", ColumnRole::SD}, {"Dist", ColumnRole::Dist}};
    for (const auto& r : roles) {
        if (!endsWithNoCase(name, r.suffix))
            continue;
        const std::optional<Column> c = columnByName(name.substr(0, name.size() - r.suffix.size()));
        if (c && inputOf(*c))
            return ColumnRef{*c, r.role};
    }
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
