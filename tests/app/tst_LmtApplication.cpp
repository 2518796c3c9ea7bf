#include "app/LmtApplication.h"
#include "app/LmtEntry.h"
#include "common/LmtTestSupport.h"
#include "services/NetworkException.h"
#include "shared_toolkit/Log.h"
#include "ui/LmtAbout.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QIcon>
#include <QLocale>
#include <QtTest>

#include <stdexcept>

using namespace zendrel::lmt::setup;
using zendrel::lmt::shared_toolkit::initLog;
using zendrel::lmt::shared_toolkit::Log;

// The identity, settings and folders the application builds on are tested in tests/base.
class TestLmtApplication : public QObject
{
    Q_OBJECT

    lmttest::Sandbox m_sandbox;

private Q_SLOTS:
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
        const QString tm = QString::fromUtf8("Qt \u2122");
        for (const auto &[failure, text] :
            QList<QPair<std::exception_ptr, QString>> {
                { std::make_exception_ptr("plain text"), "plain text" },
                { std::make_exception_ptr(tm), tm },
                { std::make_exception_ptr(std::runtime_error("disk full")),
                    "Runtime error: disk full" },
                { std::make_exception_ptr(NetworkException("no route", 3)),
                    "Runtime error: no route" },
                { std::make_exception_ptr(std::logic_error("bad state")), "Exception: bad state" },
                { std::make_exception_ptr(42), "An unknown exception occurred" }, { nullptr, "" } })
            QCOMPARE(startupFailureText(failure), text);
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

        const QString launcherLog = m_sandbox.filePath(
            "data/Zendrel_Technologies_AG/Launcher-Service/resources/logs/launcher-service.log");
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
