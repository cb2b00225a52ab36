#include "batch/Batch.h"

#include <algorithm>
#include <cctype>

#include "batch/BatchUncertainty.h"
#include "batch/Csv.h"
#include "forms/Dcalc.h"
#include "forms/Efield.h"
#include "forms/Enternumber.h"
#include "forms/Mainfrm.h"
#include "forms/Mucalc.h"
#include "forms/Report.h"
#include "platform/Application.h"
#include "platform/base/Exception.h"
#include "platform/base/NumberText.h"
#include "platform/headless/Headless.h"

namespace batch {

namespace {

using forms::TDCalculator;
using forms::TEFieldCalculator;
using forms::TMuCalculator;
using forms::TNumberEntry;
using forms::TOpeningForm;
using platform::ModalResult;
using platform::headless::HeadlessBackend;

constexpr std::array<const char*, kColumnCount> kColumnNames{
    "Sample",       "Temperature", "IonicStrength", "Dielectric", "StokesRadius",
    "SaltIonRadius", "Viscosity",  "EField",        "Current",    "Conductivity",
    "XSection",     "Sigma",       "Mobility",      "Valence",    "EffectiveValence",
};

std::string trimmed(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return std::string(text);
}

// One row on its own main window and report window, which go when it is
// done: every row starts from the start-up state.
class RowRun {
  public:
    explicit RowRun(const Sample& sample) : m_sample(sample) {
        m_application.Initialize();
        m_application.CreateForm(forms::OpeningForm);
        m_application.CreateForm(forms::ReportFrm);
        m_application.Run();
    }
    ~RowRun() {
        forms::OpeningForm = nullptr;
        forms::ReportFrm = nullptr;
    }
    RowRun(const RowRun&) = delete;
    RowRun& operator=(const RowRun&) = delete;

    Outcome run(const std::filesystem::path& datFile);

  private:
    TOpeningForm& form() { return *forms::OpeningForm; }
    const std::optional<std::string>& value(Column c) const { return m_sample[c]; }
    bool failed() const { return !m_error.empty(); }

    // Answers the next number entry dialog: the shown text deleted, the
    // value typed, OK. A value the dialog refuses cancels it and becomes the
    // row's error.
    void answerEntry(Column c);
    // A field of the main window that opens the number entry dialog.
    void enterInWindow(Column c, platform::StaticText* field);
    void enterStokesRadiusAndViscosity();
    void enterField();
    void enterSigmaOrMobility(Column c);
    void noteMessages();
    void exportDat(const std::filesystem::path& datFile);

