// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/qt/QtServices.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QTextDocument>
#include <QVBoxLayout>
#include <filesystem>

#include "platform/Form.h"
#include "platform/base/Exception.h"
#include "platform/qt/QtRichEdit.h"

namespace platform::qt {

namespace {

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

// The modeless find or replace window: its controls write into the dialog
// object at once, its buttons report through the dialog's user* operations.
class FindWindow : public QDialog {
  public:
    FindWindow(FindDialog& dialog, QWidget* parent) : QDialog(parent), m_dialog(&dialog) {
        const bool replace = dialog.isReplace();
        setObjectName(qs(dialog.name()));
        setWindowTitle(replace ? "Replace" : "Find");
        setModal(false);
        auto* grid = new QGridLayout(this);
        m_find = new QLineEdit(this);
        m_find->setObjectName("findText");
        auto* findLabel = new QLabel("Fi&nd what:", this);
        findLabel->setObjectName("findLabel");
        findLabel->setBuddy(m_find);
        grid->addWidget(findLabel, 0, 0);
        grid->addWidget(m_find, 0, 1);
        if (replace) {
            m_replace = new QLineEdit(this);
            m_replace->setObjectName("replaceText");
            auto* replaceLabel = new QLabel("Re&place with:", this);
            replaceLabel->setObjectName("replaceLabel");
            replaceLabel->setBuddy(m_replace);
            grid->addWidget(replaceLabel, 1, 0);
            grid->addWidget(m_replace, 1, 1);
        }
        m_wholeWord = new QCheckBox("Match &whole word only", this);
        m_wholeWord->setObjectName("wholeWord");
        m_matchCase = new QCheckBox("Match &case", this);
        m_matchCase->setObjectName("matchCase");
        const int row = replace ? 2 : 1;
        grid->addWidget(m_wholeWord, row, 0, 1, 2);
        grid->addWidget(m_matchCase, row + 1, 0, 1, 2);
        if (!replace) {
            auto* direction = new QGroupBox("Direction", this);
            direction->setObjectName("direction");
            auto* h = new QHBoxLayout(direction);
            m_up = new QRadioButton("&Up", direction);
            m_down = new QRadioButton("&Down", direction);
            m_up->setObjectName("up");
            m_down->setObjectName("down");
            h->addWidget(m_up);
            h->addWidget(m_down);
            grid->addWidget(direction, row, 2, 2, 1);
        }
        auto* buttons = new QVBoxLayout;
        m_findNext = addButton(buttons, "&Find Next", "findNext");
        m_findNext->setDefault(true);
        if (replace) {
            m_replaceOne = addButton(buttons, "&Replace", "replace");
            m_replaceAll = addButton(buttons, "Replace &All", "replaceAll");
        }
        addButton(buttons, "Cancel", "cancel");
        buttons->addStretch();
        grid->addLayout(buttons, 0, 3, 4, 1);

        connect(m_find, &QLineEdit::textEdited, this, [this](const QString& t) {
            if (m_dialog)
                m_dialog->userEditFindText(t.toStdString());
            updateButtons();
        });
        if (m_replace)
            connect(m_replace, &QLineEdit::textEdited, this, [this](const QString& t) {
                if (m_dialog)
                    static_cast<ReplaceDialog*>(m_dialog)->userEditReplaceText(t.toStdString());
            });
        connect(m_matchCase, &QCheckBox::toggled, this, [this](bool on) {
            if (m_dialog)
                m_dialog->userSetOption(frMatchCase, on);
        });
        connect(m_wholeWord, &QCheckBox::toggled, this, [this](bool on) {
            if (m_dialog)
                m_dialog->userSetOption(frWholeWord, on);
        });
        if (m_down)
            connect(m_down, &QRadioButton::toggled, this, [this](bool on) {
                if (m_dialog)
                    m_dialog->userSetOption(frDown, on);
            });
        connect(m_findNext, &QPushButton::clicked, this, [this] {
            if (m_dialog)
                m_dialog->userFindNext();
        });
        if (m_replaceOne) {
            connect(m_replaceOne, &QPushButton::clicked, this, [this] {
                if (m_dialog)
                    static_cast<ReplaceDialog*>(m_dialog)->userReplace(false);
            });
            connect(m_replaceAll, &QPushButton::clicked, this, [this] {
                if (m_dialog)
                    static_cast<ReplaceDialog*>(m_dialog)->userReplace(true);
            });
        }
    }

