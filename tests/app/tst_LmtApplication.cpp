#include "app/LmtApplication.h"
#include "app/LmtEntry.h"
#include "base/LmtLogLocation.h"
#include "base/LmtSettings.h"
#include "common/LmtTestSupport.h"
#include "platform/LmtPlatform.h"
#include "services/LmtDownloadSettings.h"
#include "services/LmtSetupSelfUpdater.h"
#include "services/NetworkException.h"
#include "shared_toolkit/Log.h"
#include "ui/LmtAbout.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QIcon>
#include <QLocale>
#include <QSettings>
#include <QThread>
#include <QtTest>

#include <atomic>
#include <memory>
#include <stdexcept>

using namespace zendrel::lmt::setup;
using zendrel::lmt::shared_toolkit::initLog;
using zendrel::lmt::shared_toolkit::Log;

namespace {

const QString kLauncherLog = QStringLiteral(
    "Zendrel_Technologies_AG/Launcher-Service/resources/logs/launcher-service.log");

} // namespace

class TestLmtApplication : public QObject
{
    Q_OBJECT

    lmttest::Sandbox m_sandbox;

    QString settingsFilePath() const
    {
        return m_sandbox.filePath("data/Zendrel_Technologies_AG/Lumetra/Lumetra Setup.ini");
    }

private Q_SLOTS:
    // Parts are given from the major on; none is negative, and none follows a missing one.
    void versionsMustBeAPrefixOfNonNegativeParts_data()
    {
        QTest::addColumn<QList<qint64>>("parts"); // -1: not given
        QTest::addColumn<QString>("text"); // or the message thrown
        using P = QList<qint64>;
        QTest::newRow("major") << P { 1, -1, -1, -1 } << "1";
        QTest::newRow("minor") << P { 1, 2, -1, -1 } << "1.2";
        QTest::newRow("patch") << P { 1, 2, 0, -1 } << "1.2.0";
        QTest::newRow("build") << P { 1, 2, 0, 787 } << "1.2.0.787";
        QTest::newRow("zeros") << P { 0, 0, 0, 0 } << "0.0.0.0";
        QTest::newRow("large major") << P { Q_INT64_C(9000000000), -1, -1, -1 } << "9000000000";
        QTest::newRow("none") << P { -1, -1, -1, -1 } << "Invalid version";
        QTest::newRow("gap after major") << P { 1, -1, 2, -1 } << "Invalid version";
        QTest::newRow("gap after minor") << P { 1, 2, -1, 4 } << "Invalid version";
        QTest::newRow("negative minor") << P { 1, -2, -1, -1 } << "Invalid version";
        QTest::newRow("negative major") << P { -5, 0, 0, 0 } << "Invalid version";
        QTest::newRow("negative build") << P { 1, 2, 3, -7 } << "Invalid version";
    }

    void versionsMustBeAPrefixOfNonNegativeParts()
    {
        QFETCH(QList<qint64>, parts);
        QString text;
        const QString failure = lmttest::failureOf(
            [&] { text = LmtVersion(parts[0], parts[1], parts[2], parts[3]).toString(); });
        QTEST(failure.isEmpty() ? text : failure, "text");
    }

    void shortVersionTextsHaveTwoParts()
    {
        QCOMPARE(LmtVersion(1, 2, 0, 787).shortText(), QStringLiteral("1.2"));
        QCOMPARE(LmtVersion(3).shortText(), QStringLiteral("3.0"));
    }

    void applicationNameIsSafeForPaths()
    {
        QCOMPARE(productName(), QString::fromUtf8("Lumetra\u2122 Setup"));
        QCOMPARE(sanitizedApplicationName(), QStringLiteral("Lumetra Setup"));
        QCOMPARE(
            sanitizeApplicationName(QString::fromUtf8("a<b>c:d\"e/f\\g|h?i*j\u2122k\u00e9l\x7fm~")),
            QStringLiteral("abcdefghijklm~"));
        QCOMPARE(applicationDisplayName(), QString::fromUtf8("Lumetra\u2122 Setup 1.2"));
    }

