// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/Timer.h"

#include "platform/Application.h"

namespace platform {

Timer::~Timer() {
    stop();
}

void Timer::start(int ms) {
    m_interval = ms;
    m_active = true;
    Application::current().backend().startTimer(*this, ms);
}

void Timer::stop() {
    if (!m_active)
        return;
    m_active = false;
    if (Application::exists())
        Application::current().backend().stopTimer(*this);
}

void Timer::fire() {
    if (!m_active)
        return;
    m_active = false;
    Application::current().dispatch(nullptr, [this] {
        if (OnTimer)
            OnTimer();
    });
}

}  // namespace platform