    void forget() { m_dialog = nullptr; }

    // The dialog object's state into the controls.
    void load() {
        if (!m_dialog)
            return;
        m_find->setText(qs(m_dialog->FindText));
        if (m_replace)
            m_replace->setText(qs(static_cast<ReplaceDialog*>(m_dialog)->ReplaceText));
        const unsigned o = m_dialog->Options;
        const QSignalBlocker a(m_matchCase), b(m_wholeWord);
        m_matchCase->setChecked(o & frMatchCase);
        m_wholeWord->setChecked(o & frWholeWord);
        if (m_down) {
            const QSignalBlocker c(m_down), d(m_up);
            (o & frDown ? m_down : m_up)->setChecked(true);
        }
        updateButtons();
        m_find->selectAll();
        m_find->setFocus();
    }

  protected:
    void reject() override {
        if (m_dialog)
            m_dialog->userClose();
        else
            QDialog::reject();
    }
    void closeEvent(QCloseEvent* e) override {
        e->ignore();
        reject();
    }

  private:
    QPushButton* addButton(QVBoxLayout* into, const char* caption, const char* name) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(name);
        b->setAutoDefault(false);
        into->addWidget(b);
        if (QString(name) == "cancel")
            connect(b, &QPushButton::clicked, this, [this] { reject(); });
        return b;
    }
    void updateButtons() {
        const bool any = !m_find->text().isEmpty();
        m_findNext->setEnabled(any);
        if (m_replaceOne) {
            m_replaceOne->setEnabled(any);
            m_replaceAll->setEnabled(any);
        }
    }

