// SPDX-License-Identifier: GPL-3.0-or-later

// The calculation log's entry: its table of Ge over the valence range.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/base/NumberText.h"
#include "tests/support/ModelPass.h"

namespace {

using Pass = testing_support::ModelPass;

TEST(LogEntry, TableRows) {
    struct Case {
        double valence;
        std::size_t rows;
        const char* first;
        const char* last;
    };
    const Case cases[] = {
        {0.6, 1, "   0 ", "   0 "},
        {12, 25, "   -12 ", "   12 "},
        {13, 14, "   -13 ", "   13 "},
        {17.13, 18, "   -17 ", "   17 "},
        {-17.13, 18, "   -17 ", "   17 "},
        {9999, 26, "   -9999 ", "   9251 "},
        {1e14, 26, "   -100000000000000", "   92307692307700"},
    };
    for (const Case& c : cases) {
        Pass p;
        p.enterZ(platform::FloatToStr(c.valence));
        const auto& lines = p.log.lines();
        const auto header = std::find(lines.begin(), lines.end(), "   z          We kJ/mol ");
        ASSERT_NE(header, lines.end());
        const std::vector<std::string> rows(header + 1, lines.end());
        SCOPED_TRACE(c.valence);
        ASSERT_EQ(rows.size(), c.rows);
        EXPECT_EQ(rows.front().rfind(c.first, 0), 0u) << rows.front();
        EXPECT_EQ(rows.back().rfind(c.last, 0), 0u) << rows.back();
        // Short z texts are padded so that Ge starts in column 14.
        for (const std::string& row : rows) {
            const std::size_t zEnd = row.find(' ', 3);
            if (zEnd != std::string::npos) {
                EXPECT_EQ(row.find_first_not_of(' ', zEnd), 14u) << row;
            } else {
                EXPECT_GE(row.find_first_not_of("-0123456789", 3), 14u) << row;
            }
        }
    }
}

}  // namespace
