// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace batch {

// The .DAT files of a run, written into a hidden staging folder inside the
// target folder and renamed into place only by commit(), when the whole run
// has succeeded; without commit() they go, and a run ended by SIGINT or
// SIGTERM removes them as well. Names longer than the file system takes are
// shortened (datFileName). Throws OutputError when the folder cannot be
// written.
class DatFolder {
  public:
    explicit DatFolder(std::filesystem::path dir);
    ~DatFolder();
    DatFolder(const DatFolder&) = delete;
    DatFolder& operator=(const DatFolder&) = delete;

    // Where the row's file is written until commit().
    std::filesystem::path stage(std::size_t row, const std::string& label);
    // Puts every written file in place; returns how many names were shortened.
    std::size_t commit();

  private:
    void removeStaged();

    std::filesystem::path m_dir;
    std::filesystem::path m_staging;
    std::vector<std::string> m_names;  // the final name of staged file i + 1
    std::size_t m_nameMax = 255;
    std::size_t m_shortened = 0;
    int m_slot = -1;
};

// Standard output held back until the run has succeeded, so that a run that
// fails (exit 2) prints nothing: written into an unnamed temporary file (in
// $TMPDIR, else /tmp), which needs no removal, and copied out by commit().
// Memory stays the same however long the output is.
class HeldOutput {
  public:
    HeldOutput();
    ~HeldOutput();
    HeldOutput(const HeldOutput&) = delete;
    HeldOutput& operator=(const HeldOutput&) = delete;

    void write(std::string_view data);
    // Copies it all to standard output; OutputError when that fails.
    void commit();

  private:
    void flush();

    int m_fd = -1;
    std::string m_buffer;
};

// A file of the run named by its option ("--output") and path.
struct RunPath {
    std::string option;
    std::filesystem::path path;
};

// Throws UsageError when an output (output, log) is the input or another
// output: the same path once links and "." are resolved, or the same file
// (device and inode, so hard links too). Devices and pipes such as
// /dev/null may be shared. The input "-" is standard input.
void refuseSharedPaths(const std::filesystem::path& input, const std::vector<RunPath>& outputs);

}  // namespace batch
