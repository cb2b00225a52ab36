// SPDX-License-Identifier: GPL-3.0-or-later

// The main window's files and printer: the .DAT export of the graph's
// points, printing and copying the graph, and the series and sample files
// it opens and saves. The window's fields and their clicks stay in
// Mainfrm.cpp.
#include <algorithm>
#include <sstream>

#include "forms/GraphExport.h"
#include "forms/LogJournal.h"
#include "forms/Mainfrm.h"
#include "forms/Report.h"
#include "forms/Series.h"
#include "model/InputRule.h"
#include "model/Sampling.h"
#include "platform/Application.h"
#include "platform/base/AtomicFile.h"
#include "platform/base/Csv.h"
#include "platform/base/NumberText.h"
#include "series/Series.h"

namespace forms {

using model::FieldId;

void TOpeningForm::CopyGevszvaluestoclipboard1Click(platform::MenuItem&) {
    // The graph's own sampling, so that the file holds exactly its points.
    Memo1 = model::datLines(*this);
    SaveDialog1->Title = "Save Marlix DAT file";
    if (!SaveDialog1->Execute())
        return;
    platform::ForceCurrentDirectory = true;
    std::string data;
    for (const std::string& line : Memo1)
        data += line + "\r\n";
    platform::replaceFile(SaveDialog1->FileName, data);
}

void TOpeningForm::Printersetup1Click(platform::MenuItem&) {
    PrinterSetupDialog1->Execute();
}

void TOpeningForm::Printgraph1Click(platform::MenuItem&) {
    Chart1->PrintPortrait();
    Chart1->Print();
    platform::app().ShowInformation(graphPrintedMessage());
}

void TOpeningForm::Printgraphlandscape1Click(platform::MenuItem&) {
    Chart1->PrintLandscape();
    Chart1->Print();
    platform::app().ShowInformation(graphPrintedMessage());
}

void TOpeningForm::Copygraphtoclipboard1Click(platform::MenuItem&) {
    Chart1->CopyToClipboardMetafile(true);
}

// ------------------------------------------------------------ series and sample files

TSeriesFrm& TOpeningForm::seriesWindow() {
    for (const auto& w : m_seriesWindows)
        if (!w->visible())
            return *w;
    SeriesLinks links;
    links.enterRow = [this](const series::Series::RowEntries& row) {
        return EnterRow(row.entries, row.water, row.model);
    };
    if (ReportFrm && ReportFrm->journal())
        links.copyFolder = ReportFrm->journal()->stateFolder();
    m_seriesWindows.push_back(std::make_unique<TSeriesFrm>(this, std::move(links)));
    return *m_seriesWindows.back();
}

void TOpeningForm::NewSeries1Click(platform::MenuItem&) {
    TSeriesFrm& w = seriesWindow();
    w.NewSeries1Click(*w.NewSeries1);
    w.Show();
}

void TOpeningForm::Open1Click(platform::MenuItem&) {
    if (OpenSeriesDialog1->Execute())
        OpenFile(OpenSeriesDialog1->FileName);
}

TSeriesFrm* TOpeningForm::OpenFile(const std::string& path) {
    series::Series file;
    file.deferEvaluation(TSeriesFrm::kBackgroundRows);
    std::shared_ptr<const std::string> bytes;
    try {
        bytes = TSeriesFrm::readSeriesFile(file, path);
        // A setting the series window cannot use refuses the file as a whole.
        TSeriesFrm::checkSettings(file);
    } catch (const std::exception& e) {
        platform::app().ShowMessage("Cannot open \"" + path + "\": " + e.what());
        return nullptr;
    }
    // A Zeta has no field of the main window: its sample opens as a series,
    // which converts it.
    const auto zeta = [&file] {
        for (const model::Entry& e : file.rowEntries(0).entries)
            if (e.quantity == model::Quantity::Zeta)
                return true;
        return false;
    };
    if (file.rowCount() == 1 && !zeta()) {
        const series::Series::RowEntries row = file.rowEntries(0);
        std::optional<std::string> why;
        for (std::size_t c = 0; c < file.columnCount() && !why; ++c)
            if (!file.cellError(0, c).empty())
                why = file.cellError(0, c);
        for (const model::Entry& e : row.entries)
            if (!why)
                why = series::mainWindowRefusal(e.quantity, e.text);
        if (!why)
            why = EnterRow(row.entries, row.water, row.model, row.salt);
        if (why)
            platform::app().ShowMessage("The sample in \"" + path +
                                        "\" cannot be opened in the main window: " + *why + ".");
        return nullptr;
    }
    // Read once: a long series costs its evaluation and its memory once.
    TSeriesFrm& w = seriesWindow();
    w.openDocument(std::move(file), path, std::move(bytes));
    w.Show();
    return &w;
}

std::optional<std::string> TOpeningForm::EnterRow(const std::vector<model::Entry>& entries,
                                                  bool water, model::ElectrokineticModel m,
                                                  const std::string& salt) {
    // Tried on the start-up sample first, so that a refused row leaves the
    // window as it was.
    model::Sample s = model::startUpSample();
    s.state.Electrokinetic = m;
    s.state.Salt = salt;
    if (auto error = model::enterAll(s, entries, water))
        return error;
    static_cast<model::ModelState&>(*this) = s.state;
    for (int i = 0; i < model::kFieldCount; ++i) {
        const auto id = static_cast<FieldId>(i);
        m_fields.setText(id, s.fields.text(id));
        m_fields.setColor(id, s.fields.color(id));
    }
    Recalculate();
    return std::nullopt;
}

void TOpeningForm::SaveSample1Click(platform::MenuItem&) {
    using model::Quantity;
    // Each input once, as its field shows it, so that opening the file
    // enters the same sample with the same choices.
    std::vector<Quantity> inputs = {Quantity::IonicStrength, Quantity::Temperature,
                                    Quantity::StokesRadius, Quantity::SaltIonRadius};
    if (!SolventWater) {
        inputs.push_back(Quantity::Dielectric);
        inputs.push_back(Quantity::Viscosity);
    }
    // E calculated stays calculated: from the current, conductivity and
    // cross-section when they give the E the field shows; left out while
    // all four are the start-up ones (which do not agree), so that opening
    // the file keeps them as they are; otherwise E as its field shows it.
    std::vector<model::Entry> current;
    for (Quantity q : model::kFieldFromCurrent)
        current.push_back({q, m_fields.text(*model::quantityInfo(q).field)});
    const model::Sample startUp = model::startUpSample();
    model::Sample fromCurrent = startUp;
    const bool asAtStartUp =
        std::all_of(current.begin(), current.end(),
                    [&](const model::Entry& e) {
                        return startUp.fields.text(*model::quantityInfo(e.quantity).field) ==
                               e.text;
                    }) &&
        startUp.fields.text(FieldId::ETxt) == m_fields.text(FieldId::ETxt);
    if (!ECalculated || !asAtStartUp) {
        if (ECalculated && !model::enterAll(fromCurrent, current, false) &&
            fromCurrent.fields.text(FieldId::ETxt) == m_fields.text(FieldId::ETxt))
            inputs.insert(inputs.end(), model::kFieldFromCurrent.begin(),
                          model::kFieldFromCurrent.end());
        else
            inputs.push_back(Quantity::EField);
    }
    // The one of the valence chain the window holds as entered.
    inputs.push_back(!ZCalculated        ? Quantity::Valence
                     : !ZstarCalculated  ? Quantity::EffectiveValence
                     : SigmaFromMobility ? Quantity::Mobility
                                         : Quantity::Sigma);
    std::vector<std::string> header{"Sample"}, values{""};
    for (Quantity q : inputs) {
        const model::QuantityInfo& info = model::quantityInfo(q);
        header.push_back(info.name);
        values.push_back(m_fields.text(*info.field));
    }
    if (SolventWater) {
        header.push_back("Solvent");
        values.push_back("water");
        header.push_back(model::quantityInfo(Quantity::RelativeViscosity).name);
        values.push_back(platform::FloatToStr(RelativeViscosity));
    }
    if (Electrokinetic != model::ElectrokineticModel::Dhh) {
        header.push_back("Model");
        values.push_back(model::electrokineticModelInfo(Electrokinetic).name);
        if (!model::electrokineticModelInfo(Electrokinetic).henry) {
            header.push_back("Salt");
            values.push_back(Salt);
        }
    }
    if (!SaveSampleDialog1->Execute())
        return;
    series::Series sample;
    std::istringstream text(platform::csvRecord(header) + platform::csvRecord(values));
    sample.read(text);
    sample.save(SaveSampleDialog1->FileName);
    platform::app().ShowInformation("The sample was saved to \"" + SaveSampleDialog1->FileName +
                                    "\".");
}

}  // namespace forms
