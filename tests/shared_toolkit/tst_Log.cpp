#include "common/LmtTableRows.h"
#include "shared_toolkit/Log.h"
#include "shared_toolkit/LogTimeStamp.h"

#include <QtTest>

#include <csignal>
#include <ctime>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

using lmttest::rowsFrom;
using namespace zendrel::lmt::shared_toolkit;

namespace {

const QString kStampFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz");

void forwardToLog(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    Log::instance().messageHandler(type, context, message);
}

[[noreturn]] void throwUncaught()
{
    throw std::runtime_error("nobody catches this");
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
        return log.open(path) ? path : QString();
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
    // Warnings and worse are on disk when the call returns, with every line before them; the
    // others follow within the writer's delay without anything else being logged.
    void fileLinesAreStampedLabelledAndWritten_data() { rowsFrom("shared_toolkit/levels.json"); }
    void fileLinesAreStampedLabelledAndWritten()
    {
        QFETCH(QJsonObject, row);
        const QString text = row.value("text").toString("  \n the line \t\n\n");
        const QString path = openFreshFile(QTest::currentDataTag() + QStringLiteral(".log"));
        qCInfo(lmtLocal).noquote() << "line before";
        const QDateTime before = QDateTime::currentDateTime().addMSecs(-1);
        const QMessageLogContext context(__FILE__, __LINE__, Q_FUNC_INFO, "LOCAL");
        Log::instance().messageHandler(QtMsgType(row["type"].toInt()), context, text);
        const auto lines = [&] { return QString::fromUtf8(lmttest::readFile(path)).split('\n'); };
        QVERIFY(!row["atOnce"].toBool() || lines().size() == 3);
        QTRY_COMPARE_WITH_TIMEOUT(lines().size(), 3, 5000);
        const QString line = lines()[1];
        const QDateTime stamp = QDateTime::fromString(line.mid(1, 23), kStampFormat);
        QVERIFY2(lines()[0].endsWith(" INFO] line before") && stamp >= before
                && stamp <= QDateTime::currentDateTime(),
            qPrintable(line));
        QCOMPARE(line.left(1) + line.mid(24),
            "[ " + row["level"].toString() + "] " + row.value("shown").toString("the line"));
        // The fast path writes exactly what fileLine() formats for the time in the stamp.
        QCOMPARE(line + '\n', Log::fileLine(QtMsgType(row["type"].toInt()), text, stamp));
    }

    void timeStampTextIsTheLocalTimeOfEachLine_data() { rowsFrom("shared_toolkit/stamps.json"); }
    void timeStampTextIsTheLocalTimeOfEachLine()
    {
        QFETCH(QJsonObject, row);
        const QByteArray previousZone = qgetenv("TZ");
        qputenv("TZ", row["zone"].toString().toLatin1());
        tzset();
        LogTimeStamp stamp;
        for (const QJsonValue &value : row["msecs"].toArray())
            QCOMPARE(QString::fromLatin1(stamp.text(value.toInteger()).toByteArray()),
                QDateTime::fromMSecsSinceEpoch(value.toInteger()).toString(kStampFormat));
        qputenv("TZ", previousZone);
        tzset();
    }

    void anUncaughtExceptionStillWritesTheBufferedLines()
    {
        const QString path = openFreshFile("terminate.log");
        Log::instance().flush();
        const pid_t child = fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            std::signal(SIGABRT, SIG_DFL); // no test framework crash report in the child
            qCInfo(lmtLocal).noquote() << "last words";
            []() noexcept { throwUncaught(); }();
        }
        int status = 0;
        QVERIFY(waitpid(child, &status, 0) == child && WTERMSIG(status) == SIGABRT);
        QVERIFY(lmttest::readFile(path).endsWith("INFO] last words\n"));
    }

    // Whatever is not echoed still reaches the file.
    void onlyProgramLinesAboveDebugAreEchoed_data() { rowsFrom("shared_toolkit/echoes.json"); }
    void onlyProgramLinesAboveDebugAreEchoed()
    {
        QFETCH(QJsonObject, row);
        const QString text = row["text"].toString();
        const QMap<QString, const QLoggingCategory *> categories { { "LOCAL", &lmtLocal() },
            { "performance", &lmtPerformance() },
            { "default", QLoggingCategory::defaultCategory() } };
        const QMessageLogContext context(__FILE__, __LINE__, Q_FUNC_INFO,
            categories[row["category"].toString()]->categoryName());
        const QString path = openFreshFile("echo-" + QString(QTest::currentDataTag()) + ".log");
        Log::instance().setEchoToConsole(!row["silenced"].toBool());
        QString echoed;
        {
            lmttest::StderrCapture capture;
            Log::instance().messageHandler(QtMsgType(row["type"].toInt()), context, text);
            echoed = capture.text();
        }
        Log::instance().setEchoToConsole(false);
        QCOMPARE(echoed, row["echoed"].toString());
        Log::instance().flush();
        QVERIFY(lmttest::readFile(path).contains(text.trimmed().toUtf8()));
    }

