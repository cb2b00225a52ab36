// SPDX-License-Identifier: GPL-3.0-or-later

#include <algorithm>

#include "platform/Chart.h"
#include "platform/LineChart.h"
#include "platform/base/Exception.h"
#include "platform/base/NumberText.h"
#include "platform/headless/Headless.h"
#include "platform/richtext/RichText.h"

namespace platform::headless {

void HeadlessBackend::expectDialog(std::string className, CommonDialogScript script) {
    m_scripts.push_back({std::move(className), {}, std::move(script)});
}

HeadlessBackend::Pending HeadlessBackend::takeScript(const std::string& className,
                                                     const std::string& who) {
    if (m_scripts.empty())
        throw ScriptFailure("unexpected dialog " + who);
    Pending next = std::move(m_scripts.front());
    m_scripts.pop_front();
    if (next.className != className)
        throw ScriptFailure("expected dialog " + next.className + ", but " + who + " opened");
    m_history.push_back(className);
    return next;
}

bool HeadlessBackend::runCommon(CommonDialog& dialog) {
    const std::string who = dialog.className() + " " + dialog.name();
    Pending next = takeScript(dialog.className(), who);
    if (!next.common)
        throw ScriptFailure("expected modal form " + next.className + ", but " + who + " opened");
    return next.common(dialog);
}

void HeadlessBackend::showFindDialog(FindDialog& dialog) {
    if (std::find(m_findDialogs.begin(), m_findDialogs.end(), &dialog) == m_findDialogs.end())
        m_findDialogs.push_back(&dialog);
}

void HeadlessBackend::hideFindDialog(FindDialog& dialog) {
    std::erase(m_findDialogs, &dialog);
}

void HeadlessBackend::printRichText(const RichDocument& doc, const std::string& title) {
    if (!m_printFailure.empty()) {
        const std::string reason = std::move(m_printFailure);
        m_printFailure.clear();
        throw Exception("Cannot print on \"" + m_printer.name + "\": " + reason);
    }
    m_printJobs.push_back({title, doc.plainText(), m_printer});
}

void HeadlessBackend::printGraph(Graph& graph, bool landscape) {
    if (!m_printFailure.empty()) {
        const std::string reason = std::move(m_printFailure);
        m_printFailure.clear();
        throw Exception("Cannot print on \"" + m_printer.name + "\": " + reason);
    }
    std::string text;
    const auto addPoints = [&text](const std::vector<ChartPoint>& points) {
        for (const ChartPoint& p : points)
            text += FloatToStr(p.x) + " " + FloatToStr(p.y) + "\n";
    };
    if (auto* chart = dynamic_cast<Chart*>(&graph)) {
        addPoints(chart->series().points());
    } else if (auto* lines = dynamic_cast<LineChart*>(&graph)) {
        for (const LineSeries& s : lines->series())
            addPoints(s.points);
    }
    m_printJobs.push_back({graph.title.text, text + graph.caption, m_printer, landscape});
}

void HeadlessBackend::saveGraphImage(Graph& graph, const ImageRequest& request) {
    m_savedImages.push_back({&graph, request, graph.caption});
}

}  // namespace platform::headless