    const Sample& m_sample;
    HeadlessBackend m_backend;
    platform::Application m_application{m_backend};
    std::string m_error;
};

void RowRun::answerEntry(Column c) {
    const std::string text = *value(c);
    m_backend.expect<TNumberEntry>("TNumberEntry", [this, c, text](TNumberEntry& d) {
        platform::headless::clearByBackspace(*d.Value);
        platform::headless::typeText(*d.Value, text);
        if (d.Value->text() != text) {
            m_error = std::string(columnName(c)) + " = " + text + " cannot be typed as a number";
        } else {
            d.BitBtn1->userPress();
            if (d.modalResult() != ModalResult::None)
                return;
            const std::vector<std::string> messages = m_backend.takeMessages();
            m_error = std::string(columnName(c)) + " = " + text +
                      (messages.empty() ? " is not between " + platform::FloatToStr(d.MinValue) +
                                              " and " + platform::FloatToStr(d.MaxValue)
                                        : ": " + messages.front());
        }
        d.BitBtn2->userPress();
    });
}

void RowRun::enterInWindow(Column c, platform::StaticText* field) {
    if (failed() || !value(c))
        return;
    answerEntry(c);
    field->userClick();
    noteMessages();
}

void RowRun::enterStokesRadiusAndViscosity() {
    if (failed() || (!value(Column::StokesRadius) && !value(Column::Viscosity)))
        return;
    m_backend.expect<TDCalculator>("TDCalculator", [this](TDCalculator& calc) {
        if (value(Column::StokesRadius)) {
            answerEntry(Column::StokesRadius);
            calc.Rtxt->userClick();
        }
        if (!failed() && value(Column::Viscosity)) {
            answerEntry(Column::Viscosity);
            calc.Vtxt->userClick();
        }
        (failed() ? calc.BitBtn1 : calc.BitBtn2)->userPress();
    });
    form().RsTxt->userClick();
    noteMessages();
}

void RowRun::enterField() {
    if (failed())
        return;
    struct Input {
        Column column;
        platform::StaticText* TEFieldCalculator::*field;
    };
    static constexpr Input inputs[] = {
        {Column::Current, &TEFieldCalculator::CurrTxt},
        {Column::Conductivity, &TEFieldCalculator::CondTxt},
        {Column::XSection, &TEFieldCalculator::XTxt},
    };
    const bool direct = value(Column::EField).has_value();
    const bool calculated = std::any_of(std::begin(inputs), std::end(inputs),
                                        [this](const Input& in) { return value(in.column); });
    if (!direct && !calculated)
        return;
    m_backend.expect<TEFieldCalculator>("TEFieldCalculator", [this, direct](TEFieldCalculator& calc) {
        if (direct) {
            answerEntry(Column::EField);
            calc.ETxt->userClick();
        } else {
            for (const Input& in : inputs) {
                if (failed() || !value(in.column))
                    continue;
                answerEntry(in.column);
                (calc.*in.field)->userClick();
            }
        }
        (failed() ? calc.BitBtn1 : calc.BitBtn2)->userPress();
    });
    // The E field opens the calculator for direct entry, the others for
    // calculating E.
    (direct ? form().ETxt : form().CurrTxt)->userClick();
    noteMessages();
}

void RowRun::enterSigmaOrMobility(Column c) {
    if (failed() || !value(c))
        return;
    const bool sigma = c == Column::Sigma;
    m_backend.expect<TMuCalculator>("TMuCalculator", [this, c, sigma](TMuCalculator& calc) {
        answerEntry(c);
        (sigma ? calc.SigTxt : calc.MuTxt)->userClick();
        (failed() ? calc.BitBtn1 : calc.BitBtn2)->userPress();
    });
    (sigma ? form().SigTxt : form().MuTxt)->userClick();
    noteMessages();
}

// A message box on the way (an error the window reported) ends the row.
void RowRun::noteMessages() {
    const std::vector<std::string> messages = m_backend.takeMessages();
    if (!messages.empty() && !failed())
        m_error = messages.front();
}

void RowRun::exportDat(const std::filesystem::path& datFile) {
    m_backend.expectDialog<platform::SaveDialog>("TSaveDialog",
                                                 [&datFile](platform::SaveDialog& dialog) {
                                                     dialog.FileName = datFile.string();
                                                     return true;
                                                 });
    form().CopyGevszvaluestoclipboard1->userClick(&form());
    const std::vector<std::string> messages = m_backend.takeMessages();
    if (!messages.empty())
        throw OutputError(messages.front());
}

Outcome RowRun::run(const std::filesystem::path& datFile) {
    Outcome outcome;
    try {
        enterInWindow(Column::Dielectric, form().DTxt);
        enterInWindow(Column::IonicStrength, form().ITxt);
        enterInWindow(Column::SaltIonRadius, form().RiTxt);
        enterInWindow(Column::Temperature, form().TTxt);
        enterStokesRadiusAndViscosity();
        enterField();
        enterSigmaOrMobility(Column::Sigma);
        enterSigmaOrMobility(Column::Mobility);
        enterInWindow(Column::Valence, form().ZTxt);
        enterInWindow(Column::EffectiveValence, form().ZstarTxt);
    } catch (const platform::ScriptFailure& e) {
        // A dialog the row did not expect: the window took another path than
        // the one these entries make.
        m_error = std::string("the window did not take the entries: ") + e.what();
    }
    if (failed()) {
        outcome.error = m_error;
        return outcome;
    }
    for (std::size_t i = 0; i < kResultColumns.size(); ++i)
        outcome.texts[i] = form().field(kResultColumns[i].field)->text();
    outcome.state = static_cast<const model::ModelState&>(form());

    const auto& lines = forms::ReportFrm->document().paragraphs();
    std::size_t start = lines.size();
    while (start > 0 && lines[start - 1].text().rfind("-----", 0) != 0)
        --start;
    if (start > 0)
        for (std::size_t i = start - 1; i < lines.size(); ++i)
            outcome.lastEntry.push_back(lines[i].text());

    if (!datFile.empty())
        exportDat(datFile);
    return outcome;
}

struct Layout {
    std::vector<ColumnRef> columns;  // per field of a record
    bool hasSample = false;
    bool uncertainty = false;  // some SD column
};

Layout readHeader(const CsvRecord& header) {
    Layout layout;
    std::array<std::array<bool, 3>, kColumnCount> seen{};
    for (std::size_t i = 0; i < header.fields.size(); ++i) {
        const std::string name = trimmed(header.fields[i]);
        const std::string where =
            "line " + std::to_string(header.line) + ", column " + std::to_string(i + 1);
        const std::optional<ColumnRef> c = columnRefByName(name);
        if (!c) {
            std::string known;
            for (const char* n : kColumnNames)
                known += known.empty() ? n : std::string(", ") + n;
            throw InputError(where + ": unknown column " + quotedForMessage(name) +
                             " (the columns are " + known +
                             ", and XSD and XDist beside a measured input X)");
        }
        bool& already = seen[static_cast<std::size_t>(c->column)][static_cast<int>(c->role)];
        if (already)
            throw InputError(where + ": the column " + columnName(c->column) +
                             (c->role == ColumnRole::SD     ? "SD"
                              : c->role == ColumnRole::Dist ? "Dist"
                                                            : "") +
                             " appears twice");
        already = true;
        layout.uncertainty = layout.uncertainty || c->role == ColumnRole::SD;
        layout.columns.push_back(*c);
    }
    const auto has = [&](Column c) { return seen[static_cast<std::size_t>(c)][0]; };
    layout.hasSample = has(Column::Sample);

    std::vector<std::string> chain;
    for (Column c : {Column::Sigma, Column::Mobility, Column::Valence, Column::EffectiveValence})
        if (has(c))
            chain.push_back(columnName(c));
    const std::string line = "line " + std::to_string(header.line);
    if (chain.size() > 1)
        throw InputError(line + ": the columns " + chain[0] + " and " + chain[1] +
                         " cannot both be given: use one of Sigma, Mobility, Valence and "
                         "EffectiveValence");
    const int calculated = has(Column::Current) + has(Column::Conductivity) + has(Column::XSection);
    if (has(Column::EField) && calculated > 0)
        throw InputError(line + ": give either EField or Current, Conductivity and XSection, "
                                "not both");
    if (calculated > 0 && calculated < 3)
        throw InputError(line + ": E is calculated from all of Current, Conductivity and "
                                "XSection; give all three columns");
    return layout;
}

bool fileNameCharacter(unsigned char c) {
    return std::isalnum(c) || c == '.' || c == '-' || c == '_' || c >= 0x80;
}

}  // namespace

const char* columnName(Column column) {
    return kColumnNames[static_cast<std::size_t>(column)];
}

std::optional<Column> columnByName(std::string_view name) {
    const auto lower = [](std::string_view s) {
        std::string out(s);
        for (char& c : out)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return out;
    };
    const std::string wanted = lower(name);
    for (std::size_t i = 0; i < kColumnCount; ++i)
        if (lower(kColumnNames[i]) == wanted)
            return static_cast<Column>(i);
    return std::nullopt;
}

Outcome runSample(const Sample& sample, const std::filesystem::path& datFile) {
    RowRun row(sample);
    return row.run(datFile);
}

std::string datFileName(std::size_t row, const std::string& label) {
    std::string name = std::to_string(row);
    if (!label.empty()) {
        name += '-';
        for (unsigned char c : label)
            name += fileNameCharacter(c) ? static_cast<char>(c) : '_';
    }
    return name + ".DAT";
}

BatchSummary runBatch(std::istream& in, const BatchOutput& out) {
    CsvReader reader(in);
    CsvRecord record;
    if (!reader.next(record))
        throw InputError("line 1: the input is empty; it needs a header row naming the columns");
    const Layout layout = readHeader(record);

    std::vector<std::string> header{"Sample"};
    for (const ResultColumn& r : kResultColumns)
        header.push_back(r.name);
    if (layout.uncertainty)
        header.insert(header.end(), kUncertaintyColumns.begin(), kUncertaintyColumns.end());
    header.push_back("Error");
    out.write(csvRecord(header));

    BatchSummary summary;
    std::vector<std::string> row;
    while (reader.next(record)) {
        if (record.fields.size() != layout.columns.size())
            throw InputError("line " + std::to_string(record.line) + ": " +
                             std::to_string(record.fields.size()) + " fields, but the header has " +
                             std::to_string(layout.columns.size()));
        Sample sample;
        for (std::size_t i = 0; i < record.fields.size(); ++i) {
            const Column c = layout.columns[i].column;
            const ColumnRole role = layout.columns[i].role;
            if (c == Column::Sample) {
                sample.label = record.fields[i];
                continue;
            }
            std::string text = trimmed(record.fields[i]);
            if (text.empty())
                continue;  // keeps the start-up value; no uncertainty
            const auto at = static_cast<std::size_t>(c);
            if (role == ColumnRole::Dist) {
                sample.dist[at] = std::move(text);
                continue;
            }
            try {
                platform::StrToFloat(text);
            } catch (const platform::EConvertError&) {
                throw InputError("line " + std::to_string(record.line) + ", column " +
                                 std::to_string(i + 1) + " (" + columnName(c) +
                                 (role == ColumnRole::SD ? "SD" : "") +
                                 "): " + quotedForMessage(text) + " is not a number");
            }
            (role == ColumnRole::SD ? sample.sd[at] : sample[c]) = std::move(text);
        }
        ++summary.rows;
        const std::filesystem::path dat =
            out.datDir.empty() ? std::filesystem::path()
                               : out.datDir / datFileName(summary.rows, sample.label);
        Outcome outcome = runSample(sample, dat);
        UncertaintyOutcome uncertainty;
        if (layout.uncertainty && outcome.ok()) {
            uncertainty = analyseSample(*outcome.state, sample, out.monteCarlo);
            // A refused uncertainty fails the row as a refused value does.
            if (!uncertainty.error.empty())
                outcome = Outcome{{}, uncertainty.error, {}, {}};
        }
        if (!outcome.ok())
            ++summary.failedRows;

        row.assign(1, sample.label);
        row.insert(row.end(), outcome.texts.begin(), outcome.texts.end());
        if (layout.uncertainty)
            row.insert(row.end(), uncertainty.texts.begin(), uncertainty.texts.end());
        row.push_back(outcome.error);
        out.write(csvRecord(row));
        if (out.logLine)
            for (const std::string& line : outcome.lastEntry)
                out.logLine(line);
    }
    return summary;
}

}  // namespace batch
