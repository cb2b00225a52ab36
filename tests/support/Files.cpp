// SPDX-License-Identifier: GPL-3.0-or-later

#include "tests/support/Files.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace testing_support {

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

namespace {

// The running test's name as one part of a file name.
std::string currentTestName() {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    if (!test)
        return "";
    std::string name = std::string(test->test_suite_name()) + "." + test->name();
    std::replace_if(
        name.begin(), name.end(),
        [](unsigned char c) { return !std::isalnum(c) && c != '.' && c != '_' && c != '-'; }, '-');
    return name;
}

}  // namespace

TempFolder::TempFolder(const std::string& prefix) {
    const std::string test = currentTestName();
    std::string pattern = (std::filesystem::temp_directory_path() /
                           (prefix + (test.empty() ? "" : "-" + test) + "-XXXXXX"))
                              .string();
    if (::mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("cannot create a temporary folder " + pattern);
    m_path = pattern;
}

TempFolder::~TempFolder() {
    if (m_keep)
        return;
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
}

}  // namespace testing_support
