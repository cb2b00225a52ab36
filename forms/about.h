// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string>

#include "platform/Form.h"
#include "platform/Image.h"

namespace forms {

// The About box of the Help menu.
class TAboutBox : public platform::Form {
  public:
    explicit TAboutBox(platform::Form* owner);
    std::string className() const override { return "TAboutBox"; }

    platform::Panel* Panel1;
    platform::Image* ProgramIcon;
    platform::Label* ProductName;
    platform::Label* Version;
    // The licence, and how to cite the program and its model.
    platform::Label* License1;
    platform::Label* License2;
    platform::Label* CiteTitle;
    platform::Label* Cite1;
    platform::Label* Cite2;
    platform::Button* OKButton;
};

extern TAboutBox* AboutBox;

// The program's picture, 218 x 97: the Ge curve over a charged sphere.
std::string programPictureSvg();

}  // namespace forms
