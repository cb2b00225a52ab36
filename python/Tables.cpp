// SPDX-License-Identifier: GPL-3.0-or-later

// A table goes through batch::runBatch as the CSV text quorvin-batch would
// read, so that its header rules, units, refusals and texts are the
// program's; the records it answers with are collected as columns.

#include "python/Tables.h"

#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <array>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <memory>
#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

#include "batch/Batch.h"
#include "batch/BatchUncertainty.h"
#include "model/Quantities.h"
#include "platform/base/Csv.h"
#include "platform/base/NumberText.h"
#include "python/Models.h"
#include "series/Headers.h"
#include "series/Row.h"

namespace py = pybind11;

namespace pyquorvin {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// A column of the caller's table: numbers (NaN for an empty cell) or texts.
struct InputColumn {
    py::array_t<double, py::array::c_style | py::array::forcecast> numbers;
    const double* data = nullptr;
    std::vector<std::string> texts;
};

// A number as a user would type it: the shortest text that reads back as
// the same double.
void appendNumber(std::string& out, double v) {
    if (std::isnan(v))
        return;
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, v).ptr;
    out.append(text, end);
}

// A field quoted so that neither of the dialects' separators splits it, so
// that the dialect stays ",".
void appendText(std::string& out, const std::string& text) {
    std::string field = platform::csvField(text, ',');
    if (field.find(';') != std::string::npos && field.front() != '"')
        field = '"' + field + '"';
    out += field;
}

// Writes the table as CSV text for the batch's reader, a few rows at a time.
class TableSource : public std::streambuf {
  public:
    TableSource(const std::vector<std::string>& header, const std::vector<InputColumn>& columns,
                std::size_t rows)
        : m_header(header), m_columns(columns), m_rows(rows) {}

  protected:
    int_type underflow() override {
        if (gptr() < egptr())
            return traits_type::to_int_type(*gptr());
        m_text.clear();
        if (!m_headerDone) {
            for (std::size_t c = 0; c < m_header.size(); ++c) {
                if (c > 0)
                    m_text += ',';
                appendText(m_text, m_header[c]);
            }
            m_text += '\n';
            m_headerDone = true;
        }
        while (m_next < m_rows && m_text.size() < 16384)
            appendRow(m_next++);
        if (m_text.empty())
            return traits_type::eof();
        setg(m_text.data(), m_text.data(), m_text.data() + m_text.size());
        return traits_type::to_int_type(*gptr());
    }

  private:
    void appendRow(std::size_t row) {
        for (std::size_t c = 0; c < m_columns.size(); ++c) {
            if (c > 0)
                m_text += ',';
            const InputColumn& column = m_columns[c];
            if (column.data)
                appendNumber(m_text, column.data[row]);
            else
                appendText(m_text, column.texts[row]);
        }
        m_text += '\n';
    }

    const std::vector<std::string>& m_header;
    const std::vector<InputColumn>& m_columns;
    std::size_t m_rows;
    std::size_t m_next = 0;
    bool m_headerDone = false;
    std::string m_text;
};

// The records batch::runBatch answers with, as columns. With texts, every
// field as quorvin-batch prints it, handed to Python lists now and then so
// that a long table is not held twice; else the results as the window's
// doubles, the copied inputs and their SDs as numbers in the program's
// units (named by the program when their unit was converted), and the
// other fields as texts. The notices are kept for the caller.
class Collector {
  public:
    Collector(bool texts, bool keepPassed, platform::Dialect dialect)
        : m_texts(texts), m_keepPassed(keepPassed), m_dialect(std::move(dialect)) {}

    void notice(const std::string& line) { m_notices.push_back(line); }

