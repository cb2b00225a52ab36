// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace fit {

// A file that is not a scan; the message names the file, line and column.
class ScanError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// A concentration profile: the signal (absorbance, fluorescence) against
// the position x (cm), with the signal's standard deviation where the file
// gives one.
struct Scan {
    std::string name;  // the file's, for messages and the output
    std::vector<double> x;
    std::vector<double> signal;
    std::vector<double> sd;  // empty, or one per point, each > 0
    // From the header of a radial scan of an analytical ultracentrifuge.
    std::string description;
    std::optional<double> temperature;     // C
    std::optional<double> elapsedSeconds;  // since the run started
    bool hasSd() const { return !sd.empty(); }
};

// Reads a scan in either layout:
// - columns x, signal and optionally sd, separated by spaces, tabs, commas or
//   semicolons, "#" starting a comment, a header row of names allowed before
//   the first number; a file whose first row has a ";" is in the dialect of
//   spreadsheets, ";" parting the fields and "," the decimal mark. Units in
//   the header in () or [] are read: x in cm, or in mm, um or m converted to
//   cm, never another unit; the signal in any; the SD in the signal's. A
//   header naming the position or the SD in another column is refused;
// - the radial scan layout of ultracentrifuge optics: line 1 a description,
//   line 2 type, cell, temperature, speed, elapsed time, omega^2 t,
//   wavelength and count ("R 1 20.0 3000 7200 7.1E+08 280 1"), then rows
//   "x value [sd]".
// Numbers use "." whatever the locale (or "," in the ";" dialect). Throws
// ScanError naming name, the line and the column (the field's number) of the
// first thing it cannot read.
Scan readScan(std::string_view text, const std::string& name);

// The whole file; ScanError when it cannot be read.
Scan readScanFile(const std::filesystem::path& path);

}  // namespace fit
