// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <map>
#include <memory>

#include "platform/Application.h"
#include "platform/qt/QtFormWindows.h"

class QTimer;
class QWidget;

namespace platform::qt {

class FormWindow;
class QtServices;

// Real windows with Qt Widgets. Create it after the QApplication.
class QtBackend : public Backend, public FormWindows {
  public:
    QtBackend();
    ~QtBackend() override;

    void formCreated(Form& form) override;
    void formDestroyed(Form& form) override;
    ModalResult runModal(Form& form) override;
    void showForm(Form& form) override;
    void hideForm(Form& form) override;
    void showMessage(const std::string& text) override;
    void showInformation(const std::string& text) override;
    void run(Form& mainForm) override;
    void terminate() override;
    void post(std::function<void()> task) override;
    void startTimer(Timer& timer, int ms) override;
    void stopTimer(Timer& timer) override;
    DesktopServices* services() override;
    QtServices& qtServices();

    // The window of a form, built on first use.
    FormWindow& window(Form& form);
    QWidget& windowOf(Form& form) override;

  private:
    std::map<Form*, FormWindow*> m_windows;
    std::map<Timer*, QTimer*> m_timers;
    bool m_quitting = false;
    std::unique_ptr<QtServices> m_services;
};

}  // namespace platform::qt
