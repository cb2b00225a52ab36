// SPDX-License-Identifier: GPL-3.0-or-later

// The batch program's uncertainty columns against the independent reference
// computation, and the rows it refuses.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "batch/Batch.h"
#include "electrokinetics/ModelChoice.h"
#include "platform/base/Csv.h"
#include "tests/support/UncertaintyReference.h"

namespace {

using Table = std::vector<std::map<std::string, std::string>>;

Table runBatch(const std::string& input, std::uint64_t seed = 1) {
    std::istringstream in(input);
    std::string output;
    batch::BatchOutput out;
    out.write = [&output](std::string_view data) { output += data; };
    out.monteCarlo.seed = seed;
    batch::runBatch(in, out);
    std::istringstream result(output);
    platform::CsvReader reader(result);
    platform::CsvRecord header;
    platform::CsvRecord record;
    reader.next(header);
    Table rows;
    while (reader.next(record)) {
        rows.emplace_back();
        for (std::size_t k = 0; k < header.fields.size(); ++k)
            rows.back()[header.fields[k]] = record.fields.at(k);
    }
    return rows;
}

double number(const std::string& text) {
    return std::stod(text);
}

// Every reference row with the Stokes radius (the batch program's one
// hydrodynamic input), one file per way of giving E and the measurement,
// within the tolerances of the analysis itself.
TEST(BatchUncertainty, AgreesWithAnIndependentComputation) {
    std::map<std::string, std::vector<testsupport::ReferenceRow>> files;
    for (const auto& row : testsupport::uncertaintyReference())
        if (row.cells.at("Hydro") == "R")
            files[row.cells.at("Field") + row.cells.at("Measured")].push_back(row);
    std::size_t compared = 0;
    for (const auto& [kind, rows] : files) {
        std::vector<std::string> columns;
        for (int i = 0; i < analysis::kInputCount; ++i) {
            const std::string name = analysis::inputInfo(static_cast<analysis::Input>(i)).name;
            if (rows.front().has(name))
                columns.insert(columns.end(), {name, name + "SD", name + "Dist"});
        }
        std::string input = platform::csvRecord(columns);
        for (const auto& row : rows) {
            std::vector<std::string> fields;
            for (const std::string& c : columns)
                fields.push_back(row.cells.at(c));
            input += platform::csvRecord(fields);
        }
        const Table out = runBatch(input);
        ASSERT_EQ(out.size(), rows.size());
        for (std::size_t r = 0; r < rows.size(); ++r) {
            SCOPED_TRACE(kind + " row " + std::to_string(r + 1));
            ASSERT_EQ(out[r].at("Error"), "");
            for (const std::string q : {"Valence", "EffectiveValence"}) {
                const double ref = rows[r].number(q + "GumU");
                EXPECT_NEAR(number(out[r].at(q + "GumU")), ref, 0.005 * ref);
                const double mean = rows[r].number(q + "Mean");
                EXPECT_NEAR(number(out[r].at(q + "Mean")), mean, 0.01 * std::abs(mean));
                EXPECT_NEAR(number(out[r].at(q + "U")), rows[r].number(q + "U"),
                            0.01 * rows[r].number(q + "U"));
                const double width = rows[r].number(q + "High") - rows[r].number(q + "Low");
                EXPECT_NEAR(number(out[r].at(q + "Low")), rows[r].number(q + "Low"), 0.02 * width);
                EXPECT_NEAR(number(out[r].at(q + "High")), rows[r].number(q + "High"),
                            0.02 * width);
            }
            ++compared;
        }
    }
    EXPECT_GE(compared, 18u);
}

// Each refusal is the row's error and leaves the other rows alone; the seed
// moves the Monte Carlo digits and nothing else.
TEST(BatchUncertainty, RefusedRowsAndTheSeed) {
    const std::string input =
        "Sample,Temperature,TemperatureSD,Sigma,SigmaSD,SigmaDist\n"
        "ok,20,0.5,22,0.4,rectangular\n"
        "too large,20,200,22,0.4,\n"
        "negative,20,-1,22,,\n"
        "no such distribution,20,0.5,22,0.4,uniform\n";
    const Table out = runBatch(input);
    ASSERT_EQ(out.size(), 4u);
    const char* errors[] = {
        "",
        "TemperatureSD = 200 is not between 0 and 100",
        "TemperatureSD = -1 is not between 0 and 100",
        "SigmaDist = \"uniform\" is not normal or rectangular",
    };
    for (std::size_t r = 0; r < out.size(); ++r) {
        EXPECT_EQ(out[r].at("Error"), errors[r]) << out[r].at("Sample");
        EXPECT_EQ(out[r].at("ValenceU").empty(), r > 0) << out[r].at("Sample");
    }
    EXPECT_EQ(out[0].at("UncertaintyRejected"), "0");

    EXPECT_EQ(runBatch("Valence,Temperature,TemperatureSD\n10,25,0.5\n").at(0).at("Error"),
              "the uncertainty needs a measured Sigma or Mobility, but this row enters Valence or "
              "EffectiveValence");

    const Table again = runBatch(input, 2);
    EXPECT_EQ(again[0].at("ValenceGumU"), out[0].at("ValenceGumU"));
    EXPECT_NE(again[0].at("ValenceMean"), out[0].at("ValenceMean"));
}

// Under the models not linear in z the columns are given too, the draws
// without a valence named on standard error row by row, and a row whose z*
// no valence gives stays the row's error.
TEST(BatchUncertainty, NonlinearModelsGiveTheirColumnsAndSayTheDrawsLeftOut) {
    electrokinetics::registerModels();
    std::istringstream in(
        "Sample,Model,StokesRadius,IonicStrength,Sigma,SigmaSD\n"
        "small,standard,2.0,0.01,22,0.4\n"
        "near the maximum,standard,10,0.1,197,17\n"
        "beyond,standard,10,0.1,260,1\n");
    std::string output;
    std::vector<std::string> notices;
    batch::BatchOutput out;
    out.write = [&output](std::string_view data) { output += data; };
    out.notice = [&notices](const std::string& n) { notices.push_back(n); };
    out.monteCarlo.draws = 10000;
    batch::runBatch(in, out);
    std::istringstream result(output);
    platform::CsvReader reader(result);
    platform::CsvRecord header;
    platform::CsvRecord row;
    reader.next(header);
    const auto column = [&header](const std::string& name) {
        return static_cast<std::size_t>(
            std::find(header.fields.begin(), header.fields.end(), name) - header.fields.begin());
    };
    std::vector<std::string> errors;
    std::vector<std::string> u;
    while (reader.next(row)) {
        errors.push_back(row.fields.at(column("Error")));
        u.push_back(row.fields.at(column("ValenceU")));
    }
    ASSERT_EQ(errors.size(), 3u);
    EXPECT_EQ(errors[0], "");
    EXPECT_FALSE(u[0].empty());
    EXPECT_EQ(errors[1], "");
    EXPECT_FALSE(u[1].empty());
    EXPECT_EQ(errors[2].rfind("no valence gives z* = ", 0), 0u) << errors[2];
    const auto said = [&notices](const std::string& part) {
        return std::any_of(notices.begin(), notices.end(), [&part](const std::string& n) {
            return n.find(part) != std::string::npos;
        });
    };
    EXPECT_FALSE(said("row 1: "));
    EXPECT_TRUE(said(" of 10000 draws had no valence and are left out of the results."));
}

}  // namespace
