// SPDX-License-Identifier: GPL-3.0-or-later

// The series window's table: which column of the document each column of
// the view shows, in which order and under which caption. The file keeps
// its own order and names; only the view is arranged here, so that the
// results a scientist reads first stand right after the measurements.

#include <algorithm>
#include <iterator>

#include "forms/Series.h"
#include "model/Quantities.h"
#include "platform/base/NumberText.h"

namespace forms {

namespace {

// A refused cell: red, as the main window shows no such colour.
constexpr platform::Color kErrorColor = platform::clRed;

// The quantity's caption as the main window writes it, with its unit.
std::string captionWithUnit(const model::QuantityInfo& info) {
    const std::string caption = info.windowCaption;
    return *info.unit ? caption + " (" + info.unit + ")" : caption;
}

// The document's results after the quantities' columns: for z, then z*,
// the GUM's u, U = 2u and the Monte Carlo interval's ends.
constexpr std::size_t kUncertaintyPerValence = 4;

std::string uncertaintyCaption(std::size_t k) {
    const model::Quantity q =
        k < kUncertaintyPerValence ? model::Quantity::Valence : model::Quantity::EffectiveValence;
    const std::string z = model::quantityInfo(q).windowCaption;
    switch (k % kUncertaintyPerValence) {
        case 0:
            return "u(" + z + ")";
        case 1:
            return "U(" + z + ") = 2u";
        case 2:
            return z + " 95 % low";
        default:
            return z + " 95 % high";
    }
}

// The results that follow the measurements directly; the others (a, K, Ka,
// H, slope, E, Ge(max), the solvent's) come after them, or are hidden.
constexpr model::FieldId kLeading[] = {model::FieldId::ZTxt, model::FieldId::ZstarTxt,
                                       model::FieldId::SigTxt, model::FieldId::MuTxt};

}  // namespace

const std::vector<std::string>& TSeriesFrm::chargeCaptions() {
    static const std::vector<std::string> captions{"Predicted z", "Screened z", "Bound charge"};
    return captions;
}

void TSeriesFrm::buildView() {
    m_view.clear();
    for (std::size_t c = 0; c < m_series.columnCount(); ++c)
        m_view.push_back({ViewColumn::Source::Input, c, m_series.headerText(c)});
    const std::size_t quantities = series::kResultColumns.size();
    const std::size_t results = m_series.resultNames().size();
    const auto resultColumn = [&](std::size_t i) -> ViewColumn {
        const std::string caption = i < quantities
                                        ? captionWithUnit(model::quantityInfo(
                                              model::quantityOf(series::kResultColumns[i].field)))
                                        : uncertaintyCaption(i - quantities);
        return {ViewColumn::Source::Result, i, caption};
    };
    const auto indexOf = [&](model::FieldId field) {
        return static_cast<std::size_t>(
            std::find_if(series::kResultColumns.begin(), series::kResultColumns.end(),
                         [field](const series::ResultColumn& r) { return r.field == field; }) -
            series::kResultColumns.begin());
    };
    std::vector<bool> shown(results, false);
    const auto show = [&](std::size_t i) {
        if (i < results && !shown[i]) {
            m_view.push_back(resultColumn(i));
            shown[i] = true;
        }
    };
    // z with its uncertainty, z* with its, the sequence's charges, then
    // Sigma and the mobility.
    show(indexOf(model::FieldId::ZTxt));
    for (std::size_t k = 0; k < kUncertaintyPerValence; ++k)
        show(quantities + k);
    show(indexOf(model::FieldId::ZstarTxt));
    for (std::size_t k = kUncertaintyPerValence; k < 2 * kUncertaintyPerValence; ++k)
        show(quantities + k);
    if (m_sequence)
        for (std::size_t k = 0; k < chargeColumns().size(); ++k)
            m_view.push_back({ViewColumn::Source::Charge, k, chargeCaptions()[k]});
    for (std::size_t k = 2; k < std::size(kLeading); ++k)
        show(indexOf(kLeading[k]));
    for (std::size_t i = 0; i < results; ++i)
        if (m_showIntermediate || i >= quantities)
            show(i);
}

int TSeriesFrm::viewColumnOf(const std::string& name) const {
    const std::vector<std::string> results = m_series.resultNames();
    for (std::size_t v = 0; v < m_view.size(); ++v) {
        const ViewColumn& col = m_view[v];
        const bool named =
            (col.source == ViewColumn::Source::Input &&
             m_series.column(col.index).header == name) ||
            (col.source == ViewColumn::Source::Result && results[col.index] == name) ||
            (col.source == ViewColumn::Source::Charge && chargeColumns()[col.index] == name);
        if (named || col.header == name)
            return static_cast<int>(v);
    }
    return -1;
}

platform::GridCell TSeriesFrm::cellAt(int row, int column) const {
    platform::GridCell cell;
    const auto r = static_cast<std::size_t>(row);
    if (column < 0 || static_cast<std::size_t>(column) >= m_view.size())
        return cell;
    const ViewColumn& col = m_view[static_cast<std::size_t>(column)];
    if (col.source != ViewColumn::Source::Input) {
        cell.readOnly = true;
        cell.background = platform::clYellow;
        // Results in the file's decimal mark, as its inputs are.
        if (col.source == ViewColumn::Source::Result && r < m_series.rowCount() &&
            m_series.pending(r)) {
            // Said in words: an empty cell would read as a row without results.
            cell.text = m_evaluation ? "pending" : "not calculated";
            cell.tooltip = m_evaluation ? "Being calculated: the series is calculated row by row"
                                        : "Not calculated: the calculation was cancelled; it "
                                          "starts again with the next change";
        } else if (col.source == ViewColumn::Source::Result && r < m_series.rowCount()) {
            cell.text =
                platform::dialectNumber(m_series.resultText(r, col.index), m_series.dialect());
            cell.tooltip =
                m_series.rowError(r).empty() ? m_series.rowNotice(r) : m_series.rowError(r);
        } else if (col.source == ViewColumn::Source::Charge && r < m_charges.size() &&
                   m_charges[r]) {
            const RowCharge& c = *m_charges[r];
            const double values[] = {c.predicted, c.screened, c.bound};
            cell.text = platform::dialectNumber(platform::FormatFloat("0.00", values[col.index]),
                                                m_series.dialect());
        }
        return cell;
    }
    if (r >= m_series.rowCount())
        return cell;  // the empty row below the table, to type a new one into
    cell.text = m_series.cellText(r, col.index);
    cell.tooltip = m_series.cellError(r, col.index);
    if (!cell.tooltip.empty())
        cell.background = kErrorColor;
    return cell;
}

void TSeriesFrm::showIntermediate(bool show) {
    m_showIntermediate = show;
    refresh();
}

void TSeriesFrm::showChargeColumns() {
    const int first = viewColumnOf(chargeColumns().front());
    if (first < 0)
        return;
    Grid1->setCurrent(Grid1->currentRow(), first);
    StatusLbl->setText("The charges the sequence predicts are in the columns " +
                       chargeCaptions()[0] + ", " + chargeCaptions()[1] + " and " +
                       chargeCaptions()[2] + ".");
}

}  // namespace forms
