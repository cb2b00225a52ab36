// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

namespace platform {
class Backend;
class Form;
}  // namespace platform

namespace forms {

// A window's long work on threads of its own. Its reports reach the window
// on the user-interface thread, and only while the run goes on: a report
// posted just before the run was stopped or replaced does nothing. The
// owner tells its workers to stop (through its own flag, checked between
// steps) and then ends the run, which waits for them.
class BackgroundRun {
  public:
    // A run that takes longer than this shows its progress and can be
    // cancelled.
    static constexpr auto kQuietTime = std::chrono::milliseconds(200);
    // The full width of the progress bars that show a run.
    static constexpr int kProgressWidth = 160;

    // Reports are handled as `window`'s events (nullptr: the application's).
    explicit BackgroundRun(platform::Form* window);
    ~BackgroundRun();  // ends it
    BackgroundRun(const BackgroundRun&) = delete;
    BackgroundRun& operator=(const BackgroundRun&) = delete;

    // Runs `work(k)` on each of `threads` threads, k = 0 .. threads - 1.
    void start(unsigned threads, const std::function<void(unsigned)>& work);
    // From a worker: `step` runs on the user-interface thread if the run is
    // still going by then.
    void report(std::function<void()> step) const;
    // On the user-interface thread: no report runs after this, and the
    // workers are waited for.
    void end();
    // On the user-interface thread: no report runs after this; the workers,
    // told to stop by their owner, end on their own and are waited for only
    // when the run goes, so that a stop never waits for a step under way.
    void stop() { *m_going = false; }
    // Started so recently that its progress is not shown yet.
    bool quiet() const { return std::chrono::steady_clock::now() - m_started < kQuietTime; }

  private:
    platform::Backend* m_backend;
    platform::Form* m_window;
    // Read and written on the user-interface thread only.
    std::shared_ptr<bool> m_going = std::make_shared<bool>(true);
    std::chrono::steady_clock::time_point m_started = std::chrono::steady_clock::now();
    std::vector<std::jthread> m_threads;
};

}  // namespace forms
