#include "common/LmtTestSupport.h"

#include <QFile>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QRegularExpression>
#include <QtTest>

namespace {

// Mean brightness (0..255) of the opaque pixels; -1 when nothing is drawn.
double inkBrightness(const QImage &image)
{
    double sum = 0;
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (pixel.alpha() > 128) {
                sum += pixel.value();
                ++count;
            }
        }
    }
    return count ? sum / count : -1;
}

QImage render(const QString &resource)
{
    return QIcon(resource).pixmap(32, 32).toImage().convertToFormat(QImage::Format_ARGB32);
}

} // namespace

class tst_LmtShippedFiles : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void windowIconsAreDrawn()
    {
        for (const char *name :
            { "reset", "bw-unlock", "bw-lock", "configure", "ellipsis", "setup" }) {
            const QString resource = QStringLiteral(":/images/%1").arg(QLatin1String(name));
            QVERIFY2(QFile::exists(resource), qPrintable(resource));
            QVERIFY2(inkBrightness(render(resource)) >= 0, qPrintable(resource));
        }
        // The "-light" icon is for light palettes, so it must be drawn darker than its "-dark"
        // partner, which has to stand out on a dark window.
        for (const char *name : { "user", "logout", "cogwheel", "restore" }) {
            const QString light = QStringLiteral(":/images/%1-light").arg(QLatin1String(name));
            const QString dark = QStringLiteral(":/images/%1-dark").arg(QLatin1String(name));
            const double lightInk = inkBrightness(render(light));
            const double darkInk = inkBrightness(render(dark));
            QVERIFY2(lightInk >= 0 && darkInk >= 0, name);
            QVERIFY2(lightInk + 60 < darkInk,
                qPrintable(QStringLiteral("%1: %2 vs %3")
                               .arg(QLatin1String(name))
                               .arg(lightInk)
                               .arg(darkInk)));
        }
    }

    void helpFileIsBuiltBesideTheExecutable()
    {
        QFile pdf(lmttest::binDir() + QStringLiteral("/docs/LumetraSetup.pdf"));
        QVERIFY2(pdf.open(QIODevice::ReadOnly), qPrintable(pdf.fileName()));
        const QByteArray content = pdf.readAll();
        QVERIFY(content.startsWith("%PDF-1."));
        QVERIFY(content.trimmed().endsWith("%%EOF"));
        // A real guide of several pages, not an empty document.
        const QString text = QString::fromLatin1(content);
        const qsizetype pages = text.count(QRegularExpression(QStringLiteral("/Type\\s*/Page\\b")));
        QVERIFY2(pages >= 2, qPrintable(QString::number(pages)));
        // The document title is stored as UTF-16 with a byte-order mark.
        QByteArray title("/Title (\xfe\xff");
        for (QChar c : QStringLiteral("Lumetra"))
            title.append(char(0)).append(char(c.unicode()));
        QVERIFY(content.contains(title));
    }
};

QTEST_MAIN(tst_LmtShippedFiles)
#include "tst_LmtShippedFiles.moc"
