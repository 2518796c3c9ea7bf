// Build-time helper: lays out a Markdown user guide with QTextDocument and prints it to PDF.
// Usage: lumetra-help-pdf <guide.md> <output.pdf>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageReader>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QUrl>

#include <cstdio>

// Pictures are referred to relative to the guide; they are given their absolute address, as
// print() lays out a copy of the document that resolves relative ones against the working
// folder. Each is narrowed to the text width (its height follows), as screenshots are wider than
// a page. A picture that cannot be read fails the build: printed, it would only be a blank box.
// Returns the first such file, or an empty string.
static QString fitPictures(QTextDocument &document, const QDir &guideFolder, qreal textWidth)
{
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.charFormat().isImageFormat())
                continue;
            QTextImageFormat format = fragment.charFormat().toImageFormat();
            const QString file = guideFolder.filePath(format.name());
            const QSize size = QImageReader(file).size();
            if (!size.isValid())
                return file;
            format.setName(QUrl::fromLocalFile(file).toString());
            format.setWidth(qMin(qreal(size.width()), textWidth));
            QTextCursor cursor(&document);
            cursor.setPosition(fragment.position());
            cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
            cursor.setCharFormat(format);
        }
    }
    return QString();
}

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
    const QFileInfo guide(arguments.at(1));

    QPdfWriter writer(arguments.at(2));
    writer.setTitle(QStringLiteral("Lumetra\u2122 Setup - User Guide"));
    writer.setCreator(QStringLiteral("Lumetra Setup build"));
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
        QMarginsF(20, 20, 20, 20), QPageLayout::Millimeter));
    // Pictures are measured in pixels of 96 dpi, which print() scales to the page. The text is
    // the A4 width less the page margins and the 2 cm that print() keeps on each side.
    const qreal textWidth = (210 - 2 * 20 - 2 * 20) / 25.4 * 96;
    const QString unreadable = fitPictures(document, guide.absoluteDir(), textWidth);
    if (!unreadable.isEmpty()) {
        std::fprintf(stderr, "cannot read the picture %s\n", qPrintable(unreadable));
        return 1;
    }
    // print() paginates and adds page numbers; it writes the file when it returns.
    document.print(&writer);

    QFile result(arguments.at(2));
    if (!result.exists() || result.size() == 0) {
        std::fprintf(stderr, "no PDF was written to %s\n", qPrintable(arguments.at(2)));
        return 1;
    }
    return 0;
}
