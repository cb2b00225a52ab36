#pragma once

// A temporary folder for the files a benchmark writes, removed at exit.

#include <stdlib.h>

#include <filesystem>
#include <stdexcept>
#include <string>

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

}  // namespace bench_support
