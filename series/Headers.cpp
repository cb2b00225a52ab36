// SPDX-License-Identifier: GPL-3.0-or-later

#include "series/Headers.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "analysis/Uncertainty.h"
#include "platform/base/NumberText.h"
#include "series/Settings.h"

namespace series {

using model::Quantity;
using platform::quotedForMessage;

namespace {

// A name as it is compared: lower case, without spaces, "_" and "-".
std::string key(std::string_view name) {
    std::string out;
    for (unsigned char c : name)
        if (c != ' ' && c != '_' && c != '-' && c != '\t')
            out += static_cast<char>(std::tolower(c));
    return out;
}

// Names beside the quantity's own and its captions, in key form.
struct Synonyms {
    Quantity quantity;
    std::vector<const char*> names;
};
const std::vector<Synonyms>& synonyms() {
    static const std::vector<Synonyms> table = {
        {Quantity::Temperature, {"temp", "t"}},
        {Quantity::IonicStrength, {"i"}},
        {Quantity::Dielectric, {"epsilon", "permittivity", "relativepermittivity"}},
        {Quantity::StokesRadius, {"rs", "hydrodynamicradius", "rh"}},
        {Quantity::SaltIonRadius, {"ri", "ionradius"}},
        {Quantity::Viscosity, {"eta"}},
        {Quantity::EField, {"e", "field", "fieldstrength", "electricfield"}},
        {Quantity::Conductivity, {"kappa"}},
        {Quantity::XSection, {"crosssection", "cuvettecrosssection"}},
        {Quantity::Mobility, {"electrophoreticmobility", "mu"}},
        {Quantity::Valence, {"z"}},
        {Quantity::EffectiveValence, {"z*", "zstar"}},
        {Quantity::Zeta, {"\u03b6", "\u03b6potential", "zetapotential"}},
    };
    return table;
}

// Every key that names an input column.
const std::vector<std::pair<std::string, Quantity>>& inputKeys() {
    static const std::vector<std::pair<std::string, Quantity>> keys = [] {
        std::vector<std::pair<std::string, Quantity>> k;
        for (Quantity q : model::columnQuantities()) {
            const model::QuantityInfo& info = model::quantityInfo(q);
            for (const char* name : {info.name, info.caption, info.windowCaption})
                k.emplace_back(key(name), q);
        }
        for (const Synonyms& s : synonyms())
            for (const char* name : s.names)
                k.emplace_back(name, s.quantity);
        return k;
    }();
    return keys;
}

std::optional<Quantity> inputByKey(const std::string& k) {
    for (const auto& [name, q] : inputKeys())
        if (name == k)
            return q;
    return std::nullopt;
}

}  // namespace

// A unit as compared: the superscripts, µ and ° in plain letters, without
// spaces, "*", "·", "^", braces and parentheses; "1e-4" and "x10^-4" as
// "10-4".
std::string unitKey(std::string_view unit) {
    static const std::pair<const char*, const char*> letters[] = {
        {"\u207b", "-"}, {"\u2070", "0"}, {"\u00b9", "1"}, {"\u00b2", "2"},   {"\u00b3", "3"},
        {"\u2074", "4"}, {"\u2075", "5"}, {"\u2076", "6"}, {"\u2077", "7"},   {"\u2078", "8"},
        {"\u2079", "9"}, {"\u00b5", "u"}, {"\u03bc", "u"}, {"\u00b0", "deg"}, {"\u00c5", "A"},
        {"\u00b7", ""},  {"\u22c5", ""},  {"\u00d7", "x"},
    };
    std::string out;
    while (!unit.empty()) {
        bool replaced = false;
        for (const auto& [from, to] : letters)
            if (unit.rfind(from, 0) == 0) {
                out += to;
                unit.remove_prefix(std::string_view(from).size());
                replaced = true;
                break;
            }
        if (replaced)
            continue;
        const char c = unit.front();
        unit.remove_prefix(1);
        if (std::string_view(" \t*^{}()[]").find(c) == std::string_view::npos)
            out += c;
    }
    if (out.rfind("x10", 0) == 0)
        out.erase(0, 1);
    for (const char* e : {"1e-", "1E-"})
        if (out.rfind(e, 0) == 0)
            out.replace(0, 3, "10-");
    return out;
}

namespace {

struct UnitSpelling {
    const char* key;  // in unitKey form
    double multiply;
    double divide;
};
struct UnitRow {
    Quantity quantity;
    std::vector<UnitSpelling> spellings;
};
// The usual spellings of each input's unit, and the units converted to it.
const std::vector<UnitRow>& unitTable() {
    static const std::vector<UnitRow> table = {
        {Quantity::Temperature,
         {{"degC", 1, 1}, {"C", 1, 1}, {"oC", 1, 1}, {"degreesC", 1, 1}, {"Celsius", 1, 1}}},
        {Quantity::IonicStrength,
         {{"M", 1, 1},
          {"mol/L", 1, 1},
          {"mol/l", 1, 1},
          {"molL-1", 1, 1},
          {"mol/dm3", 1, 1},
          {"moldm-3", 1, 1},
          {"mM", 1, 1000},
          {"mmol/L", 1, 1000},
          {"mmol/l", 1, 1000},
          {"mmolL-1", 1, 1000},
          {"uM", 1, 1e6},
          {"umol/L", 1, 1e6},
          {"umol/l", 1, 1e6}}},
        {Quantity::StokesRadius, {{"nm", 1, 1}, {"A", 1, 10}, {"Angstrom", 1, 10}}},
        {Quantity::SaltIonRadius, {{"nm", 1, 1}, {"A", 1, 10}, {"Angstrom", 1, 10}}},
        {Quantity::Viscosity, {{"cP", 1, 1}, {"cp", 1, 1}, {"mPas", 1, 1}, {"mPa.s", 1, 1}}},
        {Quantity::EField, {{"V/cm", 1, 1}, {"Vcm-1", 1, 1}}},
        {Quantity::Current, {{"mA", 1, 1}, {"uA", 1, 1000}}},
        {Quantity::Conductivity,
         {{"mS/cm", 1, 1},
          {"mScm-1", 1, 1},
          {"uS/cm", 1, 1000},
          {"uScm-1", 1, 1000},
          {"S/m", 10, 1},
          {"Sm-1", 10, 1}}},
        {Quantity::XSection, {{"cm2", 1, 1}, {"mm2", 1, 100}}},
        {Quantity::Sigma, {{"cm-1", 1, 1}, {"1/cm", 1, 1}, {"/cm", 1, 1}}},
        {Quantity::Mobility,
         {{"10-4cm2/Vs", 1, 1},
          {"10-4cm2/V-s", 1, 1},
          {"10-4cm2V-1s-1", 1, 1},
          {"umcm/Vs", 1, 1},
          {"umcmV-1s-1", 1, 1},
          {"10-8m2/Vs", 1, 1},
          {"10-8m2V-1s-1", 1, 1}}},
        {Quantity::Zeta, {{"mV", 1, 1}, {"V", 1000, 1}}},
    };
    return table;
}

// Sets the header's conversion for unit, or says why it is refused.
std::string takeUnit(Header& h, const std::string& unit) {
    const model::QuantityInfo& info = model::quantityInfo(h.quantity);
    h.unit = unit;
    const std::string k = unitKey(unit);
    if (h.quantity == Quantity::Temperature && (k == "K" || k == "degK" || k == "Kelvin"))
        return "Temperature in K is refused: the program takes the absolute temperature as "
               "\u00b0C + 273, and whether K - 273 or K - 273.15 is meant cannot be told; give "
               "the column in \u00b0C";
    for (const UnitRow& row : unitTable())
        if (row.quantity == h.quantity)
            for (const UnitSpelling& s : row.spellings)
                if (k == s.key) {
                    h.multiply = s.multiply;
                    h.divide = s.divide;
                    return {};
                }
    if (!*info.unit)
        return std::string(info.name) + " has no unit, but the header gives " +
               quotedForMessage(unit);
    return std::string(info.name) + " is in " + info.logUnit + ", not " + quotedForMessage(unit);
}

bool endsWith(const std::string& s, std::string_view suffix) {
    return s.size() > suffix.size() &&
           s.compare(s.size() - suffix.size(), suffix.size(), suffix.data(), suffix.size()) == 0;
}

std::size_t distance(std::string_view a, std::string_view b) {
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j)
        row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t up = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] != b[j - 1])});
            diagonal = up;
        }
    }
    return row[b.size()];
}

