// SPDX-License-Identifier: GPL-3.0-or-later

#include "forms/about.h"

namespace forms {

TAboutBox* AboutBox = nullptr;

std::string programPictureSvg() {
    return R"svg(<svg xmlns="http://www.w3.org/2000/svg" width="218" height="97" viewBox="0 0 218 97">
  <defs>
    <radialGradient id="sphere" cx="0.35" cy="0.35" r="0.7">
      <stop offset="0" stop-color="#ffffff"/>
      <stop offset="1" stop-color="#2050c0"/>
    </radialGradient>
  </defs>
  <rect width="218" height="97" fill="#ffffe8"/>
  <circle cx="34" cy="48" r="30" fill="none" stroke="#80a0e0" stroke-dasharray="3 3"/>
  <circle cx="34" cy="48" r="20" fill="url(#sphere)" stroke="#102060"/>
  <g fill="#ffffff" font-family="sans-serif" font-size="10" font-weight="bold" text-anchor="middle">
    <text x="27" y="45">+</text><text x="41" y="47">+</text><text x="33" y="59">+</text>
  </g>
  <g fill="#c00000" font-family="sans-serif" font-size="9" text-anchor="middle">
    <text x="9" y="30">-</text><text x="60" y="28">-</text><text x="62" y="72">-</text>
    <text x="8" y="70">-</text>
  </g>
  <line x1="70" y1="90" x2="212" y2="90" stroke="#000000"/>
  <line x1="140" y1="28" x2="140" y2="92" stroke="#000000"/>
  <g fill="#ff0000">
    <rect x="73.5" y="17.5" width="5" height="5"/>
    <rect x="81.5" y="32.5" width="5" height="5"/>
    <rect x="89.5" y="45.5" width="5" height="5"/>
    <rect x="97.5" y="56.5" width="5" height="5"/>
    <rect x="105.5" y="65.5" width="5" height="5"/>
    <rect x="113.5" y="72.5" width="5" height="5"/>
    <rect x="121.5" y="77.5" width="5" height="5"/>
    <rect x="129.5" y="80.5" width="5" height="5"/>
    <rect x="137.5" y="81.5" width="5" height="5"/>
    <rect x="145.5" y="80.5" width="5" height="5"/>
    <rect x="153.5" y="77.5" width="5" height="5"/>
    <rect x="161.5" y="72.5" width="5" height="5"/>
    <rect x="169.5" y="65.5" width="5" height="5"/>
    <rect x="177.5" y="56.5" width="5" height="5"/>
    <rect x="185.5" y="45.5" width="5" height="5"/>
    <rect x="193.5" y="32.5" width="5" height="5"/>
    <rect x="201.5" y="17.5" width="5" height="5"/>
  </g>
  <text x="140" y="22" fill="#0000ff" font-family="serif" font-size="15" font-weight="bold"
        font-style="italic" text-anchor="middle">Ge(z)</text>
</svg>
)svg";
}

TAboutBox::TAboutBox(platform::Form* owner) : Form(owner, "AboutBox") {
    setCaption("About");
    setBorderStyle(platform::BorderStyle::Dialog);
    setCentered(true);
    setClientSize(298, 321);

    Panel1 = add<platform::Panel>("Panel1");
    Panel1->setBevels(platform::Bevel::Lowered, platform::Bevel::Raised);
    Panel1->setBounds(8, 8, 282, 262);
    ProgramIcon = Panel1->add<platform::Image>("ProgramIcon", programPictureSvg());
    ProgramIcon->setBounds(32, 12, 218, 97);
    ProgramIcon->setAccessibleName("Program picture");

    platform::Font bold;
    bold.bold = true;
    // A centred line of the panel, top pixels down.
    auto line = [&](const char* name, const std::string& text, int top, bool isBold) {
        auto* label = Panel1->add<platform::Label>(name, text);
        if (isBold)
            label->setFont(bold);
        label->setTextAlign(platform::TextAlign::Center);
        label->setBounds(8, top, 266, 16);
        return label;
    };
    ProductName = line("ProductName", "Quorvin for valence determination", 120, true);
    Version = line("Version", "Version " QUORVIN_VERSION, 140, true);
    License1 = line("License1", "Free software under the GNU GPL version 3", 164, false);
    License2 = line("License2", "or later (GPL-3.0-or-later), without warranty.", 180, false);
    CiteTitle = line("CiteTitle", "How to cite", 204, true);
    Cite1 =
        line("Cite1", "The Quorvin developers, Quorvin version " QUORVIN_VERSION ",", 222, false);
    Cite2 = line("Cite2", "and Debye and Hückel (1923), Henry (1931).", 238, false);

    OKButton = add<platform::Button>("OKButton", platform::ButtonKind::Ok);
    OKButton->setBounds(111, 282, 75, 29);
}

}  // namespace forms
