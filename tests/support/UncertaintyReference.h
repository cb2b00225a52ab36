// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The rows of tests/data/uncertainty_reference.csv: random measurements with
// uncertainties, and their reference results from an independent
// computation.
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "analysis/Uncertainty.h"

namespace testsupport {

struct ReferenceRow {
    std::map<std::string, std::string> cells;  // by column name

    double number(const std::string& column) const { return std::stod(cells.at(column)); }
    // Columns the reference data were made without count as empty.
    bool has(const std::string& column) const {
        const auto it = cells.find(column);
        return it != cells.end() && !it->second.empty();
    }

    analysis::Measurement measurement() const {
        using Hydrodynamic = analysis::MeasurementModel::Hydrodynamic;
        analysis::Measurement m;
        const std::string hydro = cells.at("Hydro");
        m.model.hydrodynamic = hydro == "R"   ? Hydrodynamic::StokesRadius
                               : hydro == "D" ? Hydrodynamic::Diffusion
                                              : Hydrodynamic::Friction;
        m.model.fieldFromCurrent = cells.at("Field") == "C";
        m.model.fromMobility = cells.at("Measured") == "M";
        for (int i = 0; i < analysis::kInputCount; ++i) {
            const std::string name = analysis::inputInfo(static_cast<analysis::Input>(i)).name;
            if (has(name))
                m.values[i] = number(name);
        }
        return m;
    }

    analysis::Uncertainties uncertainties() const {
        analysis::Uncertainties u{};
        for (int i = 0; i < analysis::kInputCount; ++i) {
            const std::string name = analysis::inputInfo(static_cast<analysis::Input>(i)).name;
            if (has(name + "SD"))
                u[i] = {number(name + "SD"),
                        *analysis::distributionByName(cells.at(name + "Dist"))};
        }
        return u;
    }
};

inline std::vector<std::string> splitCsvLine(const std::string& line) {
    std::vector<std::string> cells;
    std::stringstream in(line);
    for (std::string cell; std::getline(in, cell, ',');)
        cells.push_back(cell);
    if (!line.empty() && line.back() == ',')
        cells.emplace_back();
    return cells;
}

inline std::vector<ReferenceRow> uncertaintyReference() {
    std::ifstream in(QUORVIN_UNCERTAINTY_REFERENCE);
    std::string line;
    std::getline(in, line);
    const std::vector<std::string> header = splitCsvLine(line);
    std::vector<ReferenceRow> rows;
    while (std::getline(in, line)) {
        const std::vector<std::string> cells = splitCsvLine(line);
        ReferenceRow row;
        for (std::size_t k = 0; k < header.size(); ++k)
            row.cells[header[k]] = k < cells.size() ? cells[k] : "";
        rows.push_back(row);
    }
    return rows;
}

}  // namespace testsupport
