// SPDX-License-Identifier: GPL-3.0-or-later

// The build's files made with Qt itself, so that no other tool is needed:
//   quorvin_assets icon IN.svg OUT.png SIZE   the icon in one PNG size
//   quorvin_assets guide IN.md OUT.html       the user guide as one web page
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QSvgRenderer>
#include <QTextDocument>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

int renderIcon(const char* in, const char* out, const char* sizeText) {
    QSvgRenderer svg(QString::fromLocal8Bit(in));
    const int size = std::atoi(sizeText);
    if (!svg.isValid() || size <= 0) {
        std::fprintf(stderr, "quorvin_assets: cannot render %s at %s px\n", in, sizeText);
        return 1;
    }
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    svg.render(&painter);
    painter.end();
    return image.save(QString::fromLocal8Bit(out)) ? 0 : 1;
}

int guideToHtml(const char* in, const char* out) {
    QFile source(QString::fromLocal8Bit(in));
    if (!source.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "quorvin_assets: cannot read %s\n", in);
        return 1;
    }
    const QString markdown = QString::fromUtf8(source.readAll());
    QTextDocument doc;
    doc.setMarkdown(markdown, QTextDocument::MarkdownDialectGitHub);
    const QRegularExpressionMatch title =
        QRegularExpression("^# (.+)$", QRegularExpression::MultilineOption).match(markdown);
    if (title.hasMatch())
        doc.setMetaInformation(QTextDocument::DocumentTitle, title.captured(1));
    QString html = doc.toHtml();
    // A browser page, not Qt's rich text: the page's own width and a
    // readable measure.
    html.replace("<head>",
                 "<head><meta name=\"viewport\" "
                 "content=\"width=device-width\"><style>body{max-width:50em;"
                 "margin:1em auto;padding:0 1em;line-height:1.4}img{max-width:100%}"
                 "</style>");
    QFile page(QString::fromLocal8Bit(out));
    if (!page.open(QIODevice::WriteOnly | QIODevice::Truncate) || page.write(html.toUtf8()) < 0) {
        std::fprintf(stderr, "quorvin_assets: cannot write %s\n", out);
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const bool icon = argc == 5 && std::strcmp(argv[1], "icon") == 0;
    const bool guide = argc == 4 && std::strcmp(argv[1], "guide") == 0;
    if (!icon && !guide) {
        std::fputs(
            "usage: quorvin_assets icon IN.svg OUT.png SIZE\n"
            "       quorvin_assets guide IN.md OUT.html\n",
            stderr);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    return icon ? renderIcon(argv[2], argv[3], argv[4]) : guideToHtml(argv[2], argv[3]);
}
