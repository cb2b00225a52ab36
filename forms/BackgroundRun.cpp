// SPDX-License-Identifier: GPL-3.0-or-later

#include "forms/BackgroundRun.h"

#include "platform/Application.h"

namespace forms {

BackgroundRun::BackgroundRun(platform::Form* window)
    : m_backend(&platform::app().backend()), m_window(window) {}

BackgroundRun::~BackgroundRun() {
    end();
}

void BackgroundRun::start(unsigned threads, const std::function<void(unsigned)>& work) {
    for (unsigned k = 0; k < threads; ++k)
        m_threads.emplace_back(work, k);
}

void BackgroundRun::report(std::function<void()> step) const {
    m_backend->post([going = m_going, window = m_window, step = std::move(step)] {
        if (*going)
            platform::app().dispatch(window, step);
    });
}

void BackgroundRun::end() {
    *m_going = false;
    for (std::jthread& t : m_threads)
        if (t.joinable())
            t.join();
}

}  // namespace forms
