// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// A long calculation log for the benchmarks: entries as real recalculations
// write them, varied by their number.

#include <string>
#include <vector>

namespace bench_support {

inline constexpr int entryCount = 10000;
inline constexpr int linesPerEntry = 35;

// The lines of one log entry, varied by its number like real recalculations.
inline std::vector<std::string> logEntry(int n) {
    const std::string z = std::to_string(n % 100 + 1);
    std::vector<std::string> lines = {
        "-------------------------------------------------------------",
        "Sigma and Z* calculated from Z: " + z,
        "  E = 0.123 V/cm calculated from i = 0.18 mA, k= 19.2 mS, Cuvette = 0.04 cm^2",
        "  Sigma = 12.84 cm^-1, Z* = 2.64 and Z = " + z,
        "  Using T = 20.0 C, I = 0.10 M, Rs = 2.90 nm, Ri = 0.127 nm, D = 78",
        "  Inverse Debye length= 1.051E+07 cm^-1, Ka= 3.183",
        "  Henry's function= 1.1026, and DHH slope (z*/z) = 0.264",
        "   z          We kJ/mol ",
    };
    for (int zi = -13; lines.size() < linesPerEntry; ++zi) {
        std::string row = "   " + std::to_string(zi);
        row.resize(14, ' ');
        lines.push_back(row + std::to_string((zi * zi + n % 7) / 12) + ".31");
    }
    return lines;
}

inline const std::vector<std::vector<std::string>>& entries() {
    static const auto all = [] {
        std::vector<std::vector<std::string>> e;
        for (int n = 0; n < entryCount; ++n)
            e.push_back(logEntry(n));
        return e;
    }();
    return all;
}

}  // namespace bench_support
