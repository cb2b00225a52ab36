// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QPointer>
#include <QString>
#include <map>
#include <memory>

#include "platform/Dialogs.h"
#include "platform/qt/QtFormWindows.h"

class QDialog;
class QPrinter;
class QWidget;

namespace platform::qt {

// The common dialogs, the printer and the clipboard with Qt. Qt has no find
// and replace dialogs: small modeless windows of our own stand in for them.
class QtServices : public DesktopServices {
  public:
    explicit QtServices(FormWindows& windows);
    ~QtServices() override;

    bool runFileDialog(FileDialog& dialog) override;
    bool runFontDialog(FontDialog& dialog) override;
    bool runPrinterSetup(PrinterSetupDialog& dialog) override;
    void showFindDialog(FindDialog& dialog) override;
    void hideFindDialog(FindDialog& dialog) override;
    void forgetFindDialog(FindDialog& dialog) override;
    PrinterChoice currentPrinter() override;
    void setCurrentPrinter(const PrinterChoice& choice) override;
    void printRichText(const RichDocument& doc, const std::string& title) override;
    // QtChartOutput.cpp
    void printGraph(Graph& graph, bool landscape) override;
    void copyGraphImage(Graph& graph) override;
    void saveGraphImage(Graph& graph, const ImageRequest& request) override;
    void setClipboard(const ClipboardText& text) override;
    ClipboardText clipboard() override;
    // In the desktop's web browser (QtUserGuide.cpp).
    void showUserGuide() override;

    // The current printer, made on first use: every print job goes to it.
    QPrinter& printer();
    // The window of a find or replace dialog, once shown.
    QDialog* findWindow(FindDialog& dialog) const;

  private:
    // The place the next job goes to, for messages; throws when there is no
    // usable printer or the output file's folder does not exist.
    std::string readyPrinter();
    // Throws when the job that just ran failed.
    void checkPrinted(const std::string& where);
    QWidget* parentOf(const CommonDialog& dialog) const;
    FormWindows& m_windows;
    std::unique_ptr<QPrinter> m_printer;
    std::map<FindDialog*, QPointer<QDialog>> m_findWindows;
    QString m_lastDir;
};

}  // namespace platform::qt