    void applicationSetupGivesIdentityOrThrows()
    {
        QCoreApplication::setApplicationName(QStringLiteral("before"));
        QString failure;
        try {
            applicationSetup({ 1, -1, 0, 787 });
        } catch (...) {
            failure = startupFailureText(std::current_exception());
        }
        QCOMPARE(failure, QStringLiteral("Runtime error: Invalid version"));
        QCOMPARE(QCoreApplication::applicationName(), QStringLiteral("before"));

        applicationSetup();
        QCOMPARE(QCoreApplication::applicationVersion(), QStringLiteral("1.2.0.787"));
        QCOMPARE(QCoreApplication::applicationName(), QString::fromUtf8("Lumetra\u2122 Setup"));
        QCOMPARE(QGuiApplication::applicationDisplayName(),
            QString::fromUtf8("Lumetra\u2122 Setup 1.2"));
        QCOMPARE(QLocale().name(), QStringLiteral("en_US"));
        QVERIFY(!QApplication::windowIcon().isNull());
        QVERIFY(!QApplication::windowIcon().pixmap(32, 32).isNull());
        QCOMPARE(QApplication::font(), QApplication::font("QMenu"));
    }

    void startupFailuresBecomeOneMessage()
    {
        QCOMPARE(startupFailureText(std::make_exception_ptr("plain text")),
            QStringLiteral("plain text"));
        QCOMPARE(startupFailureText(std::make_exception_ptr(QString::fromUtf8("Qt \u2122"))),
            QString::fromUtf8("Qt \u2122"));
        QCOMPARE(startupFailureText(std::make_exception_ptr(std::runtime_error("disk full"))),
            QStringLiteral("Runtime error: disk full"));
        QCOMPARE(startupFailureText(std::make_exception_ptr(NetworkException("no route", 3))),
            QStringLiteral("Runtime error: no route"));
        QCOMPARE(startupFailureText(std::make_exception_ptr(std::logic_error("bad state"))),
            QStringLiteral("Exception: bad state"));
        QCOMPARE(startupFailureText(std::make_exception_ptr(42)),
            QStringLiteral("An unknown exception occurred"));
        QCOMPARE(startupFailureText(nullptr), QString());
    }

    void settingsLiveBelowTheGenericDataLocation()
    {
        QSettings &settings = applicationSettings();
        QCOMPARE(&settings, &applicationSettings());
        QCOMPARE(settings.format(), QSettings::IniFormat);
        QCOMPARE(settings.fileName(), settingsFilePath());
    }

    // The download workers, the controller and the window read grouped keys at the same time.
    void settingsAreSafeToUseFromSeveralThreads()
    {
        setKorOnlineUrl(QStringLiteral("http://127.0.0.1:1/api/v1/tools/"));
        LmtSetupSelfUpdater::setCheckForUpdatesEnabled(false);
        std::atomic<int> wrongReads { 0 };
        QList<QThread *> readers;
        for (int i = 0; i < 4; ++i) {
            readers << QThread::create([&wrongReads, i] {
                for (int n = 0; n < 3000; ++n) {
                    const bool right = i % 2 == 0
                        ? korOnlineUrl() == "http://127.0.0.1:1/api/v1/tools/"
                        : !LmtSetupSelfUpdater::checkForUpdatesEnabled();
                    if (!right)
                        ++wrongReads;
                }
            });
            readers.last()->start();
        }
        // Meanwhile this thread writes keys of a third group.
        QSettings &settings = applicationSettings();
        for (int n = 0; n < 3000; ++n) {
            settings.beginGroup(QStringLiteral("Scratch"));
            settings.setValue(QStringLiteral("counter"), n);
            settings.endGroup();
        }
        for (QThread *reader : std::as_const(readers)) {
            QVERIFY(reader->wait(60000));
            delete reader;
        }
        QCOMPARE(wrongReads.load(), 0);
        // A value set on one thread is read at once on another.
        setKorOnlineUrl(QStringLiteral("http://127.0.0.1:2/api/v1/tools/"));
        QString seen;
        std::unique_ptr<QThread> reader(QThread::create([&seen] { seen = korOnlineUrl(); }));
        reader->start();
        QVERIFY(reader->wait(10000));
        QCOMPARE(seen, QStringLiteral("http://127.0.0.1:2/api/v1/tools/"));
        QCOMPARE(settings.value(QStringLiteral("Scratch/counter")).toInt(), 2999);
    }

