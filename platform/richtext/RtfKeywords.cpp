// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/richtext/RtfKeywords.h"

#include <unordered_map>
#include <utility>

namespace platform::rtf {

namespace {

using KeywordTable = std::unordered_map<std::string_view, WordInfo>;

void addKeywords(KeywordTable& table, std::string_view names, WordInfo info) {
    while (!names.empty()) {
        const std::size_t space = names.find(' ');
        table.emplace(names.substr(0, space), info);
        names.remove_prefix(space == std::string_view::npos ? names.size() : space + 1);
    }
}

const KeywordTable& keywords() {
    static const KeywordTable table = [] {
        KeywordTable t;
        addKeywords(t, "par line sect row", {Word::Par});
        addKeywords(t, "tab cell", {Word::Tab});
        addKeywords(t, "plain", {Word::Plain});
        addKeywords(t, "b", {Word::Bold});
        addKeywords(t, "i", {Word::Italic});
        addKeywords(t,
                    "ul uld uldb uldash uldashd uldashdd ulhair ulth ulthd ulthdash ulthdashd "
                    "ulthdashdd ulldash ulthldash ulw ulwave ulhwave ululdbwave",
                    {Word::Underline});
        addKeywords(t, "ulnone", {Word::UnderlineNone});
        addKeywords(t, "strike striked", {Word::Strike});
        addKeywords(t, "f", {Word::Font});
        addKeywords(t, "fs", {Word::FontSize});
        addKeywords(t, "cf", {Word::ColorIndex});
        addKeywords(t, "u", {Word::Unicode});
        addKeywords(t, "uc", {Word::UnicodeSkip});
        addKeywords(t, "bin", {Word::Bin});
        addKeywords(t, "deff", {Word::DefaultFont});
        addKeywords(t, "fonttbl", {Word::FontTable});
        addKeywords(t, "colortbl", {Word::ColorTable});
        addKeywords(t, "red", {Word::Red});
        addKeywords(t, "green", {Word::Green});
        addKeywords(t, "blue", {Word::Blue});
        // Destinations whose content is not text of the document.
        addKeywords(t,
                    "stylesheet info pict object header headerl headerr headerf footer footerl "
                    "footerr footerf footnote annotation fldinst listtable listoverridetable "
                    "revtbl rsidtbl xmlnstbl filetbl colorschememapping themedata datastore "
                    "latentstyles pn shp shpinst nonshppict private txe xe tc atnid atnauthor "
                    "ftnsep ftnsepc aftnsep aftnsepc ftncn aftncn do userprops generator "
                    "pgdsctbl template mmathPr defchp defpap",
                    {Word::SkipDest});
        const std::pair<std::string_view, char32_t> characters[] = {
            {"emdash", 0x2014},  {"endash", 0x2013},    {"bullet", 0x2022},    {"lquote", 0x2018},
            {"rquote", 0x2019},  {"ldblquote", 0x201C}, {"rdblquote", 0x201D}, {"emspace", 0x2003},
            {"enspace", 0x2002}, {"qmspace", 0x2005}};
        for (const auto& [name, ch] : characters)
            t.emplace(name, WordInfo{Word::Char, ch});
        return t;
    }();
    return table;
}

}  // namespace

WordInfo findKeyword(std::string_view name) {
    const auto found = keywords().find(name);
    return found == keywords().end() ? WordInfo{Word::Unknown} : found->second;
}

}  // namespace platform::rtf