    FindDialog* m_dialog;
    QLineEdit* m_find = nullptr;
    QLineEdit* m_replace = nullptr;
    QCheckBox* m_matchCase = nullptr;
    QCheckBox* m_wholeWord = nullptr;
    QRadioButton* m_up = nullptr;
    QRadioButton* m_down = nullptr;
    QPushButton* m_findNext = nullptr;
    QPushButton* m_replaceOne = nullptr;
    QPushButton* m_replaceAll = nullptr;
};

struct NamedColor {
    const char* name;
    Color color;
};

const NamedColor kColors[] = {
    {"Black", {0, 0, 0}},       {"Maroon", {128, 0, 0}},    {"Green", {0, 128, 0}},
    {"Olive", {128, 128, 0}},   {"Navy", {0, 0, 128}},      {"Purple", {128, 0, 128}},
    {"Teal", {0, 128, 128}},    {"Gray", {128, 128, 128}},  {"Silver", {192, 192, 192}},
    {"Red", {255, 0, 0}},       {"Lime", {0, 255, 0}},      {"Yellow", {255, 255, 0}},
    {"Blue", {0, 0, 255}},      {"Fuchsia", {255, 0, 255}}, {"Aqua", {0, 255, 255}},
    {"White", {255, 255, 255}},
};

// Face, size, style, effects and colour, with an Apply button when asked.
class FontWindow : public QDialog {
  public:
    FontWindow(FontDialog& dialog, QWidget* parent) : QDialog(parent), m_dialog(dialog) {
        setObjectName(qs(dialog.name()));
        setWindowTitle("Font");
        const Font& f = dialog.Font;
        m_originalFace = f.name;
        auto* form = new QFormLayout;
        m_family = new QFontComboBox(this);
        m_family->setObjectName("family");
        m_family->setCurrentFont(toQFont(f));
        m_size = new QComboBox(this);
        m_size->setObjectName("size");
        m_size->setEditable(true);
        m_size->setValidator(new QIntValidator(1, 1638, m_size));
        for (int s : {8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72})
            m_size->addItem(QString::number(s));
        m_size->setCurrentText(QString::number(f.size));
        m_bold = new QCheckBox("&Bold", this);
        m_bold->setChecked(f.bold);
        m_italic = new QCheckBox("&Italic", this);
        m_italic->setChecked(f.italic);
        m_underline = new QCheckBox("&Underline", this);
        m_underline->setChecked(f.underline);
        m_strike = new QCheckBox("Stri&keout", this);
        m_strike->setChecked(f.strikeOut);
        m_bold->setObjectName("bold");
        m_italic->setObjectName("italic");
        m_underline->setObjectName("underline");
        m_strike->setObjectName("strikeOut");
        m_color = new QComboBox(this);
        m_color->setObjectName("color");
        int shown = -1;
        for (const NamedColor& c : kColors) {
            QPixmap swatch(16, 12);
            swatch.fill(QColor(c.color.r, c.color.g, c.color.b));
            m_color->addItem(QIcon(swatch), c.name);
            if (c.color == f.color)
                shown = m_color->count() - 1;
        }
        if (shown < 0) {
            m_color->addItem(QString::fromStdString(colorName(f.color)));
            m_extraColor = f.color;
            shown = m_color->count() - 1;
        }
        m_color->setCurrentIndex(shown);
        form->addRow("&Font:", m_family);
        form->addRow("&Size:", m_size);
        auto* style = new QHBoxLayout;
        for (QCheckBox* b : {m_bold, m_italic, m_underline, m_strike})
            style->addWidget(b);
        form->addRow("Style:", style);
        form->addRow("&Color:", m_color);
        m_sample = new QLabel("AaBbYyZz", this);
        m_sample->setObjectName("sample");
        m_sample->setMinimumHeight(48);
        m_sample->setAlignment(Qt::AlignCenter);
        m_sample->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        form->addRow("Sample:", m_sample);

        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
        buttons->button(QDialogButtonBox::Ok)->setObjectName("ok");
        buttons->button(QDialogButtonBox::Cancel)->setObjectName("cancel");
        if (dialog.Options & fdApplyButton) {
            QPushButton* apply = buttons->addButton(QDialogButtonBox::Apply);
            apply->setObjectName("apply");
            connect(apply, &QPushButton::clicked, this,
                    [this] { m_dialog.userApply(this->current()); });
        }
        connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
        auto* v = new QVBoxLayout(this);
        v->addLayout(form);
        v->addWidget(buttons);

        auto update = [this] { updateSample(); };
        connect(m_family, &QFontComboBox::currentFontChanged, this, update);
        connect(m_size, &QComboBox::currentTextChanged, this, update);
        connect(m_color, &QComboBox::currentIndexChanged, this, update);
        for (QCheckBox* b : {m_bold, m_italic, m_underline, m_strike})
            connect(b, &QCheckBox::toggled, this, update);
        updateSample();
    }

    Font current() const {
        Font f;
        const QString family = m_family->currentFont().family();
        Font original;
        original.name = m_originalFace;
        f.name = toQFont(original).family() == family ? m_originalFace : family.toStdString();
        bool ok = false;
        const int size = m_size->currentText().toInt(&ok);
        f.size = ok && size > 0 ? size : m_dialog.Font.size;
        f.bold = m_bold->isChecked();
        f.italic = m_italic->isChecked();
        f.underline = m_underline->isChecked();
        f.strikeOut = m_strike->isChecked();
        const int i = m_color->currentIndex();
        f.color =
            i >= 0 && i < static_cast<int>(std::size(kColors)) ? kColors[i].color : m_extraColor;
        return f;
    }

  private:
    void updateSample() {
        const Font f = current();
        m_sample->setFont(toQFont(f));
        QPalette p = m_sample->palette();
        p.setColor(QPalette::WindowText, QColor(f.color.r, f.color.g, f.color.b));
        m_sample->setPalette(p);
    }

