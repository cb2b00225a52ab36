// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/Application.h"
#include "platform/headless/Headless.h"
#include "tests/support/Files.h"

namespace testing_support {

// A test with the headless back end and the application object. Every file
// operation goes to a fresh temporary folder; at the end no dialog script
// may be left unused and every message box must have been acknowledged.
class HeadlessSession : public ::testing::Test {
    // First, so that it goes last, after the back end and the application.
    TempFolder m_dir{"quorvin-test"};

  protected:
    HeadlessSession() : m_oldCwd(std::filesystem::current_path()) {
        std::filesystem::current_path(m_dir.path());
    }
    ~HeadlessSession() override { std::filesystem::current_path(m_oldCwd); }
    void TearDown() override {
        EXPECT_EQ(backend.pendingScripts(), 0u) << "dialog scripts left unused";
        EXPECT_TRUE(backend.messages().empty())
            << "unacknowledged message box: " << backend.messages().front();
    }
    const std::filesystem::path& dir() const { return m_dir.path(); }

    platform::headless::HeadlessBackend backend;
    platform::Application application{backend};

  private:
    std::filesystem::path m_oldCwd;
};

}  // namespace testing_support
