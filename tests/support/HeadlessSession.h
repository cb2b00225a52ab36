#pragma once

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <string>

#include "platform/Application.h"
#include "platform/headless/Headless.h"

namespace testing_support {

// A test with the headless back end and the application object. Every file
// operation goes to a fresh temporary folder; at the end no dialog script
// may be left unused and every message box must have been acknowledged.
class HeadlessSession : public ::testing::Test {
  protected:
    HeadlessSession() {
        m_dir = std::filesystem::temp_directory_path() /
                ("quorvin-test-" + std::to_string(::getpid()) + "-" + std::to_string(++s_count));
        std::filesystem::remove_all(m_dir);
        std::filesystem::create_directories(m_dir);
        m_oldCwd = std::filesystem::current_path();
        std::filesystem::current_path(m_dir);
    }
    ~HeadlessSession() override {
        std::filesystem::current_path(m_oldCwd);
        std::error_code ec;
        std::filesystem::remove_all(m_dir, ec);
    }
    void TearDown() override {
        EXPECT_EQ(backend.pendingScripts(), 0u) << "dialog scripts left unused";
        EXPECT_TRUE(backend.messages().empty())
            << "unacknowledged message box: " << backend.messages().front();
    }
    const std::filesystem::path& dir() const { return m_dir; }

    platform::headless::HeadlessBackend backend;
    platform::Application application{backend};

  private:
    std::filesystem::path m_dir;
    std::filesystem::path m_oldCwd;
    static inline int s_count = 0;
};

}  // namespace testing_support
