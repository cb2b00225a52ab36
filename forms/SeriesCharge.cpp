// SPDX-License-Identifier: GPL-3.0-or-later

// The charge a sequence predicts for each row of a series with a pH.

#include "forms/Series.h"
#include "platform/base/Exception.h"
#include "platform/base/NumberText.h"
#include "series/Row.h"

namespace forms {

namespace {

bool isPh(const std::string& header) {
    return header.size() == 2 && (header[0] == 'p' || header[0] == 'P') &&
           (header[1] == 'h' || header[1] == 'H');
}

}  // namespace

const std::vector<std::string>& TSeriesFrm::chargeColumns() {
    static const std::vector<std::string> names{"PredictedZ", "ScreenedZ", "BoundCharge"};
    return names;
}

std::optional<std::size_t> TSeriesFrm::phColumn() const {
    for (std::size_t c = 0; c < m_series.columnCount(); ++c)
        if (m_series.column(c).kind == series::ColumnKind::Text && isPh(m_series.column(c).header))
            return c;
    return std::nullopt;
}

void TSeriesFrm::attachSequence(const std::string& text) {
    attachSequence(charge::readSequence(text));
}

void TSeriesFrm::attachSequence(charge::ProteinSequence read) {
    TSequenceOptions ask(this, read, m_choice);
    if (ask.ShowModal() != platform::ModalResult::Ok)
        return;
    attach(AttachedSequence{std::move(read), ask.choice()});
}

void TSeriesFrm::AttachSequence1Click(platform::MenuItem&) {
    if (!SequenceDialog1->Execute())
        return;
    attachSequence(charge::readSequenceFile(SequenceDialog1->FileName));
}

void TSeriesFrm::SequenceOptions1Click(platform::MenuItem&) {
    if (!m_sequence)
        return;
    TSequenceOptions ask(this, *m_sequence, m_choice);
    if (ask.ShowModal() == platform::ModalResult::Ok)
        attach(AttachedSequence{*m_sequence, ask.choice()});
}

void TSeriesFrm::DetachSequence1Click(platform::MenuItem&) {
    attach(std::nullopt);
}

void TSeriesFrm::updateCharges() {
    m_charges.clear();
    const std::optional<std::size_t> ph = phColumn();
    if (!m_sequence || !ph)
        return;
    m_charges.assign(m_series.rowCount(), std::nullopt);
    const std::optional<series::Series::Values> pH = m_series.xValues(*ph);
    for (std::size_t r = 0; pH && r < m_series.rowCount(); ++r) {
        if (!(*pH)[r] || m_series.resultText(r, 0).empty())
            continue;
        const series::Series::RowEntries entries = m_series.rowEntries(r);
        const series::RowResult row = series::evaluateRow(entries.entries, entries.water);
        if (!row.ok() || !row.sample)
            continue;
        const model::ModelState& s = row.sample->state;
        try {
            const charge::SampleCharge c = charge::sampleCharge(m_sites, *(*pH)[r], s);
            m_charges[r] = RowCharge{c.predicted, c.screened, c.bound, charge::pkShiftPerCharge(s)};
        } catch (const platform::Exception&) {
            // Conditions without a meaning for the screening: no charges.
        }
    }
}

std::optional<double> TSeriesFrm::rowShift(std::size_t row) const {
    if (row < m_charges.size() && m_charges[row])
        return m_charges[row]->shift;
    return std::nullopt;
}

void TSeriesFrm::addChargeCurves(std::vector<platform::LineSeries>& series, double from, double to,
                                 const std::vector<CurveGroup>& groups) const {
    if (!m_sequence || groups.empty() || !(to > from))
        return;
    platform::LineSeries hh{"Predicted", platform::Color{128, 128, 128}, {}};
    for (int k = 0; k <= 100; ++k) {
        const double pH = from + (to - from) * k / 100;
        hh.points.push_back({pH, charge::netCharge(m_sites, pH)});
    }
    series.push_back(std::move(hh));
    for (const CurveGroup& g : groups) {
        // One group: named itself; several: a key entry below names them.
        platform::LineSeries screened{groups.size() == 1 ? "Screened" : "", g.color, {}, true};
        for (int k = 0; k <= 100; ++k) {
            const double pH = from + (to - from) * k / 100;
            screened.points.push_back({pH, charge::screenedCharge(m_sites, pH, g.shift)});
        }
        series.push_back(std::move(screened));
    }
    if (groups.size() > 1)
        series.push_back(
            {"Screened at each group's conditions", platform::Color{64, 64, 64}, {}, true});
}

}  // namespace forms