    void initLogRemovesOldLogsNamesTheFileOrSaysWhyNot()
    {
        const QString directory = m_dir.filePath("logs");
        const QString folder = directory + "/Base";
        QVERIFY(QDir().mkpath(folder));
        // Only files named *.log and older than 14 days go.
        const QList<std::pair<QString, int>> aged { { "fifteen-days.log", 15 },
            { "thirteen-days.log", 13 }, { "thirty-days.txt", 30 }, { "thirty-days.log.bak", 30 } };
        for (const auto &[name, days] : aged) {
            QFile file(folder + "/" + name);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write("old") == 3 && file.flush()
                && file.setFileTime(QDateTime::currentDateTime().addDays(-days),
                    QFileDevice::FileModificationTime));
        }
        QVERIFY(QDir().mkpath(folder + "/old-folder.log"));

        Log *log = initLog(directory, "Base", false);
        QVERIFY(log == &Log::instance() && !log->echoToConsole());

        for (const auto &[name, days] : aged)
            QCOMPARE(QFile::exists(folder + "/" + name), name != "fifteen-days.log");
        QVERIFY(QFileInfo(folder + "/old-folder.log").isDir());

        // The name and first line ("Log file=...") are checked on the running program.
        QCOMPARE(QFileInfo(log->fileName()).absolutePath(), QFileInfo(folder).absoluteFilePath());
        QCOMPARE(
            logFileName("LumetraSetup", QDateTime(QDate(2026, 12, 6), QTime(10, 15, 2, 7)), 4711),
            QStringLiteral("LumetraSetup-20261206.101502.007-4711.log"));

        // Debug lines of the default category stay out.
        qDebug() << "default debug";
        qCDebug(lmtLocal) << "local debug";
        log->flush();
        QVERIFY(!lmttest::readFile(log->fileName()).contains("debug"));

        // A log that cannot be created is logged, and logging goes on.
        const QString blocked = m_dir.filePath("blocked");
        QVERIFY(lmttest::writeFile(blocked + "/Base", "a file where the folder should be"));
        lmttest::LogCapture capture;
        QVERIFY(initLog(blocked, "Base", true) == nullptr && Log::instance().fileName().isEmpty());
        QVERIFY2(capture.contains(" CRITICAL] Could not create log file: "
                     + QDir(blocked).filePath("Base/Base-")),
            qPrintable(capture.lines().join('\n')));
        qCInfo(lmtLocal) << "still logging";
        QVERIFY(capture.contains("still logging"));
    }

    void writeOverloadsReachFileAndListeners()
    {
        const QString path = openFreshFile("writes.log");
        Log &log = Log::instance();
        QByteArray heard;
        bool reentered = false;
        LogListener listener;
        listener.onWrite = [&](const char *bytes, qsizetype length) {
            heard.append(bytes, length);
            // Listeners run outside the lock and may log themselves.
            if (!std::exchange(reentered, true))
                qCInfo(lmtLocal).noquote() << "from listener";
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
        // Straight to the file, listeners are skipped; otherwise they get the whole line.
        qCInfo(lmtLocal).noquote() << "direct";
        log.setDirectToFile(false);
        qCInfo(lmtLocal).noquote() << "through listeners";
        log.setDirectToFile(true);
        log.removeListener(&listener);
        log.write("!");
        log.flush();

        const QByteArray written
            = QString::fromUtf8("view|\u00fcber|caf\u00e9|bytes|\u03c9|std|raw|cstr").toUtf8();
        const QByteArray line = heard.mid(written.size());
        QCOMPARE(heard.left(written.size()), written);
        QCOMPARE(QString(line),
            Log::fileLine(QtInfoMsg, "through listeners",
                QDateTime::fromString(QString(line.mid(1, 23)), kStampFormat)));
        const QByteArray file = lmttest::readFile(path);
        QVERIFY2(file.startsWith("view|") && file.contains("] from listener\n")
                && file.contains(written.mid(written.indexOf("caf")) + "[")
                && file.contains("] direct\n") && file.endsWith(line + "!"),
            file.constData());

        log.close();
        QVERIFY(log.fileName().isEmpty());
        qCInfo(lmtLocal) << "nowhere";
        QVERIFY(!lmttest::readFile(path).contains("nowhere"));
    }
};

QTEST_GUILESS_MAIN(TestLog)
#include "tst_Log.moc"
