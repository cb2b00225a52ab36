// Turns the user guide from Markdown into one HTML page for the browser:
// guide_html IN.md OUT.html
#include <QFile>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QTextDocument>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fputs("usage: guide_html IN.md OUT.html\n", stderr);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QFile in(QString::fromLocal8Bit(argv[1]));
    if (!in.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "guide_html: cannot read %s\n", argv[1]);
        return 1;
    }
    const QString markdown = QString::fromUtf8(in.readAll());
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
    QFile out(QString::fromLocal8Bit(argv[2]));
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(html.toUtf8()) < 0) {
        std::fprintf(stderr, "guide_html: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
