// The folders of src/ are layers: a file may include headers of its own folder and of the
// folders below it, and only platform/ may ask which system it is built for. These tests read
// every #include of src/ and fail on a file that breaks either rule, naming the file, the line
// and the rule, so the message says how to mend it.

#include "common/LmtTestSupport.h"

#include <QtTest>

namespace {

const QString kPlatformFolder = QStringLiteral("platform");

// One message per line that breaks a rule, for every .h and .cpp below root.
QStringList layerViolations(const QString &root, const QStringList &layers)
{
    static const QRegularExpression include(QStringLiteral("^\\s*#\\s*include\\s*\"(\\w+)/"));
    QStringList violations;
    QDirIterator files(root, { QStringLiteral("*.h"), QStringLiteral("*.cpp") }, QDir::Files,
        QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString path = files.next();
        const QString relative = QDir(root).relativeFilePath(path);
        const QString folder = relative.section(QLatin1Char('/'), 0, 0);
        const qsizetype level = layers.indexOf(folder);
        if (level < 0) {
            violations << QStringLiteral("%1: the folder '%2' is not a layer; add it to "
                                         "LUMETRA_LAYERS in src/CMakeLists.txt or move the file")
                              .arg(relative, folder);
            continue;
        }
        const QStringList allowed = layers.mid(0, level + 1);
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
            violations << QStringLiteral("%1: cannot be read").arg(relative);
            continue;
        }
        int lineNumber = 0;
        while (!file.atEnd()) {
            const QString line = QString::fromUtf8(file.readLine()).trimmed();
            ++lineNumber;
            const QString where = QStringLiteral("%1:%2").arg(relative).arg(lineNumber);
            const QRegularExpressionMatch match = include.match(line);
            if (match.hasMatch() && !allowed.contains(match.captured(1))) {
                violations << QStringLiteral("%1: %2 reaches up from %3 to %4; %3 may include "
                                             "only %5")
                                  .arg(where, line, folder, match.captured(1),
                                      allowed.join(QStringLiteral(", ")));
            }
            if (folder != kPlatformFolder && line.contains(QLatin1String("Q_OS_WIN"))) {
                violations << QStringLiteral("%1: Q_OS_WIN outside platform; what differs "
                                             "between the systems goes through platform/")
                                  .arg(where);
            }
        }
    }
    violations.sort();
    return violations;
}

} // namespace

class TestLayers : public QObject
{
    Q_OBJECT

    const QStringList m_layers
        = QStringLiteral(LUMETRA_LAYERS).split(QLatin1Char(','), Qt::SkipEmptyParts);

private Q_SLOTS:
    void everyFileOfTheProgramKeepsTheRules()
    {
        QVERIFY(m_layers.size() > 5);
        const QStringList violations = layerViolations(QStringLiteral(LUMETRA_SRC_DIR), m_layers);
        QVERIFY2(violations.isEmpty(), qPrintable(violations.join(QLatin1Char('\n'))));
    }

    // A tree with one file per case (its name says which), and every message it must cause.
    void aBrokenRuleIsNamedWithFileLineAndRule()
    {
        lmttest::Sandbox tree;
        static const QRegularExpression fileStart(
            QStringLiteral("^== "), QRegularExpression::MultilineOption);
        const QString files = QString::fromUtf8(lmttest::fixture("architecture/tree.txt"));
        for (const QString &file : files.split(fileStart, Qt::SkipEmptyParts)) {
            const qsizetype nameEnd = file.indexOf(QLatin1Char('\n'));
            QVERIFY(lmttest::writeFile(
                tree.filePath(file.left(nameEnd)), file.mid(nameEnd + 1).toUtf8()));
        }
        QCOMPARE(layerViolations(tree.path(), m_layers).join(QLatin1Char('\n')) + QLatin1Char('\n'),
            QString::fromUtf8(lmttest::fixture("architecture/violations.txt")));
    }
};

QTEST_GUILESS_MAIN(TestLayers)
#include "tst_Layers.moc"
