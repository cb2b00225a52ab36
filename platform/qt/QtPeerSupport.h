// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>
#include <string>

#include "platform/base/Color.h"

class QWidget;

// What the files of the controls' widgets share (QtPeers.cpp).
namespace platform::qt {

QString qs(const std::string& s);
// Fills the widget with the colour.
void setBackground(QWidget& w, Color c);
// The core's key code of a Qt key, 0 for a key the core has none for.
int toKeyCode(int qtKey);

}  // namespace platform::qt
