#include "base/LmtIdentity.h"
#include "base/LmtLogLocation.h"
#include "base/LmtSettings.h"
#include "common/LmtTableRows.h"
#include "common/LmtTestSupport.h"
#include "shared_toolkit/Log.h"

#include <QDir>
#include <QSettings>
#include <QThread>
#include <QtTest>

#include <atomic>
#include <memory>

using namespace zendrel::lmt::setup;
using zendrel::lmt::shared_toolkit::initLog;
using zendrel::lmt::shared_toolkit::Log;

namespace {

// A grouped key, read the way the services read theirs.
QString grouped(const QString &group, const QString &key)
{
    QSettings &settings = applicationSettings();
    settings.beginGroup(group);
    const QString value = settings.value(key).toString();
    settings.endGroup();
    return value;
}

} // namespace

class tst_LmtBase : public QObject
{
    Q_OBJECT

    lmttest::Sandbox m_sandbox;

private Q_SLOTS:
    // Parts are given from the major on (missing ones as -1); none is negative, and none
    // follows a missing one.
    void versionsMustBeAPrefixOfNonNegativeParts_data() { lmttest::rowsFrom("base/versions.json"); }

    void versionsMustBeAPrefixOfNonNegativeParts()
    {
        QFETCH(QJsonObject, row);
        const auto part = [&row](int i) { return qint64(row["parts"][i].toDouble(-1)); };
        QString text;
        QString shortText;
        const QString failure = lmttest::failureOf([&] {
            const LmtVersion version(part(0), part(1), part(2), part(3));
            text = version.toString();
            shortText = version.shortText();
        });
        QCOMPARE(failure.isEmpty() ? text : failure, row["text"].toString());
        QCOMPARE(shortText, row["short"].toString());
    }

    void applicationNameIsSafeForPaths()
    {
        QCOMPARE(QStringList({ productName(), applicationDisplayName(), sanitizedApplicationName(),
                     sanitizeApplicationName(
                         QString::fromUtf8("a<b>c:d\"e/f\\g|h?i*j\u2122k\u00e9l\x7fm~")) }),
            QStringList(
                { "Lumetra™ Setup", "Lumetra™ Setup 1.2", "Lumetra Setup", "abcdefghijklm~" }));
    }

    void settingsLiveBelowTheGenericDataLocation()
    {
        QSettings &settings = applicationSettings();
        QVERIFY(&settings == &applicationSettings() && settings.format() == QSettings::IniFormat);
        QCOMPARE(settings.fileName(),
            m_sandbox.filePath("data/Zendrel_Technologies_AG/Lumetra/Lumetra Setup.ini"));
    }

    // The download workers, the controller and the window read grouped keys at the same time.
    void settingsAreSafeToUseFromSeveralThreads()
    {
        QSettings &settings = applicationSettings();
        settings.setValue("A/url", "http://127.0.0.1:1/");
        // Readers sharing one object would push the group twice and read "A/A/url".
        std::atomic<int> wrongReads { 0 };
        QList<QThread *> readers(4);
        for (QThread *&reader : readers) {
            reader = QThread::create([&wrongReads] {
                for (int n = 0; n < 20000; ++n)
                    wrongReads += grouped("A", "url") != "http://127.0.0.1:1/";
            });
            reader->start();
        }
        // Meanwhile this thread writes keys of another group.
        for (int n = 0; n < 20000; ++n) {
            settings.beginGroup(QStringLiteral("Scratch"));
            settings.setValue(QStringLiteral("counter"), n);
            settings.endGroup();
        }
        for (QThread *reader : std::as_const(readers))
            QVERIFY(reader->wait(60000));
        qDeleteAll(readers);
        QCOMPARE(wrongReads.load(), 0);
        // A value set on one thread is read at once on another.
        settings.setValue("A/url", "http://127.0.0.1:2/");
        QString seen;
        std::unique_ptr<QThread> reader(QThread::create([&seen] { seen = grouped("A", "url"); }));
        reader->start();
        QVERIFY(reader->wait(10000));
        QCOMPARE(
            seen + ' ' + settings.value("Scratch/counter").toString(), "http://127.0.0.1:2/ 19999");
    }

    void logDirectoryIsProbedAndFound()
    {
        const QString dir = m_sandbox.filePath("probe");
        QVERIFY(QDir().mkpath(dir) && logDirectoryWritable(dir));
        QCOMPARE(QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
            QStringList());
        QVERIFY(lmttest::writeFile(m_sandbox.filePath("plain-file"), "x"));
        QVERIFY(!logDirectoryWritable(m_sandbox.filePath("missing"))
            && !logDirectoryWritable(m_sandbox.filePath("plain-file")));
        // An existing folder that takes no files: the preferences test refuses /proc.

        // The log folder is the parent of the log's own folder, while a log is open.
        const QString directory = m_sandbox.filePath("log-root");
        QVERIFY(QDir().mkpath(directory) && initLog(directory, "LumetraSetup", false));
        QCOMPARE(logFolder(), directory);
        Log::instance().close();
        QCOMPARE(logFolder(), QString());
    }
};

QTEST_GUILESS_MAIN(tst_LmtBase)
#include "tst_LmtBase.moc"