// The input a name resembles without naming it: a spelling one or two
// letters off a name of five letters or more, or such a name with more
// after it ("Sigma value").
std::optional<Quantity> resembled(const std::string& k) {
    for (const auto& [name, q] : inputKeys()) {
        if (name.size() < 5)
            continue;
        const std::size_t allowed = name.size() >= 8 ? 2 : 1;
        if (distance(k, name) <= allowed || k.rfind(name, 0) == 0)
            return q;
    }
    return std::nullopt;
}

std::optional<std::size_t> resultByKey(const std::string& k) {
    for (std::size_t i = 0; i < kResultFields.size(); ++i)
        if (key(resultColumnName(kResultFields[i])) == k)
            return i;
    return std::nullopt;
}

bool uncertaintyName(const std::string& k) {
    const auto is = [&](const char* name) { return key(name) == k; };
    return std::any_of(kSeriesUncertaintyNames.begin(), kSeriesUncertaintyNames.end(), is) ||
           std::any_of(kBatchUncertaintyNames.begin(), kBatchUncertaintyNames.end(), is);
}

}  // namespace

std::string headerKey(std::string_view name) {
    return key(name);
}

std::size_t editDistance(std::string_view a, std::string_view b) {
    return distance(a, b);
}

std::string resultColumnName(model::FieldId field) {
    const model::QuantityInfo& info = model::quantityInfo(model::quantityOf(field));
    return info.column ? std::string(info.name) + kResultSuffix : std::string(info.name);
}

