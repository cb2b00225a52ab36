// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// A temporary folder for the files a benchmark writes, removed at exit, and
// the plain reading the file benchmarks compare with.

#include <stdlib.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace bench_support {

inline std::filesystem::path scratch(const std::string& name) {
    static const std::filesystem::path dir = [] {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "quorvin-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("cannot create a temporary folder");
        return std::filesystem::path(pattern);
    }();
    static const struct Cleanup {
        ~Cleanup() { std::filesystem::remove_all(dir); }
    } cleanup;
    return dir / name;
}

// The plain-text baseline of opening a log: the file's bytes split at CR LF.
inline std::vector<std::string> readCrLfLines(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        throw std::runtime_error("cannot open " + path);
    std::string bytes;
    char buffer[1 << 16];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;)
        bytes.append(buffer, n);
    std::fclose(f);
    std::vector<std::string> lines;
    for (std::size_t from = 0; from < bytes.size();) {
        const std::size_t end = std::min(bytes.find("\r\n", from), bytes.size());
        lines.emplace_back(bytes, from, end - from);
        from = end + 2;
    }
    return lines;
}

}  // namespace bench_support
