// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/headless/Headless.h"

#include <algorithm>

#include "platform/Timer.h"

namespace platform::headless {

void HeadlessBackend::expectModal(std::string className, DialogScript script) {
    m_scripts.push_back({std::move(className), std::move(script), {}});
}

void HeadlessBackend::post(std::function<void()> task) {
    {
        const std::lock_guard lock(m_postedMutex);
        m_posted.push_back(std::move(task));
    }
    m_postedArrived.notify_all();
}

int HeadlessBackend::runPosted() {
    int ran = 0;
    for (;;) {
        std::function<void()> task;
        {
            const std::lock_guard lock(m_postedMutex);
            if (m_posted.empty())
                return ran;
            task = std::move(m_posted.front());
            m_posted.pop_front();
        }
        task();
        ++ran;
    }
}

bool HeadlessBackend::runPostedUntil(const std::function<bool()>& done,
                                     std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        runPosted();
        if (done())
            return true;
        std::unique_lock lock(m_postedMutex);
        if (!m_postedArrived.wait_until(lock, end, [this] { return !m_posted.empty(); }))
            return done();
    }
}

std::vector<std::string> HeadlessBackend::takeMessages() {
    std::vector<std::string> out;
    out.swap(m_messages);
    return out;
}

ModalResult HeadlessBackend::runModal(Form& form) {
    const std::string who = form.className() + " \"" + form.caption() + "\"";
    Pending next = takeScript(form.className(), who);
    if (!next.script)
        throw ScriptFailure("expected common dialog " + next.className + ", but " + who +
                            " opened");

    form.beginModal();
    form.setVisible(true);
    form.doShow();
    next.script(form);
    const ModalResult result = form.modalResult();
    form.endModal();
    form.setVisible(false);
    if (result == ModalResult::None)
        throw ScriptFailure(who + " is still open after its script");
    return result;
}

void HeadlessBackend::showForm(Form& form) {
    if (form.visible())
        return;
    form.setVisible(true);
    form.doShow();
}

void HeadlessBackend::hideForm(Form& form) {
    form.setVisible(false);
}

void HeadlessBackend::startTimer(Timer& timer, int) {
    std::erase(m_timers, &timer);
    m_timers.push_back(&timer);
}

void HeadlessBackend::stopTimer(Timer& timer) {
    std::erase(m_timers, &timer);
}

int HeadlessBackend::fireTimers() {
    const std::vector<Timer*> due = std::move(m_timers);
    m_timers.clear();
    for (Timer* t : due)
        t->fire();
    return static_cast<int>(due.size());
}

void typeText(Edit& edit, std::string_view text) {
    for (char c : text)
        edit.userKeyPress(c);
}

void clearByBackspace(Edit& edit) {
    edit.userKeyDown(VK_END);
    for (size_t guard = edit.text().size() + 1; !edit.text().empty() && guard > 0; --guard)
        edit.userKeyDown(VK_BACK);
}

}  // namespace platform::headless