    void record(const std::vector<std::string>& fields, const batch::Outcome* outcome) {
        if (!outcome) {
            layout(fields);
            return;
        }
        if (m_texts) {
            for (std::size_t c = 0; c < fields.size(); ++c)
                m_pending[c].push_back(fields[c]);
            if (m_pending[0].size() >= 4096)
                flush();
            return;
        }
        m_labels.push_back(fields[0]);
        for (std::size_t i = 0; i < m_passed; ++i) {
            if (m_passedHeaders[i])
                m_passedNumbers[i].push_back(inputNumber(fields[1 + i], *m_passedHeaders[i]));
            else if (m_keepPassed)
                m_passedTexts[i].push_back(fields[1 + i]);
        }
        for (std::size_t r = 0; r < batch::kResultColumns.size(); ++r) {
            const model::Quantity q = model::quantityOf(batch::kResultColumns[r].field);
            m_results[r].push_back(outcome->state ? (*outcome->state).*model::stateMember(q)
                                                  : kNaN);
        }
        for (std::size_t u = 0; u < m_uncertainty.size(); ++u)
            m_uncertainty[u].push_back(
                number(fields[m_resultsAt + batch::kResultColumns.size() + u]));
        m_errors.push_back(fields.back());
    }

    // Under the GIL.
    py::dict result() {
        flush();
        py::dict out;
        out["header"] = m_header;
        out["passed"] = m_passed;
        out["notices"] = m_notices;
        if (m_texts) {
            out["texts"] = m_lists;
            return out;
        }
        out["sample"] = m_labels;
        // Per copied column, its numbers, or None for a column of texts
        // (which passed_texts holds when kept).
        py::list passedNumbers;
        for (std::size_t i = 0; i < m_passed; ++i) {
            if (m_passedHeaders[i])
                passedNumbers.append(
                    py::array_t<double>(m_passedNumbers[i].size(), m_passedNumbers[i].data()));
            else
                passedNumbers.append(py::none());
        }
        out["passed_numbers"] = passedNumbers;
        out["decimal"] = std::string(1, m_dialect.decimal);
        out["passed_texts"] = m_passedTexts;
        py::list results;
        for (auto& column : m_results)
            results.append(py::array_t<double>(column.size(), column.data()));
        for (auto& column : m_uncertainty)
            results.append(py::array_t<double>(column.size(), column.data()));
        out["numbers"] = results;
        out["error"] = m_errors;
        return out;
    }

  private:
    void layout(const std::vector<std::string>& header) {
        m_header = header;
        const bool uncertainty =
            header.size() >= 2 && header[header.size() - 2] == batch::kUncertaintyColumns.back();
        const std::size_t tail = batch::kResultColumns.size() +
                                 (uncertainty ? batch::kUncertaintyColumns.size() : 0) + 1;
        m_resultsAt = header.size() - tail;
        m_passed = m_resultsAt - 1;
        m_passedTexts.resize(m_keepPassed ? m_passed : 0);
        m_uncertainty.resize(uncertainty ? batch::kUncertaintyColumns.size() : 0);
        m_pending.resize(m_texts ? header.size() : 0);
        m_passedHeaders.assign(m_passed, std::nullopt);
        m_passedNumbers.resize(m_passed);
        if (m_texts)
            return;
        for (std::size_t i = 0; i < m_passed; ++i) {
            // The batch has read these headers already: none is refused.
            const series::Header h = series::readHeader(header[1 + i]).header;
            if (h.role != series::HeaderRole::Input && h.role != series::HeaderRole::SD)
                continue;
            m_passedHeaders[i] = h;
            if (h.converted())
                m_header[1 + i] = std::string(model::quantityInfo(h.quantity).name) +
                                  (h.role == series::HeaderRole::SD ? "SD" : "");
        }
    }

    double number(const std::string& text) const {
        const std::string t = platform::trimmed(text);
        if (t.empty())
            return kNaN;
        return platform::StrToFloat(platform::programNumber(t, m_dialect));
    }

    // A copied input as the batch entered it: in the program's unit.
    double inputNumber(const std::string& text, const series::Header& h) const {
        const std::string t = platform::trimmed(text);
        if (t.empty())
            return kNaN;
        return platform::StrToFloat(
            series::programUnitText(platform::programNumber(t, m_dialect), h));
    }