    void logDirectoryWritableProbesAndCleansUp()
    {
        const QString dir = m_sandbox.filePath("probe");
        QVERIFY(QDir().mkpath(dir));
        QVERIFY(logDirectoryWritable(dir));
        QCOMPARE(QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
            QStringList());
        QVERIFY(!logDirectoryWritable(m_sandbox.filePath("missing")));
        QVERIFY(lmttest::writeFile(m_sandbox.filePath("plain-file"), "x"));
        QVERIFY(!logDirectoryWritable(m_sandbox.filePath("plain-file")));

        const QString readOnly = m_sandbox.filePath("read-only");
        QVERIFY(QDir().mkpath(readOnly));
        QFile::setPermissions(readOnly, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        // Root may write anywhere, so the refusal can only be seen as a normal user.
        if (!zendrel::lmt::platform::isElevated())
            QVERIFY(!logDirectoryWritable(readOnly));
        QFile::setPermissions(
            readOnly, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }

    void logFolderIsTheParentOfTheLogsOwnFolder()
    {
        const QString directory = m_sandbox.filePath("log-root");
        QVERIFY(QDir().mkpath(directory));
        QVERIFY(initLog(directory, QStringLiteral("LumetraSetup"), false));
        QCOMPARE(logFolder(), directory);
        Log::instance().close();
        QCOMPARE(logFolder(), QString());
    }

    void aboutShowsYearsAndExistingLogs()
    {
        QCOMPARE(aboutYearRange(QStringLiteral("Dec 17 2023")), QStringLiteral("2023"));
        QCOMPARE(aboutYearRange(QStringLiteral("Jan  2 2024")), QStringLiteral("2023-2024"));
        QCOMPARE(aboutYearRange(QStringLiteral("Jun 30 2031")), QStringLiteral("2023-2031"));
        QVERIFY2(
            QRegularExpression("^[A-Z][a-z]{2} [ 1-3]\\d \\d{4}$").match(buildDate()).hasMatch(),
            qPrintable(buildDate()));

        const QString directory = m_sandbox.filePath("about-logs");
        QVERIFY(QDir().mkpath(directory));
        QVERIFY(initLog(directory, QStringLiteral("LumetraSetup"), false));
        const QString logFile = Log::instance().fileName();

        QString text = aboutText();
        QVERIFY(text.contains(QString::fromUtf8("Lumetra\u2122 Setup")));
        QVERIFY(text.contains(QStringLiteral("1.2.0.787")));
        QVERIFY(text.contains(QStringLiteral("&copy; %1 ").arg(aboutYearRange(buildDate()))));
        QVERIFY(
            text.contains(QStringLiteral("<p>Log(s): <a href=\"file:///%1\">%1</a>").arg(logFile)));
        QVERIFY(!text.contains(QStringLiteral("KOR Launcher Service Log(s)")));

        const QString launcherLog = m_sandbox.filePath("data/" + kLauncherLog);
        QVERIFY(lmttest::writeFile(launcherLog, "service log"));
        text = aboutText();
        QVERIFY(text.endsWith(
            QStringLiteral("<p>KOR Launcher Service Log(s): <a href=\"file:///%1\">%1</a>")
                .arg(launcherLog)));

        Log::instance().close();
        text = aboutText();
        QVERIFY(!text.contains(QStringLiteral("<p>Log(s):")));
        QVERIFY(text.contains(QStringLiteral("KOR Launcher Service Log(s)")));
        QVERIFY(QFile::remove(launcherLog));
    }
};

QTEST_MAIN(TestLmtApplication)
#include "tst_LmtApplication.moc"
