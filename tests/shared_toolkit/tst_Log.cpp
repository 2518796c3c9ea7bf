#include "common/LmtTestSupport.h"
#include "shared_toolkit/Log.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <string>

using zendrel::lmt::shared_toolkit::initLog;
using zendrel::lmt::shared_toolkit::Log;
using zendrel::lmt::shared_toolkit::logFileName;
using zendrel::lmt::shared_toolkit::LogListener;

namespace {

void forwardToLog(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    Log::instance().messageHandler(type, context, message);
}

// A file that was last modified the given number of days ago.
void writeAgedFile(const QString &path, int daysAgo)
{
    QVERIFY(lmttest::writeFile(path, "old"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::Append));
    QVERIFY(file.setFileTime(
        QDateTime::currentDateTime().addDays(-daysAgo), QFileDevice::FileModificationTime));
}

// The file line without its time stamp, which is checked separately.
QRegularExpression fileLinePattern(const QString &level, const QString &message)
{
    return QRegularExpression(
        QStringLiteral("^\\[\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3} ")
        + QRegularExpression::escape(level) + QStringLiteral("\\] ")
        + QRegularExpression::escape(message) + QStringLiteral("\n$"));
}

} // namespace

class TestLog : public QObject
{
    Q_OBJECT

    lmttest::Sandbox m_sandbox;
    QTemporaryDir m_dir;

    QString openFreshFile(const QString &name)
    {
        const QString path = m_dir.filePath(name);
        Log &log = Log::instance();
        log.setDirectToFile(true);
        log.setEchoToConsole(false);
        if (!log.open(path))
            return {};
        return path;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        // QtTest puts its own message handler in place when the run starts; the program's log
        // must see every message, as it does in the application.
        qInstallMessageHandler(forwardToLog);
    }

