#include "platform/qt/QtBackend.h"

#include <QApplication>
#include <QMessageBox>
#include <QScreen>

#include "platform/Form.h"
#include "platform/qt/QtPeers.h"

namespace platform::qt {

QtBackend::QtBackend() {
    QApplication::setQuitOnLastWindowClosed(false);
}

QtBackend::~QtBackend() {
    for (auto& [form, window] : m_windows) {
        detachPeerTree(window);
        delete window;
    }
}

FormWindow& QtBackend::window(Form& form) {
    auto it = m_windows.find(&form);
    if (it != m_windows.end())
        return *it->second;
    QWidget* ownerWindow = nullptr;
    if (form.owner())
        ownerWindow = &window(*form.owner());
    auto* w = new FormWindow(form, ownerWindow);
    m_windows[&form] = w;
    return *w;
}

void QtBackend::formCreated(Form& form) {
    window(form);
}

void QtBackend::formDestroyed(Form& form) {
    auto it = m_windows.find(&form);
    if (it == m_windows.end())
        return;
    FormWindow* w = it->second;
    m_windows.erase(it);
    // Events may still be queued for the widgets: they find no control.
    detachPeerTree(w);
    w->hide();
    w->deleteLater();
}

namespace {

void placeWindow(FormWindow& w, Form& form) {
    if (form.borderStyle() != BorderStyle::Sizeable)
        w.adjustSize();
    QWidget* anchor = w.parentWidget();
    QRect area = anchor && !form.centered() ? anchor->frameGeometry()
                                            : QApplication::primaryScreen()->availableGeometry();
    QRect frame = w.frameGeometry();
    frame.moveCenter(area.center());
    w.move(frame.topLeft());
}

}  // namespace

ModalResult QtBackend::runModal(Form& form) {
    FormWindow& w = window(form);
    form.beginModal();
    w.setWindowModality(Qt::ApplicationModal);
    placeWindow(w, form);
    form.setVisible(true);
    form.doShow();
    w.show();
    w.raise();
    w.activateWindow();
    while (form.modalResult() == ModalResult::None && !m_quitting)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const ModalResult result =
        form.modalResult() == ModalResult::None ? ModalResult::Cancel : form.modalResult();
    form.endModal();
    form.setVisible(false);
    return result;
}

void QtBackend::showForm(Form& form) {
    FormWindow& w = window(form);
    if (!form.visible()) {
        form.setVisible(true);
        form.doShow();
    }
    w.show();
    w.raise();
    w.activateWindow();
}

void QtBackend::hideForm(Form& form) {
    form.setVisible(false);
}

void QtBackend::showMessage(const std::string& text) {
    QMessageBox box(QMessageBox::Critical, "Quorvin", QString::fromStdString(text), QMessageBox::Ok,
                    QApplication::activeWindow());
    box.setObjectName("MessageBox");
    box.exec();
}

void QtBackend::run(Form& mainForm) {
    FormWindow& w = window(mainForm);
    placeWindow(w, mainForm);
    showForm(mainForm);
    if (!m_quitting)
        QApplication::exec();
}

void QtBackend::terminate() {
    m_quitting = true;
    QApplication::quit();
}

}  // namespace platform::qt
