// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

class QWidget;

namespace platform {
class Form;
}

namespace platform::qt {

// The windows of the forms, as the dialogs need them for their owner: the
// back end keeps them, the services only ask for them.
class FormWindows {
  public:
    // The window of a form, built on first use.
    virtual QWidget& windowOf(Form& form) = 0;

  protected:
    ~FormWindows() = default;
};

}  // namespace platform::qt