std::optional<std::size_t> resultIndex(Quantity q) {
    const std::optional<model::FieldId> field = model::quantityInfo(q).field;
    for (std::size_t i = 0; field && i < kResultFields.size(); ++i)
        if (kResultFields[i] == *field)
            return i;
    return std::nullopt;
}

HeaderReading readHeader(std::string_view text) {
    HeaderReading out;
    Header& h = out.header;
    const HeaderName name = splitHeader(text);
    const std::string k = key(name.name);
    const auto unitless = [&](const char* what) {
        if (name.unit)
            out.refusal = std::string(what) + " has no unit, but the header gives " +
                          quotedForMessage(*name.unit);
    };
    if (k == "sample") {
        h.role = HeaderRole::Sample;
        unitless("Sample");
        return out;
    }
    if (settingKey(text)) {
        h.role = HeaderRole::Setting;
        return out;
    }
    if (k == "model") {
        h.role = HeaderRole::Model;
        unitless("Model");
        return out;
    }
    if (k == "salt") {
        h.role = HeaderRole::Salt;
        unitless("Salt");
        return out;
    }
    if (k == "zetamodel") {
        h.role = HeaderRole::ZetaModel;
        unitless("ZetaModel");
        return out;
    }
    if (k == "solvent") {
        h.role = HeaderRole::Solvent;
        unitless("Solvent");
        return out;
    }
    if (k == "error") {
        h.role = HeaderRole::Error;
        return out;
    }
    if (const std::optional<std::size_t> r = resultByKey(k)) {
        h.role = HeaderRole::Result;
        h.result = *r;
        h.quantity = model::quantityOf(kResultFields[*r]);
        return out;  // Quorvin writes results without units
    }
    if (uncertaintyName(k)) {
        h.role = HeaderRole::Uncertainty;
        return out;
    }
    if (const std::optional<Quantity> q = inputByKey(k)) {
        h.role = HeaderRole::Input;
        h.quantity = *q;
    } else {
        for (const auto& [suffix, role] : {std::pair{std::string_view("sd"), HeaderRole::SD},
                                           std::pair{std::string_view("dist"), HeaderRole::Dist}}) {
            if (!endsWith(k, suffix))
                continue;
            const std::optional<Quantity> q = inputByKey(k.substr(0, k.size() - suffix.size()));
            if (!q)
                continue;
            if (*q == Quantity::Zeta) {
                out.refusal =
                    "Zeta's uncertainty is not propagated through its conversion; "
                    "give the Mobility with a MobilitySD instead";
                return out;
            }
            if (!analysis::inputOf(*q)) {
                out.refusal = std::string(model::quantityInfo(*q).name) +
                              " is not measured and has no " +
                              (role == HeaderRole::SD ? "SD" : "Dist") + " column";
                return out;
            }
            h.role = role;
            h.quantity = *q;
        }
    }
    if (h.role == HeaderRole::Text) {
        if (const std::optional<Quantity> q = resembled(k))
            out.refusal = quotedForMessage(trimmed(text)) +
                          " is not a column Quorvin knows, but "
                          "resembles " +
                          model::quantityInfo(*q).name + "; name it " +
                          model::quantityInfo(*q).name +
                          " (with its unit in parentheses), or otherwise so that it does not";
        return out;
    }
    if (h.role == HeaderRole::Dist)
        unitless((std::string(model::quantityInfo(h.quantity).name) + "Dist").c_str());
    else if (name.unit)
        out.refusal = takeUnit(h, *name.unit);
    return out;
}

