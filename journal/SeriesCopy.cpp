// SPDX-License-Identifier: GPL-3.0-or-later

#include "journal/SeriesCopy.h"

#include <algorithm>
#include <charconv>
#include <system_error>

#include "journal/Journal.h"
#include "platform/base/AtomicFile.h"
#include "platform/base/Exception.h"

namespace journal {

namespace fs = std::filesystem;

namespace {

// The snapshot: the magic line, its number, the length of the original
// file's name, each with a line break, the name, then the CSV text as it
// would be saved. The first form had no number and no edits.
constexpr std::string_view kMagic = "quorvin series copy 2\n";
constexpr std::string_view kMagicWithoutEdits = "quorvin series copy 1\n";
constexpr const char* kFileName = "series.qs";
// An edit "edit-N-K.qs", the K-th after snapshot N: the magic line, the
// row, the column and the text's length, each with a line break, the text.
constexpr std::string_view kEditMagic = "quorvin series edit 1\n";
// Rows replaced: the magic line, the first row, the rows removed, the rows
// given and their cells each, then each cell as its length, a line break
// and its text.
constexpr std::string_view kRowsMagic = "quorvin series rows 1\n";
// The settings: the magic line, their number, then each key and value as
// the cells are.
constexpr std::string_view kSettingsMagic = "quorvin series settings 1\n";
constexpr std::string_view kEditPrefix = "edit-";
// The weight of edits a snapshot takes in any case: a small series keeps
// 256 typed cells beside it.
constexpr std::size_t kEditsBeforeSnapshot = 256 * SeriesCopy::kEditWeight;

void appendText(std::string& to, const std::string& text) {
    to.append(std::to_string(text.size())).append("\n").append(text);
}

std::string editOf(const SeriesEdit& edit) {
    std::string out;
    const auto number = [&out](std::size_t n) { out.append(std::to_string(n)).append("\n"); };
    if (const auto* e = std::get_if<CellEdit>(&edit)) {
        out.append(kEditMagic);
        number(e->row);
        number(e->column);
        appendText(out, e->text);
    } else if (const auto* r = std::get_if<RowsEdit>(&edit)) {
        out.append(kRowsMagic);
        number(r->at);
        number(r->removed);
        number(r->rows.size());
        number(r->rows.empty() ? 0 : r->rows.front().size());
        for (const auto& cells : r->rows)
            for (const std::string& text : cells)
                appendText(out, text);
    } else {
        const auto& entries = std::get<SettingsEdit>(edit).entries;
        out.append(kSettingsMagic);
        number(entries.size());
        for (const auto& [key, value] : entries) {
            appendText(out, key);
            appendText(out, value);
        }
    }
    return out;
}

// "edit-N-": the start of the names of snapshot N's edits.
std::string editPrefix(std::uint64_t snapshot) {
    return std::string(kEditPrefix) + std::to_string(snapshot) + "-";
}

std::string editName(std::uint64_t snapshot, std::size_t k) {
    return editPrefix(snapshot) + std::to_string(k) + ".qs";
}

// Reads "N\n" at at, moving on; false when there is none.
template <typename T>
bool readNumber(const std::string& bytes, std::size_t& at, T& out) {
    const char* begin = bytes.data() + at;
    const char* end = bytes.data() + bytes.size();
    const auto [p, ec] = std::from_chars(begin, end, out);
    if (ec != std::errc() || p == begin || p == end || *p != '\n')
        return false;
    at = static_cast<std::size_t>(p + 1 - bytes.data());
    return true;
}

// Reads a text written by appendText at at, moving on.
bool readText(const std::string& bytes, std::size_t& at, std::string& out) {
    std::size_t length = 0;
    if (!readNumber(bytes, at, length) || length > bytes.size() - at)
        return false;
    out.assign(bytes, at, length);
    at += length;
    return true;
}

// An edit file's content; none when it is damaged.
std::optional<SeriesEdit> parseEdit(const std::string& edit) {
    const auto starts = [&edit](std::string_view magic) {
        return edit.compare(0, magic.size(), magic) == 0;
    };
    if (starts(kEditMagic)) {
        CellEdit e;
        std::size_t at = kEditMagic.size();
        if (!readNumber(edit, at, e.row) || !readNumber(edit, at, e.column) ||
            !readText(edit, at, e.text) || at != edit.size())
            return std::nullopt;
        return e;
    }
    if (starts(kRowsMagic)) {
        RowsEdit e;
        std::size_t at = kRowsMagic.size(), count = 0, cells = 0;
        if (!readNumber(edit, at, e.at) || !readNumber(edit, at, e.removed) ||
            !readNumber(edit, at, count) || !readNumber(edit, at, cells))
            return std::nullopt;
        // Each cell takes two bytes at least: a damaged count asks no room.
        if (count > (edit.size() - at) / (2 * std::max<std::size_t>(cells, 1)) + 1)
            return std::nullopt;
        e.rows.assign(count, std::vector<std::string>(cells));
        for (auto& row : e.rows)
            for (std::string& text : row)
                if (!readText(edit, at, text))
                    return std::nullopt;
        if (at != edit.size())
            return std::nullopt;
        return e;
    }
    if (starts(kSettingsMagic)) {
        SettingsEdit e;
        std::size_t at = kSettingsMagic.size(), count = 0;
        if (!readNumber(edit, at, count) || count > edit.size() - at)
            return std::nullopt;
        for (std::size_t k = 0; k < count; ++k) {
            auto& [key, value] = e.entries.emplace_back();
            if (!readText(edit, at, key) || !readText(edit, at, value))
                return std::nullopt;
        }
        if (at != edit.size())
            return std::nullopt;
        return e;
    }
    return std::nullopt;
}

}  // namespace

SeriesCopy::SeriesCopy(fs::path stateFolder, Compact compact)
    : m_compact(std::move(compact)),
      m_writer(std::move(stateFolder), kSeriesPrefix,
               Writer::Copy{[](Writer::Queue& queued) {
                                // One at a time, so that a snapshot asked for
                                // meanwhile drops the edits still waiting.
                                Writer::Queue one;
                                one.push_back(std::move(queued.front()));
                                queued.pop_front();
                                return one;
                            },
                            [this](Writer::Queue& jobs, CopyFolder& folder) {
                                Writer::Round round;
                                try {
                                    perform(jobs.front(), folder);
                                    round.wrote = true;
                                } catch (const std::exception& e) {
                                    round.error = e.what();
                                }
                                return round;
                            },
                            [this](Writer::Queue& queued, const Writer::Queue& failed) {
                                // A compaction that failed leaves the
                                // snapshot and its edits as they were, and
                                // the edits go on after them. Edits after
                                // another failed write would follow a state
                                // not on disk: none until the next snapshot.
                                if (failed.front().kind == Job::Kind::Remove ||
                                    failed.front().kind == Job::Kind::Compact)
                                    return;
                                std::erase_if(
                                    queued, [](const Job& j) { return j.kind == Job::Kind::Edit; });
                                m_snapshotAsked = false;
                            }}) {}

SeriesCopy::~SeriesCopy() = default;

void SeriesCopy::post(Job job) {
    m_writer.post([this, &job](Writer::Queue& queued) {
        // A snapshot or a removal makes what waits before it unnecessary.
        if (job.kind == Job::Kind::Snapshot || job.kind == Job::Kind::Remove)
            queued.clear();
        if (job.kind == Job::Kind::Snapshot) {
            m_snapshotAsked = true;
            m_snapshotBytes = job.csv->size();
            m_editBytes = 0;
        }
        if (job.kind == Job::Kind::Remove)
            m_snapshotAsked = false;
        queued.push_back(std::move(job));
    });
}

void SeriesCopy::write(const fs::path& original, std::shared_ptr<const std::string> csv) {
    // The number and the text go in when the thread writes it.
    const std::string name = original.string();
    post({Job::Kind::Snapshot, std::to_string(name.size()) + "\n" + name, std::move(csv)});
}

void SeriesCopy::write(const fs::path& original, std::string csv) {
    write(original, std::make_shared<const std::string>(std::move(csv)));
}

bool SeriesCopy::writeEdit(const SeriesEdit& edit) {
    std::string content = editOf(edit);
    const std::size_t weight = std::max(content.size(), kEditWeight);
    return m_writer.post([&](Writer::Queue& queued) {
        const bool due =
            m_editBytes + weight > std::max(m_snapshotBytes / 10, kEditsBeforeSnapshot);
        if (!m_snapshotAsked || (due && !m_compact))
            return false;
        m_editBytes += weight;
        queued.push_back({Job::Kind::Edit, std::move(content), nullptr});
        if (due) {
            // The size it will have is about the last one's.
            queued.push_back({Job::Kind::Compact, {}, nullptr});
            m_editBytes = 0;
        }
        return true;
    });
}

void SeriesCopy::remove() {
    post({Job::Kind::Remove, {}, nullptr});
}

void SeriesCopy::sync() {
    m_writer.sync();
}

std::optional<std::string> SeriesCopy::takeError() {
    return m_writer.takeError();
}

void SeriesCopy::perform(const Job& job, CopyFolder& folder) {
    switch (job.kind) {
        case Job::Kind::Snapshot:
            supersede(folder, job.content, *job.csv);
            return;
        case Job::Kind::Compact: {
            if (folder.dir().empty())
                return;  // its snapshot failed, and the error said so
            // What a reader would recover, read back and written anew: the
            // series needs nothing from the window.
            const SeriesCopyContent copy = readSeriesCopy(folder.dir());
            if (copy.edits.size() != m_edits)
                throw platform::Exception("the recovery copy changed on disk");
            const std::string name = copy.original.string();
            supersede(folder, std::to_string(name.size()) + "\n" + name, m_compact(copy));
            return;
        }
        case Job::Kind::Edit:
            if (folder.dir().empty())
                return;  // its snapshot failed, and the error said so
            folder.write(editName(m_snapshot, m_edits + 1), job.content);
            ++m_edits;
            return;
        case Job::Kind::Remove:
            m_edits = 0;
            folder.remove();
            return;
    }
}

// The old snapshot's edits are never read again; a kill before they are
// gone leaves them unread.
void SeriesCopy::supersede(CopyFolder& folder, std::string_view header, const std::string& csv) {
    const std::string current = editPrefix(m_snapshot + 1);
    const std::string number = std::to_string(m_snapshot + 1) + "\n";
    std::string content;
    content.reserve(kMagic.size() + number.size() + header.size() + csv.size());
    content.append(kMagic).append(number).append(header).append(csv);
    folder.supersede(kFileName, content, [&current](const std::string& name) {
        return name.rfind(kEditPrefix, 0) == 0 && name.rfind(current, 0) != 0;
    });
    ++m_snapshot;
    m_edits = 0;
}

bool holdsSeriesCopy(const fs::path& folder) {
    std::error_code ec;
    return fs::exists(folder / kFileName, ec) || ec;
}

SeriesCopyContent readSeriesCopy(const fs::path& folder) {
    const fs::path path = folder / kFileName;
    const std::string bytes = readWhole(path);
    const auto damaged = [](const fs::path& file) {
        return platform::Exception("\"" + file.filename().string() + "\" is damaged");
    };
    const bool withEdits = bytes.compare(0, kMagic.size(), kMagic) == 0;
    if (!withEdits && bytes.compare(0, kMagicWithoutEdits.size(), kMagicWithoutEdits) != 0)
        throw damaged(path);
    std::size_t at = kMagic.size();
    std::uint64_t number = 0;
    std::size_t length = 0;
    if ((withEdits && !readNumber(bytes, at, number)) || !readNumber(bytes, at, length) ||
        length > bytes.size() - at)
        throw damaged(path);
    SeriesCopyContent content{bytes.substr(at, length), bytes.substr(at + length), {}};
    // The edits of this snapshot, in order, up to the first missing one.
    for (std::size_t k = 1; withEdits; ++k) {
        const fs::path file = folder / editName(number, k);
        std::error_code ec;
        if (!fs::exists(file, ec))
            break;
        std::optional<SeriesEdit> e = parseEdit(readWhole(file));
        if (!e)
            throw damaged(file);
        content.edits.push_back(std::move(*e));
    }
    return content;
}

}  // namespace journal
