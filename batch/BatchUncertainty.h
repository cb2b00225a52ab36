// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "analysis/Uncertainty.h"
#include "batch/Batch.h"
#include "model/ModelState.h"

namespace batch {

// What a column of an input file holds for its quantity: the value, its
// standard uncertainty ("TemperatureSD") or its distribution
// ("TemperatureDist").
enum class ColumnRole { Value, SD, Dist };
struct ColumnRef {
    Column column;
    ColumnRole role = ColumnRole::Value;
};

// The columns a file with uncertainties gains, before Error.
inline constexpr const auto& kUncertaintyColumns = series::kBatchUncertaintyNames;

struct UncertaintyOutcome {
    std::array<std::string, kUncertaintyColumns.size()> texts;
    std::string error;
    // Under a model not linear in z: draws without a valence, or two.
    std::string notice;
};

// The uncertainty of z and z* for the state a row's entries left, with the
// row's SD and Dist fields; an error when a field is out of range or the
// row has no measured Sigma or mobility. A negative measurement is analysed
// by its magnitude and its results take its sign.
UncertaintyOutcome analyseSample(const series::RowResult& row, const Sample& sample,
                                 const analysis::MonteCarloOptions& options);

}  // namespace batch
