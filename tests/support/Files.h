// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <filesystem>
#include <string>

namespace testing_support {

// The whole file, byte for byte; empty when it cannot be read.
std::string readFile(const std::filesystem::path& path);

// A fresh folder of its own in the temporary folder, removed with all it
// holds when this goes. Its name tells the prefix and the running test; it
// is one level deep even for a parameterised test, whose name holds a slash.
class TempFolder {
  public:
    explicit TempFolder(const std::string& prefix);
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    // Left in place, for a look at the files of a failed test.
    void keep() { m_keep = true; }

  private:
    std::filesystem::path m_path;
    bool m_keep = false;
};

}  // namespace testing_support