    void flush() {
        if (!m_texts)
            return;
        py::gil_scoped_acquire gil;
        if (m_lists.size() < m_pending.size())
            m_lists.resize(m_pending.size());
        for (std::size_t c = 0; c < m_pending.size(); ++c) {
            for (const std::string& text : m_pending[c])
                m_lists[c].append(py::str(text));
            m_pending[c].clear();
        }
    }

    bool m_texts;
    bool m_keepPassed;
    platform::Dialect m_dialect;
    std::vector<std::string> m_notices;
    std::vector<std::string> m_header;
    std::size_t m_resultsAt = 1;
    std::size_t m_passed = 0;
    std::vector<std::string> m_labels;
    std::vector<std::vector<std::string>> m_passedTexts;
    std::vector<std::optional<series::Header>> m_passedHeaders;  // inputs and SDs
    std::vector<std::vector<double>> m_passedNumbers;
    std::array<std::vector<double>, batch::kResultColumns.size()> m_results;
    std::vector<std::vector<double>> m_uncertainty;
    std::vector<std::string> m_errors;
    std::vector<std::vector<std::string>> m_pending;
    std::vector<py::list> m_lists;
};

batch::BatchOutput outputTo(Collector& collector, std::int64_t draws, std::uint64_t seed,
                            const std::string& modelName, const std::string& saltName) {
    if (draws < analysis::kMinDraws || draws > analysis::kMaxDraws)
        throw py::value_error("draws = " + std::to_string(draws) + " is not between " +
                              std::to_string(analysis::kMinDraws) + " and " +
                              std::to_string(analysis::kMaxDraws));
    batch::BatchOutput out;
    out.record = [&collector](const std::vector<std::string>& fields,
                              const batch::Outcome* outcome) { collector.record(fields, outcome); };
    out.notice = [&collector](const std::string& line) { collector.notice(line); };
    out.monteCarlo.draws = draws;
    out.monteCarlo.seed = seed;
    out.electrokinetic = modelByName(modelName);
    if (auto refusal = series::saltRefusal(saltName, &out.salt))
        throw py::value_error("salt" + refusal->substr(4));
    return out;
}

// Runs the batch on in without the GIL; the message of a file that cannot
// be read starts with its name, as quorvin-batch's does.
void runWithoutGil(std::istream& in, const batch::BatchOutput& out, const std::string& name) {
    py::gil_scoped_release release;
    try {
        batch::runBatch(in, out);
    } catch (const batch::InputError& e) {
        throw batch::InputError(name + ", " + e.what());
    }
}

py::dict runTable(const std::vector<std::string>& header, const std::vector<py::object>& columns,
                  bool texts, std::int64_t draws, std::uint64_t seed, const std::string& modelName,
                  const std::string& saltName) {
    if (header.size() != columns.size())
        throw py::value_error("the table has " + std::to_string(header.size()) + " names for " +
                              std::to_string(columns.size()) + " columns");
    std::vector<InputColumn> input(columns.size());
    std::size_t rows = 0;
    for (std::size_t c = 0; c < columns.size(); ++c) {
        if (py::isinstance<py::array>(columns[c])) {
            input[c].numbers = columns[c].cast<decltype(input[c].numbers)>();
            input[c].data = input[c].numbers.data();
            rows = static_cast<std::size_t>(input[c].numbers.size());
        } else {
            input[c].texts = columns[c].cast<std::vector<std::string>>();
            rows = input[c].texts.size();
        }
    }
    for (std::size_t c = 0; c < input.size(); ++c) {
        const std::size_t n = input[c].data ? static_cast<std::size_t>(input[c].numbers.size())
                                            : input[c].texts.size();
        if (n != rows)
            throw py::value_error("the column " + header[c] + " has " + std::to_string(n) +
                                  " rows, but the first has " + std::to_string(rows));
    }
    Collector collector(texts, false, platform::Dialect{});
    const batch::BatchOutput out = outputTo(collector, draws, seed, modelName, saltName);
    TableSource source(header, input, rows);
    std::istream in(&source);
    runWithoutGil(in, out, "the table");
    return collector.result();
}

