#include "common/LmtStandIns.h"
#include "common/LmtTestSupport.h"

#include <QtTest>

namespace {

const QString kLogDirKey = QStringLiteral("LmtGeneralSettings/LogDir");

// One run of the real program. The sandbox points every directory the program touches at a
// fresh temporary folder, through the environment the program inherits.
struct SandboxedRun {
    lmttest::Sandbox sandbox;
    QProcess process;
    QString errors;

    ~SandboxedRun()
    {
        process.kill();
        process.waitForFinished(10000);
        // A launcher service the program started outlives it, as on a user's machine.
        const QString service = lmttest::launcherServiceDirectory() + "/kor-launcher-service";
        if (QFile::exists(service))
            lmttest::runLauncherService(service, { "-stop" });
    }

    QString path(const QString &relative) const { return sandbox.filePath(relative); }
    // The program's settings file.
    QSettings settings() const
    {
        return QSettings(
            path("data/Zendrel_Technologies_AG/Lumetra/Lumetra Setup.ini"), QSettings::IniFormat);
    }
    bool start()
    {
        // A Linux user's environment has no Windows folder variables.
        qunsetenv("LOCALAPPDATA");
        qunsetenv("USERPROFILE");
        process.start(lmttest::binDir() + "/LumetraSetup", {});
        return process.waitForStarted(10000);
    }
    // The log files the program has written below logDir so far.
    QFileInfoList logFiles(const QString &logDir) const
    {
        return QDir(logDir + "/LumetraSetup").entryInfoList({ "*.log" }, QDir::Files);
    }
    // Everything the program wrote to standard error so far.
    QString errorOutput() { return errors += QString::fromUtf8(process.readAllStandardError()); }
};

} // namespace

class TestLmtStartup : public QObject
{
    Q_OBJECT

    lmttest::VendorStandIn m_vendor;

private Q_SLOTS:
    void cleanup() { m_vendor.stop(); }

    // The log folder setting is kept while the folder exists; otherwise the temporary
    // directory is used and stored. Each run then lists the tools from the stand-ins.
    void logFolderComesFromTheSettingsAndTheToolsAreListed_data()
    {
        QTest::addColumn<QString>("preset"); // "-": no setting; "@": an existing folder
        for (const char *preset : { "-", "/no/such/folder/anywhere", "@" })
            QTest::newRow(preset) << QString(preset);
    }

    void logFolderComesFromTheSettingsAndTheToolsAreListed()
    {
        QFETCH(QString, preset);
        const bool kept = preset == "@";
        QString failure;
        QVERIFY2(m_vendor.start({}, &failure), qPrintable(failure));
        SandboxedRun run;
        QVERIFY(!lmttest::installLauncherService().isEmpty());
        QVERIFY(lmttest::writeLauncherConfig(m_vendor.url()));
        run.settings().setValue("LmtDownloadSettings/korOnlineUrl", m_vendor.registryUrl());
        // One tool installed for the current user, as an installer leaves it.
        QVERIFY(QDir().mkpath(run.path("opt/flashprobe")));
        QVERIFY(lmttest::writeFile(
            run.path("data/Zendrel_Technologies_AG/Zendrel-Toolbox/flashprobe.json"),
            lmttest::fixture("app/flashprobe.json")
                .replace("@PROGRAM_DIR@", run.path("opt/flashprobe").toUtf8())));
        const QString chosen = run.path("home/my logs");
        if (kept)
            QVERIFY(QDir().mkpath(preset = chosen));
        if (preset != "-")
            run.settings().setValue(kLogDirKey, preset);
        const QString expected = kept ? chosen : run.path("tmp");
        QVERIFY(run.start());

        // One log file, named after the time and the process; its first line names it and is
        // echoed to standard error without the time stamp.
        QTRY_COMPARE_WITH_TIMEOUT(run.logFiles(expected).size(), 1, 30000);
        const QFileInfo file = run.logFiles(expected).constFirst();
        QVERIFY2(QRegularExpression(QString("^LumetraSetup-\\d{8}\\.\\d{6}\\.\\d{3}-%1\\.log$")
                                        .arg(run.process.processId()))
                     .match(file.fileName())
                     .hasMatch(),
            qPrintable(file.fileName()));
        const QString logFileLine = "INFO] Log file=" + file.absoluteFilePath() + "\n";
        QTRY_VERIFY_WITH_TIMEOUT(lmttest::readTextFile(file.filePath()).contains(logFileLine)
                && run.errorOutput().contains("[" + logFileLine),
            30000);
        QCOMPARE(run.settings().value(kLogDirKey).toString(), expected);
        QCOMPARE(run.logFiles(run.path("tmp")).isEmpty(), kept);

        QTRY_VERIFY_WITH_TIMEOUT(
            run.errorOutput().contains("[INFO] [LmtMainWindow] Updated the tool list\n"), 60000);
        const QString output = run.errorOutput();
        for (const QString &line : QString(lmttest::fixture("app/first-refresh-lines.txt"))
                                       .split('\n', Qt::SkipEmptyParts))
            QVERIFY2(output.contains(line), qPrintable(line));
        QVERIFY2(!output.contains("[CRITICAL]"), qPrintable(output));
        QCOMPARE(run.process.state(), QProcess::Running);
    }
};

QTEST_GUILESS_MAIN(TestLmtStartup)
#include "tst_LmtStartup.moc"
