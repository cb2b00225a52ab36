// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <functional>

namespace platform {

// A one-shot timer on the user-interface thread: start() (again) arms it,
// and when the time is up OnTimer runs under the application's exception
// handler, like a reaction to a click. The back end keeps the time: Qt's
// event loop, or the test that fires the headless back end's timers.
class Timer {
  public:
    Timer() = default;
    ~Timer();
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

    // Arms the timer to fire once after ms milliseconds, replacing any
    // earlier arming.
    void start(int ms);
    void stop();
    bool active() const { return m_active; }
    int interval() const { return m_interval; }

    std::function<void()> OnTimer;

    // For the back ends: the time is up.
    void fire();

  private:
    bool m_active = false;
    int m_interval = 0;
};

}  // namespace platform