// The dialect the batch will find in the input, from its first record;
// the input is read again from its start.
platform::Dialect dialectOf(std::istream& in) {
    platform::Dialect dialect;
    try {
        platform::CsvReader reader(in);
        platform::CsvRecord record;
        if (reader.next(record))
            dialect = reader.dialect();
    } catch (const platform::InputError&) {
        // The batch's own reading says what is wrong.
    }
    in.clear();
    in.seekg(0);
    return dialect;
}

py::dict runCsv(const std::string& pathOrText, bool isPath, bool texts, std::int64_t draws,
                std::uint64_t seed, const std::string& modelName, const std::string& saltName) {
    modelByName(modelName);
    if (!isPath) {
        std::istringstream in(pathOrText);
        Collector collector(texts, true, dialectOf(in));
        const batch::BatchOutput out = outputTo(collector, draws, seed, modelName, saltName);
        runWithoutGil(in, out, "the text");
        return collector.result();
    }
    if (std::filesystem::is_directory(pathOrText))
        throw batch::InputError("cannot read \"" + pathOrText + "\": it is a folder");
    std::ifstream file(pathOrText, std::ios::binary);
    if (!file)
        throw batch::InputError("cannot read \"" + pathOrText + "\": " + std::strerror(errno));
    Collector collector(texts, true, dialectOf(file));
    const batch::BatchOutput out = outputTo(collector, draws, seed, modelName, saltName);
    runWithoutGil(file, out, pathOrText);
    if (file.bad())
        throw batch::InputError("cannot read \"" + pathOrText + "\": " + std::strerror(errno));
    return collector.result();
}

std::vector<std::string> inputColumns() {
    std::vector<std::string> names;
    for (const batch::Column c : batch::columns())
        names.emplace_back(batch::columnName(c));
    return names;
}

std::vector<std::string> resultColumns() {
    std::vector<std::string> names;
    for (const batch::ResultColumn& r : batch::kResultColumns)
        names.emplace_back(r.name());
    return names;
}

// A CSV file as its header and columns of texts, with its decimal mark.
py::tuple readCsv(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file || std::filesystem::is_directory(path))
        throw batch::InputError("cannot read \"" + path + "\": " + std::strerror(errno));
    platform::CsvReader reader(file);
    platform::CsvRecord record;
    if (!reader.next(record))
        throw batch::InputError(path + ", line 1: the input is empty");
    const std::vector<std::string> header = record.fields;
    std::vector<std::vector<std::string>> columns(header.size());
    while (reader.next(record)) {
        if (record.fields.size() != header.size())
            throw batch::InputError(path + ", line " + std::to_string(record.line) + ": " +
                                    std::to_string(record.fields.size()) +
                                    " fields, but the header has " + std::to_string(header.size()));
        for (std::size_t c = 0; c < header.size(); ++c)
            columns[c].push_back(std::move(record.fields[c]));
    }
    return py::make_tuple(header, columns, std::string(1, reader.dialect().decimal));
}

}  // namespace

void defineTables(py::module_& m) {
    m.def("run_table", &runTable, "quorvin-batch's run of a table's columns; see quorvin.evaluate.",
          py::arg("header"), py::arg("columns"), py::arg("texts"), py::arg("draws"),
          py::arg("seed"), py::arg("model"), py::arg("salt"));
    m.def("run_csv", &runCsv, "quorvin-batch's run of a CSV file or text; see quorvin.evaluate.",
          py::arg("path_or_text"), py::arg("is_path"), py::arg("texts"), py::arg("draws"),
          py::arg("seed"), py::arg("model"), py::arg("salt"));
    m.def("read_csv", &readCsv, "A CSV file's header, columns of texts and decimal mark.");
    m.def("input_columns", &inputColumns, "quorvin-batch's input columns.");
    m.def("result_columns", &resultColumns, "quorvin-batch's result columns.");
    m.attr("uncertainty_columns") = std::vector<std::string>(batch::kUncertaintyColumns.begin(),
                                                             batch::kUncertaintyColumns.end());
}

}  // namespace pyquorvin