    FontDialog& m_dialog;
    std::string m_originalFace;
    Color m_extraColor;
    QFontComboBox* m_family;
    QComboBox* m_size;
    QCheckBox *m_bold, *m_italic, *m_underline, *m_strike;
    QComboBox* m_color;
    QLabel* m_sample;
};

Exception noPrinter() {
    return Exception(
        "There is no printer to print on. Choose a printer, or printing to a file, with "
        "\"Print setup...\".");
}

}  // namespace

QtServices::QtServices(FormWindows& windows) : m_windows(windows) {}

QtServices::~QtServices() {
    for (auto& [dialog, window] : m_findWindows) {
        if (window) {
            static_cast<FindWindow*>(window.data())->forget();
            delete window.data();
        }
    }
}

QWidget* QtServices::parentOf(const CommonDialog& dialog) const {
    if (dialog.owner())
        return &m_windows.windowOf(*dialog.owner());
    return QApplication::activeWindow();
}

bool QtServices::runFileDialog(FileDialog& dialog) {
    QFileDialog fd(parentOf(dialog), qs(dialog.Title));
    fd.setObjectName(qs(dialog.name()));
    fd.setOption(QFileDialog::DontUseNativeDialog);
    fd.setOption(QFileDialog::DontConfirmOverwrite);
    fd.setAcceptMode(dialog.isSave() ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    fd.setFileMode(dialog.isSave()              ? QFileDialog::AnyFile
                   : dialog.AllowMultiSelect ? QFileDialog::ExistingFiles
                                             : QFileDialog::ExistingFile);
    const QFileInfo offered(qs(dialog.FileName));
    QString start = QDir::currentPath();
    if (!ForceCurrentDirectory) {
        if (!dialog.FileName.empty() && offered.isAbsolute())
            start = offered.absolutePath();
        else if (!m_lastDir.isEmpty())
            start = m_lastDir;
    }
    fd.setDirectory(start);
    const QString name = offered.fileName();
    // "description|pattern" pairs become Qt's "description (pattern)".
    QStringList filters;
    const QStringList parts = qs(dialog.Filter).split('|');
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        filters << parts[i] + " (" + parts[i + 1] + ")";
    if (!filters.isEmpty()) {
        fd.setNameFilters(filters);
        fd.selectNameFilter(filters.value(dialog.FilterIndex - 1, filters.front()));
    }
    if (filters.isEmpty() && (name.contains('*') || name.contains('?')))
        fd.setNameFilter(name);
    else if (!name.isEmpty() && !name.contains('*') && !name.contains('?'))
        fd.selectFile(name);
    if (fd.exec() != QDialog::Accepted || fd.selectedFiles().isEmpty())
        return false;
    if (!filters.isEmpty())
        dialog.FilterIndex = int(filters.indexOf(fd.selectedNameFilter())) + 1;
    const QString chosen = fd.selectedFiles().front();
    m_lastDir = QFileInfo(chosen).absolutePath();
    dialog.FileName = chosen.toStdString();
    dialog.Files.clear();
    for (const QString& f : fd.selectedFiles())
        dialog.Files.push_back(f.toStdString());
    return true;
}

bool QtServices::runFontDialog(FontDialog& dialog) {
    FontWindow w(dialog, parentOf(dialog));
    if (w.exec() != QDialog::Accepted)
        return false;
    dialog.Font = w.current();
    return true;
}

QPrinter& QtServices::printer() {
    if (!m_printer)
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *m_printer;
}

bool QtServices::runPrinterSetup(PrinterSetupDialog& dialog) {
    QPrintDialog pd(&printer(), parentOf(dialog));
    pd.setObjectName(qs(dialog.name()));
    pd.setWindowTitle("Print Setup");
    pd.setOption(QAbstractPrintDialog::PrintToFile, true);
    return pd.exec() == QDialog::Accepted;
}

PrinterChoice QtServices::currentPrinter() {
    QPrinter& p = printer();
    if (p.outputFormat() == QPrinter::PdfFormat)
        return {p.printerName().toStdString(), p.outputFileName().toStdString()};
    return {p.printerName().toStdString(), {}};
}

void QtServices::setCurrentPrinter(const PrinterChoice& choice) {
    QPrinter& p = printer();
    if (!choice.outputFile.empty()) {
        p.setOutputFormat(QPrinter::PdfFormat);
        p.setOutputFileName(qs(choice.outputFile));
        return;
    }
    p.setOutputFileName({});
    p.setOutputFormat(QPrinter::NativeFormat);
    p.setPrinterName(qs(choice.name));
}

std::string QtServices::readyPrinter() {
    QPrinter& p = printer();
    const bool toFile = p.outputFormat() == QPrinter::PdfFormat;
    if (toFile ? p.outputFileName().isEmpty() : (!p.isValid() || p.printerName().isEmpty()))
        throw noPrinter();
    const std::string where =
        toFile ? p.outputFileName().toStdString() : p.printerName().toStdString();
    if (toFile) {
        // A file we cannot write is an error, not an empty job.
        const std::filesystem::path path(where);
        std::error_code ec;
        const auto parent = path.has_parent_path() ? path.parent_path() : ".";
        if (!std::filesystem::is_directory(parent, ec))
            throw Exception("Cannot print to \"" + where + "\": No such file or directory");
    }
    return where;
}

void QtServices::checkPrinted(const std::string& where) {
    QPrinter& p = printer();
    const bool toFile = p.outputFormat() == QPrinter::PdfFormat;
    if (p.printerState() == QPrinter::Error || (toFile && !QFileInfo(p.outputFileName()).isFile()))
        throw Exception("Cannot print to \"" + where + "\": the job failed");
}

void QtServices::printRichText(const RichDocument& doc, const std::string& title) {
    const std::string where = readyPrinter();
    QPrinter& p = printer();
    QTextDocument text;
    fillTextDocument(text, doc);
    p.setDocName(qs(title));
    text.print(&p);
    checkPrinted(where);
}

void QtServices::setClipboard(const ClipboardText& text) {
    auto* data = new QMimeData;
    data->setText(qs(text.plain));
    if (!text.rtf.empty())
        data->setData("text/rtf",
                      QByteArray(text.rtf.data(), static_cast<qsizetype>(text.rtf.size())));
    QApplication::clipboard()->setMimeData(data);
}

ClipboardText QtServices::clipboard() {
    ClipboardText out;
    const QMimeData* data = QApplication::clipboard()->mimeData();
    if (!data)
        return out;
    out.plain = data->text().toStdString();
    QByteArray rtf = data->data("text/rtf");
    if (rtf.isEmpty())
        rtf = data->data("application/rtf");
    out.rtf.assign(rtf.constData(), static_cast<std::size_t>(rtf.size()));
    return out;
}

void QtServices::showFindDialog(FindDialog& dialog) {
    QPointer<QDialog>& slot = m_findWindows[&dialog];
    if (!slot)
        slot = new FindWindow(dialog, parentOf(dialog));
    auto* w = static_cast<FindWindow*>(slot.data());
    w->load();
    w->adjustSize();
    w->move(dialog.position().x, dialog.position().y);
    w->show();
    w->raise();
    w->activateWindow();
}

void QtServices::hideFindDialog(FindDialog& dialog) {
    auto it = m_findWindows.find(&dialog);
    if (it != m_findWindows.end() && it->second)
        it->second->hide();
}

void QtServices::forgetFindDialog(FindDialog& dialog) {
    auto it = m_findWindows.find(&dialog);
    if (it == m_findWindows.end())
        return;
    if (it->second) {
        static_cast<FindWindow*>(it->second.data())->forget();
        it->second->hide();
        it->second->deleteLater();
    }
    m_findWindows.erase(it);
}

QDialog* QtServices::findWindow(FindDialog& dialog) const {
    auto it = m_findWindows.find(&dialog);
    return it == m_findWindows.end() ? nullptr : it->second.data();
}

}  // namespace platform::qt
