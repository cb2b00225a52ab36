// SPDX-License-Identifier: GPL-3.0-or-later

#include "app/CommandLine.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace app {

namespace {

constexpr const char* kUsage = R"(Usage: quorvin [OPTION]... [QT-OPTION]... [FILE.csv]
Computes the valence z of a macromolecule from one electrophoresis
measurement by Debye-Hückel-Henry theory, in a window. A FILE of one
sample enters its values in the main window; a series of samples opens
in a series window.

  -h, --help      show this text and exit
  -v, --version   show the version and the licence and exit

Qt's own options (for example -platform wayland, -display :1,
-style Fusion) are passed on to Qt. Any other option, or an argument,
is refused with exit status 2, as is a second FILE.
)";

struct QtOption {
    std::string_view name;
    bool takesValue;
};

// The options QApplication and its platform plugins read, with one or two
// leading dashes.
constexpr std::array<QtOption, 24> kQtOptions{{
    {"platform", true},
    {"platformpluginpath", true},
    {"platformtheme", true},
    {"plugin", true},
    {"qwindowgeometry", true},
    {"qwindowicon", true},
    {"qwindowtitle", true},
    {"session", true},
    {"display", true},
    {"geometry", true},
    {"title", true},
    {"name", true},
    {"style", true},
    {"stylesheet", true},
    {"qmljsdebugger", true},
    {"visual", true},
    {"im", true},
    {"reverse", false},
    {"widgetcount", false},
    {"nograb", false},
    {"dograb", false},
    {"sync", false},
    {"cmap", false},
    {"ncols", true},
}};

CommandLine refuse(const std::string& why) {
    return {CommandLine::Action::Refuse,
            "quorvin: " + why + "\nTry 'quorvin --help' for more information.\n", {}};
}

}  // namespace

CommandLine parseCommandLine(const std::vector<std::string>& args) {
    std::string file;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "-h" || arg == "--help")
            return {CommandLine::Action::Help, kUsage, {}};
        if (arg == "-v" || arg == "--version")
            return {CommandLine::Action::Version,
                    "quorvin " QUORVIN_VERSION
                    "\nLicense GPL-3.0-or-later: GNU GPL version 3 or later "
                    "<https://gnu.org/licenses/gpl.html>\n",
                    {}};
        if (arg.size() < 2 || arg[0] != '-') {
            if (!file.empty())
                return refuse("unexpected argument '" + arg + "'");
            file = arg;
            continue;
        }
        std::string_view name(arg);
        name.remove_prefix(name.rfind("--", 0) == 0 ? 2 : 1);
        const std::size_t equals = name.find('=');
        const bool inlineValue = equals != std::string_view::npos;
        if (inlineValue)
            name = name.substr(0, equals);
        const auto known = std::find_if(kQtOptions.begin(), kQtOptions.end(),
                                        [name](const QtOption& o) { return o.name == name; });
        if (known == kQtOptions.end())
            return refuse("unknown option '" + arg + "'");
        if (known->takesValue && !inlineValue && ++i == args.size())
            return refuse("option '" + arg + "' needs a value");
    }
    return {CommandLine::Action::Run, {}, file};
}

}  // namespace app
