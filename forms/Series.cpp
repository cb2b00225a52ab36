// SPDX-License-Identifier: GPL-3.0-or-later

#include "forms/Series.h"

#include <algorithm>
#include <sstream>
#include <utility>

#include "forms/ChargeSequence.h"
#include "forms/SeriesDialogs.h"
#include "journal/SeriesCopy.h"
#include "platform/Application.h"
#include "platform/base/NumberText.h"

namespace forms {

namespace {

constexpr int kPlotWidth = 400;
constexpr int kStatusHeight = 20;

std::string rowName(std::size_t row) {
    return "Row " + std::to_string(row + 1);
}

}  // namespace

std::unique_ptr<platform::OpenDialog> csvOpenDialog(platform::Form* owner, const std::string& name,
                                                    const std::string& title) {
    auto d = std::make_unique<platform::OpenDialog>(owner, name);
    d->Title = title;
    d->Filter = "CSV files|*.csv|All files|*";
    return d;
}

std::unique_ptr<platform::SaveDialog> csvSaveDialog(platform::Form* owner, const std::string& name,
                                                    const std::string& title) {
    auto d = std::make_unique<platform::SaveDialog>(owner, name);
    d->Title = title;
    d->Filter = "CSV files|*.csv";
    d->DefaultExt = "csv";
    return d;
}

TSeriesFrm::TSeriesFrm(platform::Form* owner, SeriesLinks links)
    : Form(owner, "SeriesFrm"), m_links(std::move(links)) {
    setClientSize(1000, 520);
    setMinClientSize(640, 360);
    buildMenu();
    m_plotTimer.OnTimer = [this] { updatePlot(); };

    StatusLbl = add<platform::Label>("StatusLbl");
    StatusLbl->setBounds(0, clientHeight() - kStatusHeight, clientWidth(), kStatusHeight);
    StatusLbl->setAlign(platform::Align::Bottom);
    buildRunPanel();

    buildPlotPanel();

    Grid1 = add<platform::Grid>("Grid1");
    Grid1->setAlign(platform::Align::Client);
    Grid1->setAccessibleName("Series table");
    Grid1->OnGetCell = [this](int r, int c) { return cellAt(r, c); };
    Grid1->OnCellEdited = [this](platform::Grid&, int r, int c, const std::string& text) {
        cellEdited(r, c, text);
    };
    Grid1->OnCurrentChanged = [this](platform::Control&) { updateStatus(); };
    Grid1->OnSelectionChanged = [this](platform::Control&) { updateEditCommands(); };
    Grid1->OnCopy = [this](platform::Control&) { Copy1Click(*Copy1); };
    Grid1->OnPaste = [this](platform::Control&) { Paste1Click(*Paste1); };
    realign();

    OnCloseQuery = [this](platform::Form&, bool& canClose) { canClose = confirmDiscard(); };
    OnClose = [this](platform::Form&, platform::CloseAction&) { closed(); };
    // Beside the log's copy, when the program keeps one.
    if (m_links.copyFolder)
        m_copy = std::make_unique<journal::SeriesCopy>(
            *m_links.copyFolder, [](const journal::SeriesCopyContent& copy) {
                // On the copy's thread: no row is evaluated but the edited.
                return replayCopy(copy, 0).text(series::Series::PendingRows::WithoutResults);
            });
    refresh();
}

TSeriesFrm::~TSeriesFrm() {
    stopEvaluation();
    stopRun();
}

void TSeriesFrm::buildMenu() {
    using platform::MenuItem;
    platform::MainMenu* menu = createMenu();
    File1 = menu->add("File1", "&File");
    NewSeries1 =
        File1->add("NewSeries1", "&New series", [this](MenuItem& m) { NewSeries1Click(m); });
    Open1 = File1->add("Open1", "&Open...", [this](MenuItem& m) { Open1Click(m); });
    Save1 = File1->add("Save1", "&Save", [this](MenuItem&) { save(); })
                ->setShortcut(platform::StandardKey::Save);
    SaveAs1 = File1->add("SaveAs1", "Save &as...", [this](MenuItem&) { saveAs(); });
    SaveGraphAs1 = File1->add("SaveGraphAs1", "Save &graph as...", [this](MenuItem&) {
        // The graph saved is the series as it is now.
        if (m_plotTimer.active()) {
            m_plotTimer.stop();
            updatePlot();
        }
        Chart1Export->SaveImageAs();
    });
    File1->addSeparator();
    OpenInMain1 = File1->add("OpenInMain1", "Open in &main window",
                             [this](MenuItem& m) { OpenInMain1Click(m); });
    File1->addSeparator();
    Close1 = File1->add("Close1", "&Close", [this](MenuItem&) { Close(); });

    Edit1 = menu->add("Edit1", "&Edit");
    Undo1 = Edit1->add("Undo1", "&Undo", [this](MenuItem&) {
        change([this] {
            if (m_series.canUndo())
                m_series.undo();
        });
    });
    Undo1->setShortcut(platform::StandardKey::Undo);
    Redo1 = Edit1->add("Redo1", "&Redo", [this](MenuItem&) {
        change([this] {
            if (m_series.canRedo())
                m_series.redo();
        });
    });
    Redo1->setShortcut(platform::StandardKey::Redo);
    Edit1->addSeparator();
    Cut1 = Edit1->add("Cut1", "Cu&t", [this](MenuItem& m) { Cut1Click(m); })
               ->setShortcut(platform::StandardKey::Cut);
    Copy1 = Edit1->add("Copy1", "&Copy", [this](MenuItem& m) { Copy1Click(m); })
                ->setShortcut(platform::StandardKey::Copy);
    Paste1 = Edit1->add("Paste1", "&Paste", [this](MenuItem& m) { Paste1Click(m); })
                 ->setShortcut(platform::StandardKey::Paste);
    Delete1 = Edit1->add("Delete1", "D&elete", [this](MenuItem& m) { Delete1Click(m); })
                  ->setShortcut(platform::StandardKey::Delete);
    SelectAll1 =
        Edit1->add("SelectAll1", "&Select all", [this](MenuItem& m) { SelectAll1Click(m); })
            ->setShortcut(platform::StandardKey::SelectAll);
    Edit1->addSeparator();
    InsertRow1 = Edit1->add("InsertRow1", "&Insert row", [this](MenuItem&) {
        const auto at = std::min<std::size_t>(Grid1->currentRow(), m_series.rowCount());
        change([this, at] { m_series.insertRows(at, 1); });
    });
    DeleteRow1 =
        Edit1->add("DeleteRow1", "&Delete row", [this](MenuItem& m) { DeleteRow1Click(m); });
    MoveRowUp1 = Edit1->add("MoveRowUp1", "Move row &up", [this](MenuItem&) { MoveRow(-1); });
    MoveRowDown1 = Edit1->add("MoveRowDown1", "Move row do&wn", [this](MenuItem&) { MoveRow(1); });
    Edit1->addSeparator();
    AddColumn1 =
        Edit1->add("AddColumn1", "&Add column...", [this](MenuItem& m) { AddColumn1Click(m); });
    RenameColumn1 = Edit1->add("RenameColumn1", "Re&name column...",
                               [this](MenuItem& m) { RenameColumn1Click(m); });
    DeleteColumn1 = Edit1->add("DeleteColumn1", "Delete co&lumn",
                               [this](MenuItem& m) { DeleteColumn1Click(m); });

    View1 = menu->add("View1", "&View");
    HideIntermediate1 = View1->add("HideIntermediate1", "&Hide intermediate results",
                                   [this](MenuItem&) { showIntermediate(false); });
    ShowIntermediate1 = View1->add("ShowIntermediate1", "&Show intermediate results",
                                   [this](MenuItem&) { showIntermediate(true); });

    Analysis1 = menu->add("Analysis1", "&Analysis");
    AttachSequence1 = Analysis1->add("AttachSequence1", "Attach &sequence...",
                                     [this](MenuItem& m) { AttachSequence1Click(m); });
    SequenceOptions1 = Analysis1->add("SequenceOptions1", "Sequence &options...",
                                      [this](MenuItem& m) { SequenceOptions1Click(m); });
    DetachSequence1 = Analysis1->add("DetachSequence1", "&Detach sequence",
                                     [this](MenuItem& m) { DetachSequence1Click(m); });

    OpenDialog1 = csvOpenDialog(this, "OpenDialog1", "Open series");
    SequenceDialog1 = sequenceOpenDialog(this, "SequenceDialog1", "Attach sequence");
    SaveDialog1 = csvSaveDialog(this, "SaveDialog1", "Save series");
}

// ------------------------------------------------------------ the table

void TSeriesFrm::cellEdited(int row, int column, const std::string& text) {
    const auto r = static_cast<std::size_t>(row);
    const auto c = static_cast<std::size_t>(column);
    if (r < m_series.rowCount() && m_series.cellText(r, c) == text)
        return;
    // Typing into the empty row adds it, as one step to undo.
    change([&] {
        if (r < m_series.rowCount()) {
            m_series.setCell(r, c, text);
            m_typed = journal::CellEdit{r, c, text};
        } else {
            m_series.paste(r, c, text);
        }
    });
}

void TSeriesFrm::change(const std::function<void()>& command) {
    // The evaluating threads read the rows that the command may change.
    stopEvaluation();
    m_evaluationCancelled = false;
    try {
        command();
    } catch (...) {
        m_typed.reset();
        refresh();
        throw;
    }
    ++m_changes;
    m_plotAfterPause = m_series.rowCount() >= kBackgroundRows;
    refresh();
}

void TSeriesFrm::refresh() {
    followSettings();
    updateCharges();
    buildView();
    std::vector<std::string> headers;
    for (const ViewColumn& c : m_view)
        headers.push_back(c.header);
    const int row = Grid1->currentRow(), column = Grid1->currentColumn();
    if (headers != Grid1->headers() || Grid1->rowCount() != int(m_series.rowCount()) + 1) {
        Grid1->setShape(std::move(headers), static_cast<int>(m_series.rowCount()) + 1);
        Grid1->setCurrent(row, column);
    }
    // The results' headers name the conditions that no column gives.
    const std::string startUp = m_series.startUpNotice();
    std::vector<std::string> tips(Grid1->headers().size());
    for (std::size_t c = 0; c < m_series.columnCount() && c < tips.size(); ++c)
        if (!m_series.column(c).unit.empty())
            tips[c] = "In " + m_series.column(c).unit + ", entered converted to " +
                      model::quantityInfo(m_series.column(c).quantity).logUnit;
    if (!startUp.empty())
        for (std::size_t c = m_series.columnCount(); c < tips.size(); ++c)
            tips[c] = "Calculated with the start-up values of " + startUp +
                      ": the series has no column for them";
    Grid1->setHeaderTooltips(std::move(tips));
    Grid1->invalidate();
    setCaption((m_path.empty() ? std::string("Untitled") : fileName()) +
               (m_series.dirty() ? " *" : "") + " - Series");
    updateStatus();
    if (std::exchange(m_plotAfterPause, false)) {
        m_plotTimer.start(kPlotDelayMs);
    } else {
        m_plotTimer.stop();
        updatePlot();
    }
    updateMenu();
    updateCopy();
    followEvaluation();
    followRun();
}

void TSeriesFrm::updateMenu() {
    Undo1->setEnabled(m_series.canUndo());
    Redo1->setEnabled(m_series.canRedo());
    updateEditCommands();
    Save1->setEnabled(m_series.dirty() || m_path.empty());
    DetachSequence1->setEnabled(m_sequence.has_value());
    SequenceOptions1->setEnabled(m_sequence.has_value());
    HideIntermediate1->setEnabled(m_showIntermediate);
    ShowIntermediate1->setEnabled(!m_showIntermediate);
}

void TSeriesFrm::updateStatus() {
    const auto r = static_cast<std::size_t>(Grid1->currentRow());
    const auto c = static_cast<std::size_t>(Grid1->currentColumn());
    std::string text;
    if (r < m_series.rowCount()) {
        if (c < m_series.columnCount() && !m_series.cellError(r, c).empty())
            text = rowName(r) + ", " + m_series.headerText(c) + ": " + m_series.cellError(r, c);
        else if (!m_series.rowError(r).empty())
            text = rowName(r) + ": " + m_series.rowError(r);
        else if (!m_series.rowNotice(r).empty())
            text = rowName(r) + ": " + m_series.rowNotice(r);
        else if (c >= m_series.columnCount() &&
                 c - m_series.columnCount() < m_series.resultNames().size() &&
                 !m_series.resultNote(r, c - m_series.columnCount()).empty())
            text = rowName(r) + ", " + m_series.resultNames()[c - m_series.columnCount()] + ": " +
                   m_series.resultNote(r, c - m_series.columnCount());
    }
    if (text.empty()) {
        const std::size_t refused = m_series.rowsWithoutResults();
        text = std::to_string(m_series.rowCount()) + " rows";
        if (const std::size_t pending = m_series.pendingRows())
            text += ", " + std::to_string(pending) +
                    (m_evaluation ? " being calculated" : " not calculated (cancelled)");
        if (refused)
            text += ", " + std::to_string(refused) + " without results";
        if (const auto [shown, points] = m_plotDrawn; shown < points)
            text += "; the plot draws " + std::to_string(shown) + " of " + std::to_string(points) +
                    " points, the others lie under them";
        if (const std::size_t d = m_series.resultDifferences())
            text += ", " + std::to_string(d) + (d == 1 ? " result differs" : " results differ") +
                    " from the file's";
        if (const std::string startUp = m_series.startUpNotice(); !startUp.empty())
            text += "; from the start-up values: " + startUp;
    }
    StatusLbl->setText(text);
}

std::string TSeriesFrm::fileName() const {
    return m_path.filename().string();
}

// ------------------------------------------------------------ files

bool TSeriesFrm::confirmDiscard() {
    if (!m_series.dirty())
        return true;
    const std::string name = m_path.empty() ? std::string("Untitled") : fileName();
    TSaveSeries prompt(this, name);
    switch (prompt.ShowModal()) {
        case platform::ModalResult::Yes:
            return save();
        case platform::ModalResult::No:
            // The copy goes with the window, once it has really closed.
            return true;
        default:
            return false;
    }
}

void TSeriesFrm::NewSeries1Click(platform::MenuItem&) {
    if (!confirmDiscard())
        return;
    // The columns of a typical measurement to start from; more come with
    // Add column... or a paste.
    stopEvaluation();
    m_evaluationCancelled = false;
    series::Series fresh;
    fresh.deferEvaluation(kBackgroundRows);
    std::istringstream header("Sample,IonicStrength,Temperature,StokesRadius,Mobility\n");
    fresh.read(header);
    m_series = std::move(fresh);
    ++m_changes;
    m_path.clear();
    m_plot.xColumn = 0;
    refresh();
}

void TSeriesFrm::Open1Click(platform::MenuItem&) {
    if (!confirmDiscard() || !OpenDialog1->Execute())
        return;
    openFile(OpenDialog1->FileName);
}

bool TSeriesFrm::openFile(const std::filesystem::path& path) {
    series::Series opened;
    opened.deferEvaluation(kBackgroundRows);
    std::shared_ptr<const std::string> bytes;
    try {
        bytes = readSeriesFile(opened, path);
        checkSettings(opened);
    } catch (const std::exception& e) {
        platform::app().ShowMessage("Cannot open \"" + path.string() + "\": " + e.what());
        return false;
    }
    openDocument(std::move(opened), path, std::move(bytes));
    return true;
}

void TSeriesFrm::openDocument(series::Series opened, const std::filesystem::path& path,
                              std::shared_ptr<const std::string> bytes) {
    stopEvaluation();
    m_evaluationCancelled = false;
    m_series = std::move(opened);
    m_series.deferEvaluation(kBackgroundRows);
    ++m_changes;
    m_path = path;
    // Kept only for a copy to write.
    m_openedBytes = m_copy ? std::move(bytes) : nullptr;
    m_openedAt = m_changes;
    m_plot.xColumn = 0;
    Grid1->setCurrent(0, 0);
    refresh();
}

bool TSeriesFrm::save() {
    if (m_path.empty())
        return saveAs();
    try {
        m_series.save(m_path);
    } catch (const std::exception& e) {
        platform::app().ShowMessage(e.what());
        return false;
    }
    refresh();
    return true;
}

bool TSeriesFrm::saveAs() {
    SaveDialog1->FileName = m_path.empty() ? std::string("series.csv") : m_path.string();
    if (!SaveDialog1->Execute())
        return false;
    const std::filesystem::path previous = m_path;
    m_path = SaveDialog1->FileName;
    if (save())
        return true;
    m_path = previous;
    refresh();
    return false;
}

// ------------------------------------------------------------ commands

void TSeriesFrm::OpenInMain1Click(platform::MenuItem&) {
    const auto r = static_cast<std::size_t>(Grid1->currentRow());
    const std::string refused = rowName(r) + " cannot be opened in the main window: ";
    if (r >= m_series.rowCount() || m_series.rowEntries(r).entries.empty()) {
        platform::app().ShowMessage(rowName(r) + " holds no values to open in the main window.");
        return;
    }
    for (std::size_t c = 0; c < m_series.columnCount(); ++c)
        if (!m_series.cellError(r, c).empty()) {
            platform::app().ShowMessage(refused + m_series.cellError(r, c) + ".");
            return;
        }
    if (!m_series.rowError(r).empty()) {
        platform::app().ShowMessage(refused + m_series.rowError(r) + ".");
        return;
    }
    const series::Series::RowEntries row = m_series.rowEntries(r);
    for (const model::Entry& e : row.entries)
        if (auto why = series::mainWindowRefusal(e.quantity, e.text)) {
            platform::app().ShowMessage(refused + *why + ".");
            return;
        }
    if (!m_links.enterRow)
        return;
    if (auto why = m_links.enterRow(row))
        platform::app().ShowMessage(refused + *why + ".");
}

void TSeriesFrm::Copy1Click(platform::MenuItem&) {
    const platform::GridRange& b = Grid1->selection();
    std::string block;
    for (int r = b.top; r <= b.bottom; ++r) {
        for (int c = b.left; c <= b.right; ++c) {
            if (c > b.left)
                block += '\t';
            block += Grid1->cell(r, c).text;
        }
        block += "\n";
    }
    platform::services().setClipboard({block, {}});
}

void TSeriesFrm::Paste1Click(platform::MenuItem&) {
    const int column = Grid1->currentColumn();
    if (column >= inputColumns()) {
        platform::app().ShowMessage(
            "The results are calculated: paste into the inputs' columns, on the left.");
        return;
    }
    const std::string block = platform::services().clipboard().plain;
    if (block.empty())
        return;
    change([&] {
        m_series.paste(static_cast<std::size_t>(Grid1->currentRow()),
                       static_cast<std::size_t>(column), block);
    });
}

void TSeriesFrm::DeleteRow1Click(platform::MenuItem&) {
    const platform::GridRange& b = Grid1->selection();
    const auto top = static_cast<std::size_t>(b.top);
    const auto end = std::min<std::size_t>(b.bottom + 1, m_series.rowCount());
    if (top >= end)
        return;
    change([&] { m_series.deleteRows(top, end - top); });
}

void TSeriesFrm::MoveRow(int by) {
    const int from = Grid1->currentRow();
    const int to = from + by;
    if (from >= int(m_series.rowCount()) || to < 0 || to >= int(m_series.rowCount()))
        return;
    change([&] { m_series.moveRow(from, to); });
    Grid1->setCurrent(to, Grid1->currentColumn());
}

void TSeriesFrm::AddColumn1Click(platform::MenuItem&) {
    TColumnName prompt(this, "Add column", "");
    if (prompt.ShowModal() != platform::ModalResult::Ok || prompt.NameEdit->text().empty())
        return;
    const auto at = std::min<std::size_t>(Grid1->currentColumn() + 1, m_series.columnCount());
    change([&] { m_series.addColumn(at, prompt.NameEdit->text()); });
}

void TSeriesFrm::RenameColumn1Click(platform::MenuItem&) {
    const auto c = static_cast<std::size_t>(Grid1->currentColumn());
    if (c >= m_series.columnCount()) {
        platform::app().ShowMessage("The results' columns keep their names.");
        return;
    }
    TColumnName prompt(this, "Rename column", m_series.column(c).header);
    if (prompt.ShowModal() != platform::ModalResult::Ok || prompt.NameEdit->text().empty())
        return;
    change([&] { m_series.renameColumn(c, prompt.NameEdit->text()); });
}

void TSeriesFrm::DeleteColumn1Click(platform::MenuItem&) {
    const auto c = static_cast<std::size_t>(Grid1->currentColumn());
    if (c >= m_series.columnCount()) {
        platform::app().ShowMessage("The results' columns cannot be deleted.");
        return;
    }
    change([&] { m_series.deleteColumn(c); });
}

}  // namespace forms
