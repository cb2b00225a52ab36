// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/Dialogs.h"

#include <filesystem>

#include "platform/Application.h"
#include "platform/base/Exception.h"

namespace platform {

bool ForceCurrentDirectory = false;

DesktopServices& services() {
    DesktopServices* s = Application::current().backend().services();
    if (!s)
        throw Exception("This back end has no dialogs, printer or clipboard.");
    return *s;
}

bool FileDialog::Execute() {
    Files.clear();
    if (!services().runFileDialog(*this))
        return false;
    if (Files.empty())
        Files.push_back(FileName);
    // A name typed without extension gets the default one, unless it names
    // a file that exists as it is.
    const std::filesystem::path chosen(FileName);
    std::error_code ec;
    if (!DefaultExt.empty() && !chosen.filename().empty() && !chosen.has_extension() &&
        !std::filesystem::exists(chosen, ec))
        FileName += "." + DefaultExt;
    return true;
}

bool FontDialog::Execute() {
    m_committed = Font;
    const bool ok = services().runFontDialog(*this);
    if (!ok)
        Font = m_committed;
    if (OnClose)
        OnClose(*this);
    return ok;
}

void FontDialog::userApply(const platform::Font& shown) {
    Font = shown;
    m_committed = shown;
    Application::current().dispatch(owner(), [this] {
        if (OnApply)
            OnApply(*this);
    });
}

FindDialog::FindDialog(Form* owner, std::string name) : CommonDialog(owner, std::move(name)) {}

FindDialog::~FindDialog() {
    if (!Application::exists())
        return;
    if (DesktopServices* s = Application::current().backend().services())
        s->forgetFindDialog(*this);
}

void FindDialog::Execute() {
    m_visible = true;
    services().showFindDialog(*this);
}

void FindDialog::CloseDialog() {
    if (!m_visible)
        return;
    m_visible = false;
    services().hideFindDialog(*this);
}

void FindDialog::run(const std::function<void()>& action) {
    Application::current().dispatch(owner(), action);
}

void FindDialog::userSetOption(FindOption option, bool on) {
    Options = on ? Options | option : Options & ~static_cast<unsigned>(option);
}

void FindDialog::userFindNext() {
    if (!m_visible)
        return;
    Options = (Options | frFindNext) & ~static_cast<unsigned>(frReplace | frReplaceAll);
    run([this] {
        if (OnFind)
            OnFind(*this);
    });
}

void FindDialog::userClose() {
    if (!m_visible)
        return;
    CloseDialog();
    run([this] {
        if (OnClose)
            OnClose(*this);
    });
}

void ReplaceDialog::userReplace(bool all) {
    if (!visible())
        return;
    Options &= ~static_cast<unsigned>(frFindNext | frReplace | frReplaceAll);
    Options |= all ? frReplaceAll : frReplace;
    run([this] {
        if (OnReplace)
            OnReplace(*this);
    });
}

bool PrinterSetupDialog::Execute() {
    return services().runPrinterSetup(*this);
}

}  // namespace platform