    // "[yyyy-MM-dd HH:mm:ss.zzz LEVEL] text", the text trimmed, one line break at the end.
    void fileLinesAreTrimmedStampedAndLabelled_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("level");
        QTest::addColumn<QString>("text");
        QTest::newRow("info, trimmed") << int(QtInfoMsg) << "  \n padded message \t\n\n"
                                       << "INFO"
                                       << "padded message";
        QTest::newRow("warning") << int(QtWarningMsg) << "[LmtTag] tagged"
                                 << "WARNING"
                                 << "[LmtTag] tagged";
        QTest::newRow("critical") << int(QtCriticalMsg) << "slow"
                                  << "CRITICAL"
                                  << "slow";
        QTest::newRow("fatal") << int(QtFatalMsg) << "fatal text"
                               << "ERROR"
                               << "fatal text";
        QTest::newRow("debug") << int(QtDebugMsg) << "debug text"
                               << "DEBUG"
                               << "debug text";
        QTest::newRow("unknown type") << 42 << "odd type"
                                      << ""
                                      << "odd type";
    }

    void fileLinesAreTrimmedStampedAndLabelled()
    {
        QFETCH(int, type);
        QFETCH(QString, message);
        QFETCH(QString, level);
        QFETCH(QString, text);
        const QString path = openFreshFile(QTest::currentDataTag() + QStringLiteral(".log"));
        QVERIFY(!path.isEmpty());
        QCOMPARE(Log::instance().fileName(), path);
        const QDateTime before = QDateTime::currentDateTime().addMSecs(-1);
        const QMessageLogContext context(__FILE__, __LINE__, Q_FUNC_INFO, "LOCAL");
        Log::instance().messageHandler(QtMsgType(type), context, message);
        const QString line = QString::fromUtf8(lmttest::readFile(path));
        QVERIFY2(fileLinePattern(level, text).match(line).hasMatch(), qPrintable(line));
        const QDateTime stamp
            = QDateTime::fromString(line.mid(1, 23), QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
        QVERIFY2(stamp >= before && stamp <= QDateTime::currentDateTime(), qPrintable(line));
    }

    void linesAreFormattedForFileAndConsole()
    {
        QCOMPARE(Log::consoleLine(QtWarningMsg, QStringLiteral("\t50% done \n")),
            QStringLiteral("[WARNING] 50% done\n"));
        QCOMPARE(Log::fileLine(QtInfoMsg, QStringLiteral(" %1 %2 "),
                     QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5, 6))),
            QStringLiteral("[2026-01-02 03:04:05.006 INFO] %1 %2\n"));
    }

    void onlyProgramLinesAboveDebugAreEchoed()
    {
        QVERIFY(!openFreshFile("echo.log").isEmpty());
        Log::instance().setEchoToConsole(true);
        QLoggingCategory::setFilterRules(QStringLiteral("LOCAL.debug=true"));
        QString echoed;
        {
            lmttest::StderrCapture capture;
            qCInfo(lmtLocal).noquote() << " info line ";
            qCWarning(lmtLocal).noquote() << "warn line";
            qCCritical(lmtLocal).noquote() << "crit line \u2122";
            qCDebug(lmtLocal).noquote() << "debug line";
            qWarning().noquote() << "default category line";
            qCWarning(lmtPerformance).noquote() << "performance line";
            const QMessageLogContext context(__FILE__, __LINE__, Q_FUNC_INFO, "LOCAL");
            Log::instance().messageHandler(QtFatalMsg, context, QStringLiteral("fatal line"));
            Log::instance().setEchoToConsole(false);
            qCCritical(lmtLocal).noquote() << "silenced line";
            echoed = capture.text();
        }
        QLoggingCategory::setFilterRules(QString());
        QCOMPARE(echoed,
            QString::fromUtf8("[INFO] info line\n"
                              "[WARNING] warn line\n"
                              "[CRITICAL] crit line \u2122\n"
                              "[ERROR] fatal line\n"));
        // Whatever is not echoed still reaches the file.
        const QString file = QString::fromUtf8(lmttest::readFile(Log::instance().fileName()));
        for (const char *line : { "debug line", "default category line", "performance line",
                 "silenced line", "crit line \u2122" })
            QVERIFY2(file.contains(QString::fromUtf8(line)), line);
    }

    void initLogRemovesOldLogsAndNamesTheFileAfterTheProcess()
    {
        const QString directory = m_dir.filePath("logs");
        const QString folder = directory + "/Base";
        QVERIFY(QDir().mkpath(folder));
        writeAgedFile(folder + "/fifteen-days.log", 15);
        writeAgedFile(folder + "/thirteen-days.log", 13);
        writeAgedFile(folder + "/thirty-days.txt", 30);
        writeAgedFile(folder + "/thirty-days.log.bak", 30);
        QVERIFY(QDir().mkpath(folder + "/old-folder.log"));

        const QDateTime before = QDateTime::currentDateTime().addMSecs(-1);
        Log *log = initLog(directory, "Base", false);
        QVERIFY(log == &Log::instance());
        QVERIFY(!log->echoToConsole());

        QVERIFY(!QFile::exists(folder + "/fifteen-days.log"));
        QVERIFY(QFile::exists(folder + "/thirteen-days.log"));
        QVERIFY(QFile::exists(folder + "/thirty-days.txt"));
        QVERIFY(QFile::exists(folder + "/thirty-days.log.bak"));
        QVERIFY(QFileInfo(folder + "/old-folder.log").isDir());

        const QFileInfo file(log->fileName());
        QCOMPARE(file.absolutePath(), QFileInfo(folder).absoluteFilePath());
        const QRegularExpressionMatch match
            = QRegularExpression(QStringLiteral("^Base-(\\d{8}\\.\\d{6}\\.\\d{3})-%1\\.log$")
                                     .arg(QCoreApplication::applicationPid()))
                  .match(file.fileName());
        QVERIFY2(match.hasMatch(), qPrintable(file.fileName()));
        const QDateTime started
            = QDateTime::fromString(match.captured(1), QStringLiteral("yyyyMMdd.HHmmss.zzz"));
        QVERIFY(started >= before && started <= QDateTime::currentDateTime());

        QCOMPARE(
            logFileName("LumetraSetup", QDateTime(QDate(2026, 12, 6), QTime(10, 15, 2, 7)), 4711),
            QStringLiteral("LumetraSetup-20261206.101502.007-4711.log"));
        QVERIFY(logFileName("A", started, 100) != logFileName("A", started, 101));

        // The first line names the file; debug lines of the default category stay out.
        qDebug() << "default debug";
        qCDebug(lmtLocal) << "local debug";
        qCInfo(lmtLocal).noquote() << "after start";
        const QStringList lines = QString::fromUtf8(lmttest::readFile(file.filePath())).split('\n');
        QCOMPARE(lines.size(), 3);
        QVERIFY2(fileLinePattern(
                     "INFO", "Log file=" + QDir::fromNativeSeparators(file.absoluteFilePath()))
                     .match(lines.at(0) + '\n')
                     .hasMatch(),
            qPrintable(lines.at(0)));
        QVERIFY(lines.at(1).endsWith("INFO] after start"));
    }

    void initLogFailureIsLoggedAndLoggingGoesOn()
    {
        const QString directory = m_dir.filePath("blocked");
        QVERIFY(lmttest::writeFile(directory + "/Base", "a file where the folder should be"));
        lmttest::LogCapture capture;
        QVERIFY(initLog(directory, "Base", true) == nullptr);
        QVERIFY(Log::instance().fileName().isEmpty());
        const QString expectedPath = QDir(directory).filePath("Base/Base-");
        bool found = false;
        for (const QString &line : capture.lines()) {
            if (line.contains(" CRITICAL] Could not create log file: " + expectedPath))
                found = true;
        }
        QVERIFY2(found, qPrintable(capture.lines().join('\n')));
        qCInfo(lmtLocal) << "still logging";
        QVERIFY(capture.contains("still logging"));
    }

    void writeOverloadsReachFileAndListeners()
    {
        const QString path = openFreshFile("writes.log");
        QVERIFY(!path.isEmpty());
        Log &log = Log::instance();
        QByteArray heard;
        bool reentered = false;
        LogListener listener;
        listener.onWrite = [&](const char *bytes, qsizetype length) {
            heard.append(bytes, length);
            // Listeners run outside the lock and may log themselves.
            if (!reentered) {
                reentered = true;
                qCInfo(lmtLocal).noquote() << "from listener";
            }
        };
        log.addListener(&listener);

        log.write(QStringView(u"view|"));
        log.write(QStringLiteral("\u00fcber|"));
        log.write(QLatin1String("caf\xe9|"));
        log.write(QByteArray("bytes|"));
        log.write(std::wstring(L"\u03c9|"));
        log.write(std::string("std|"));
        log.write("raw|xx", 4);
        log.write("cstr");
        log.removeListener(&listener);
        log.write("!");

        const QByteArray expected
            = QString::fromUtf8("view|\u00fcber|caf\u00e9|bytes|\u03c9|std|raw|cstr").toUtf8();
        QCOMPARE(heard, expected);
        const QByteArray file = lmttest::readFile(path);
        QVERIFY2(file.startsWith("view|"), file.constData());
        QVERIFY(file.contains("] from listener\n"));
        QVERIFY(file.endsWith(expected.mid(expected.indexOf("caf")) + "!"));

        // Straight to the file, listeners are skipped; otherwise they get the whole line.
        heard.clear();
        reentered = true;
        log.addListener(&listener);
        qCInfo(lmtLocal).noquote() << "direct";
        QCOMPARE(heard, QByteArray());
        log.setDirectToFile(false);
        qCInfo(lmtLocal).noquote() << "through listeners";
        log.setDirectToFile(true);
        log.removeListener(&listener);
        QVERIFY2(
            fileLinePattern("INFO", "through listeners").match(QString::fromUtf8(heard)).hasMatch(),
            heard.constData());
        QVERIFY(lmttest::readFile(path).endsWith("INFO] through listeners\n"));

        log.close();
        QVERIFY(log.fileName().isEmpty());
        qCInfo(lmtLocal) << "nowhere";
        QVERIFY(!lmttest::readFile(path).contains("nowhere"));
    }
};

QTEST_GUILESS_MAIN(TestLog)
#include "tst_Log.moc"
