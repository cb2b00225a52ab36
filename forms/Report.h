#pragma once

#include <string>

#include "model/Outputs.h"
#include "platform/Form.h"
#include "platform/RichText.h"

namespace forms {

// The report window: it holds the calculation log for the whole run. It is
// created hidden and shown from the main window's "View log" command.
class TReportFrm : public platform::Form, public model::LogSink {
  public:
    explicit TReportFrm(platform::Form* owner);
    std::string className() const override { return "TReportFrm"; }

    // Appends one line at the end of the log and marks it unsaved.
    void AddLogLine(std::string line) override;

    // The log: every line appended, in order, and whatever the user edited.
    platform::RichDocument& document() { return m_document; }
    const platform::RichDocument& document() const { return m_document; }

    // Set by every appended line; cleared only by a completed save.
    bool LogUnsaved = false;

  private:
    platform::RichDocument m_document;
};

extern TReportFrm* ReportFrm;

}  // namespace forms
