// SPDX-License-Identifier: GPL-3.0-or-later

#include "series/Series.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <exception>
#include <fstream>
#include <limits>
#include <mutex>
#include <sstream>
#include <stdexcept>
#include <thread>
#include <utility>

#include "model/Evaluation.h"
#include "model/InputRule.h"
#include "platform/base/AtomicFile.h"
#include "platform/base/Exception.h"
#include "platform/base/NumberText.h"
#include "series/SeriesInternal.h"

namespace series {

using internal::columnOf;

namespace {

// A record's cells of the setting columns: the first data row holds the
// values; a later row that holds one is refused, as it would be lost.
void readSettings(const CsvRecord& record,
                  const std::vector<std::pair<std::size_t, std::string>>& columns, bool first,
                  Settings& settings) {
    for (const auto& [at, key] : columns) {
        const std::string& value = record.fields.at(at);
        if (first)
            settings.set(key, value);
        else if (!value.empty())
            throw InputError("line " + std::to_string(record.line) + ", column " +
                             std::to_string(at + 1) + ": the setting " + key +
                             " holds its value in the first row only");
    }
}

}  // namespace

// ------------------------------------------------------------ files

void Series::read(std::istream& in) {
    CsvReader reader(in);
    CsvRecord record;
    if (!reader.next(record))
        throw InputError("line 1: the input is empty; it needs a header row naming the columns");
    Series read;
    read.m_monteCarlo = m_monteCarlo;
    read.m_deferFrom = m_deferFrom;
    // Room for the rows the rest of the input may hold (at 16 bytes or more a
    // line), so that a long file is not moved row by row as it grows; room
    // not used is never touched.
    if (const std::streampos at = in.tellg(); at != std::streampos(-1)) {
        in.seekg(0, std::ios::end);
        const std::streamoff left = in.tellg() - at;
        in.seekg(at);
        if (in && left > 0)
            read.m_rows.reserve(static_cast<std::size_t>(left) / 16);
    }
    // The results a file holds are evaluated again and compared, never
    // taken as inputs.
    const std::vector<Header> headers = readHeaderRow(record);
    std::vector<bool> kept;
    std::vector<std::pair<std::size_t, std::string>> settingColumns;
    for (std::size_t i = 0; i < headers.size(); ++i) {
        const HeaderRole role = headers[i].role;
        if (role == HeaderRole::Setting) {
            std::optional<std::string> key = settingKey(record.fields[i]);
            for (const auto& [at, other] : settingColumns)
                if (other == *key)
                    throw InputError("line " + std::to_string(record.line) + ", column " +
                                     std::to_string(i + 1) + ": the setting " + *key +
                                     " appears twice");
            settingColumns.emplace_back(i, std::move(*key));
        }
        kept.push_back(role != HeaderRole::Result && role != HeaderRole::Uncertainty &&
                       role != HeaderRole::Error && role != HeaderRole::Setting);
        if (kept.back())
            read.m_columns.push_back(columnOf(record.fields[i], headers[i]));
    }
    while (reader.next(record)) {
        if (record.fields.size() != kept.size())
            throw InputError("line " + std::to_string(record.line) + ": " +
                             std::to_string(record.fields.size()) + " fields, but the header has " +
                             std::to_string(kept.size()));
        readSettings(record, settingColumns, read.m_rows.empty(), read.m_settings);
        Row row;
        row.cells.reserve(read.m_columns.size());
        for (std::size_t i = 0; i < kept.size(); ++i) {
            if (kept[i]) {
                row.cells.emplace_back(std::move(record.fields[i]));
            } else if (headers[i].role == HeaderRole::Result) {
                row.fileResults.resize(kResultColumns.size());
                row.fileResults[headers[i].result] = std::move(record.fields[i]);
            }
        }
        read.m_rows.push_back(std::move(row));
    }
    // The row that only carries the settings of a series without rows.
    if (read.m_rows.size() == 1 && blank(read.m_rows[0]) && !read.m_settings.empty())
        read.m_rows.clear();
    read.m_dialect = reader.dialect();
    read.m_revision = m_revision;
    read.evaluateAll();
    read.m_changedWhole = true;
    *this = std::move(read);
}

void Series::open(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in || std::filesystem::is_directory(path))
        throw platform::Exception("Cannot open \"" + path.string() +
                                  "\": " + (in ? "it is a folder" : std::strerror(errno)));
    try {
        read(in);
    } catch (const InputError& e) {
        throw InputError(path.string() + ", " + e.what());
    }
}

std::string Series::text(PendingRows pending) const {
    std::string out = m_dialect.bom ? "\xEF\xBB\xBF" : "";
    std::vector<std::string> fields;
    for (const SeriesColumn& c : m_columns)
        fields.push_back(c.header);
    const std::vector<std::string> results = resultNames();
    fields.insert(fields.end(), results.begin(), results.end());
    fields.push_back("Error");
    for (const auto& [key, value] : m_settings.entries())
        fields.push_back(settingHeader(key));
    std::string header = csvRecord(fields, m_dialect);
    // A first field that starts like a byte order mark would be read back as
    // a broken one; in quotes it is data.
    if (!m_dialect.bom && header.rfind('\xEF', 0) == 0) {
        const std::string first = csvField(fields[0], m_dialect.separator);
        header.replace(0, first.size(), "\"" + first + "\"");
    }
    out += header;
    Row scratch;
    for (const Row& listed : m_rows) {
        const Row& row = pending == PendingRows::Evaluated ? evaluated(listed, scratch)
                                                           : withoutResults(listed, scratch);
        fields.clear();
        std::string error = row.error.empty() ? row.notice : row.error;
        for (const Cell& cell : row.cells) {
            fields.push_back(cell.text);
            if (cell.refusal)
                error += (error.empty() ? "" : "; ") + *cell.refusal;
        }
        for (std::size_t i = 0; i < results.size(); ++i)
            fields.push_back(dialectNumber(
                i < row.results.size() ? std::string(row.results[i]) : std::string(), m_dialect));
        fields.push_back(error);
        for (const auto& [key, value] : m_settings.entries())
            fields.push_back(&listed == &m_rows.front() ? value : std::string());
        out += csvRecord(fields, m_dialect);
    }
    if (m_rows.empty() && !m_settings.empty()) {
        fields.assign(m_columns.size() + results.size() + 1, std::string());
        for (const auto& [key, value] : m_settings.entries())
            fields.push_back(value);
        out += csvRecord(fields, m_dialect);
    }
    return out;
}

// Only the texts are copied: another thread may be writing the row's
// results and errors meanwhile.
const Series::Row& Series::evaluated(const Row& row, Row& scratch) const {
    if (!row.pending.value.load(std::memory_order_acquire))
        return row;
    scratch = Row{};
    for (const Cell& cell : row.cells)
        scratch.cells.emplace_back(cell.text);
    evaluate(scratch);
    return scratch;
}

const Series::Row& Series::withoutResults(const Row& row, Row& scratch) const {
    if (!row.pending.value.load(std::memory_order_acquire))
        return row;
    scratch = Row{};
    for (const Cell& cell : row.cells)
        scratch.cells.emplace_back(cell.text);
    return scratch;
}

void Series::save(const std::filesystem::path& path) {
    platform::replaceFile(path, text());
    m_clean = m_undo.size();
}

}  // namespace series