std::vector<Header> readHeaderRow(const CsvRecord& record) {
    std::vector<Header> headers;
    bool inResults = false;
    const std::string firstResult = key(resultColumnName(kResultFields[0]));
    for (std::size_t i = 0; i < record.fields.size(); ++i) {
        const std::string where =
            "line " + std::to_string(record.line) + ", column " + std::to_string(i + 1);
        HeaderReading read = readHeader(record.fields[i]);
        Header& h = read.header;
        const std::string k = key(splitHeader(record.fields[i]).name);
        // Files written before results carried their suffix: the inputs'
        // names between ClosestApproach and Error are results.
        inResults = inResults || k == firstResult;
        if (inResults && h.role == HeaderRole::Input && !h.converted() && h.unit.empty())
            if (const std::optional<std::size_t> r = resultIndex(h.quantity)) {
                h.role = HeaderRole::Result;
                h.result = *r;
            }
        if (h.role == HeaderRole::Error)
            inResults = false;
        if (!read.refusal.empty())
            throw InputError(where + ": the column " + read.refusal);
        for (const Header& before : headers)
            if (h.role != HeaderRole::Text && h.role != HeaderRole::Uncertainty &&
                h.role != HeaderRole::Setting && before.role == h.role &&
                before.quantity == h.quantity && before.result == h.result)
                throw InputError(where + ": the column " +
                                 quotedForMessage(trimmed(record.fields[i])) + " appears twice");
        headers.push_back(std::move(h));
    }
    for (std::size_t i = 0; i < headers.size(); ++i) {
        const Header& h = headers[i];
        if (h.role != HeaderRole::SD && h.role != HeaderRole::Dist)
            continue;
        const bool present = std::any_of(headers.begin(), headers.end(), [&](const Header& o) {
            return o.role == HeaderRole::Input && o.quantity == h.quantity;
        });
        if (!present)
            throw InputError("line " + std::to_string(record.line) + ", column " +
                             std::to_string(i + 1) + ": the column " +
                             quotedForMessage(trimmed(record.fields[i])) +
                             " gives the uncertainty of " + model::quantityInfo(h.quantity).name +
                             ", which the file does not hold");
    }
    return headers;
}

std::string programUnitText(const std::string& number, const Header& header) {
    if (!header.converted())
        return number;
    try {
        return platform::FloatToStr(platform::StrToFloat(number) * header.multiply / header.divide);
    } catch (const std::exception&) {
        return number;
    }
}

std::string startUpText(const std::vector<Quantity>& conditions) {
    std::string out;
    for (Quantity q : conditions) {
        const model::QuantityInfo& info = model::quantityInfo(q);
        if (!out.empty())
            out += ", ";
        out += std::string(info.name) + " " + info.startText + (*info.unit ? " " : "") + info.unit;
        if (q == Quantity::EField)
            out += " (from the start-up current, conductivity and cross-section)";
    }
    return out;
}

}  // namespace series
