#include "forms/Report.h"

#include <utility>

namespace forms {

TReportFrm* ReportFrm = nullptr;

TReportFrm::TReportFrm(platform::Form* owner) : Form(owner, "ReportFrm") {
    setCaption("Report");
}

void TReportFrm::AddLogLine(std::string line) {
    m_document.appendLine(line);
    LogUnsaved = true;
}

}  // namespace forms
