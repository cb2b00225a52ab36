// SPDX-License-Identifier: GPL-3.0-or-later

#include "forms/LogJournal.h"

#include <utility>
#include <vector>

#include "forms/Recover.h"
#include "forms/Report.h"
#include "platform/Application.h"

namespace forms {

LogJournal::LogJournal(TReportFrm& report, std::filesystem::path stateFolder, int mergeAfter)
    : m_report(report), m_stateFolder(std::move(stateFolder)), m_store(m_stateFolder, mergeAfter) {
    m_timer.OnTimer = [this] { write(); };
    m_report.setJournal(this);
}

LogJournal::~LogJournal() {
    // An edit of the last two seconds, when the program ends keeping the copy.
    if (m_timer.active()) {
        m_timer.stop();
        writePending();
    }
    m_report.setJournal(nullptr);
}

void LogJournal::entryWritten() {
    m_timer.stop();
    write();
}

void LogJournal::edited() {
    m_whole = true;
    m_timer.start(kEditDelayMs);
}

void LogJournal::removeCopy() {
    m_timer.stop();
    m_store.remove();
    m_written = 0;
    m_whole = true;
}

bool LogJournal::flush() {
    if (m_timer.active()) {
        m_timer.stop();
        write();
    }
    m_store.sync();
    return !reportFailure();
}

void LogJournal::write() {
    reportFailure();
    writePending();
}

void LogJournal::writePending() {
    const platform::RichDocument& doc = m_report.document();
    const auto& lines = doc.paragraphs();
    // A log that was one empty line takes its first line in that line's place.
    const bool intoEmptyLine =
        m_written == 1 && !lines.empty() && lines.front().size() > 0 && lines.size() == 1;
    if (m_whole || intoEmptyLine || lines.size() < m_written) {
        m_store.replace(doc);
        m_whole = false;
    } else if (lines.size() > m_written) {
        m_store.append({lines.begin() + static_cast<std::ptrdiff_t>(m_written), lines.end()});
    }
    m_written = lines.size();
}

bool LogJournal::reportFailure() {
    const auto error = m_store.takeError();
    if (!error)
        return false;
    m_whole = true;
    platform::app().ShowMessage("The recovery copy of the log cannot be written: " + *error);
    return true;
}

namespace {

bool recoverAsked(platform::Form& owner, const std::string& question) {
    platform::DialogRef<TRecoverLog> ask(RecoverLog, &owner, question);
    return ask->ShowModal() == platform::ModalResult::Yes;
}

}  // namespace

void offerRecovery(platform::Form& owner, TReportFrm& report, LogJournal& journal) {
    if (const std::string problem = journal::stateFolderProblem(journal.stateFolder());
        !problem.empty())
        platform::app().ShowMessage("The folder of the recovery copies " + problem +
                                    ". No recovery copy of the log or of a series can be kept "
                                    "now; copies found there are offered and kept.");
    for (const auto& found : journal::findAbandoned(journal.stateFolder())) {
        platform::RichDocument doc;
        try {
            doc = found->load();
        } catch (const std::exception& e) {
            const std::string where = found->folder().string();
            const std::filesystem::path aside = found->setAside();
            platform::app().ShowMessage("The calculation log left in \"" + where +
                                        "\" cannot be read (" + e.what() + "). It is kept as \"" +
                                        aside.string() + "\".");
            continue;
        }
        if (doc.empty()) {
            found->discard();
            continue;
        }
        if (recoverAsked(owner,
                         recoveryQuestion(journal::countEntries(doc), found->lastChanged()))) {
            report.recoverLog(std::move(doc));
            report.Show();
            // The other copy goes only once ours holds its text.
            if (journal.flush())
                found->discard();
            continue;
        }
        platform::DialogRef<TDeleteLog> confirm(DeleteLog, &owner);
        if (confirm->ShowModal() == platform::ModalResult::Ok)
            found->discard();
    }
}

}  // namespace forms
