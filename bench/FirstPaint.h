// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <unistd.h>
#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

// Tells the parent process, through standard output, when the window of
// the given name first paints, then ends the program.
class FirstPaintSignal : public QObject {
  public:
    explicit FirstPaintSignal(QString windowName) : m_name(std::move(windowName)) {}
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (m_done || e->type() != QEvent::Paint)
            return false;
        auto* w = qobject_cast<QWidget*>(watched);
        if (!w || w->window()->objectName() != m_name)
            return false;
        m_done = true;
        QTimer::singleShot(0, [] {
            const char byte = '!';
            (void)!::write(1, &byte, 1);
            QApplication::quit();
        });
        return false;
    }

  private:
    QString m_name;
    bool m_done = false;
};
