// Build-time helper: lays out a Markdown user guide with QTextDocument and prints it to PDF.
// Usage: lumetra-help-pdf <guide.md> <output.pdf>

#include <QFile>
#include <QGuiApplication>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextDocument>

#include <cstdio>

int main(int argc, char **argv)
{
    QGuiApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 3) {
        std::fprintf(stderr, "usage: lumetra-help-pdf <guide.md> <output.pdf>\n");
        return 2;
    }

    QFile source(arguments.at(1));
    if (!source.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(arguments.at(1)));
        return 1;
    }
    const QString markdown = QString::fromUtf8(source.readAll());
    if (markdown.trimmed().isEmpty()) {
        std::fprintf(stderr, "%s is empty\n", qPrintable(arguments.at(1)));
        return 1;
    }

    QTextDocument document;
    // A fixed family keeps the output the same on every build machine that has it; Qt falls
    // back to its default sans font otherwise.
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(10.5);
    document.setDefaultFont(font);
    document.setMarkdown(markdown);

    QPdfWriter writer(arguments.at(2));
    writer.setTitle(QStringLiteral("Lumetra\u2122 Setup - User Guide"));
    writer.setCreator(QStringLiteral("Lumetra Setup build"));
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
        QMarginsF(20, 20, 20, 20), QPageLayout::Millimeter));
    // print() paginates and adds page numbers; it writes the file when it returns.
    document.print(&writer);

    QFile result(arguments.at(2));
    if (!result.exists() || result.size() == 0) {
        std::fprintf(stderr, "no PDF was written to %s\n", qPrintable(arguments.at(2)));
        return 1;
    }
    return 0;
}
