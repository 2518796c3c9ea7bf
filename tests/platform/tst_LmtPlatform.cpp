#include "common/LmtTableRows.h"
#include "common/LmtTestSupport.h"
#include "platform/LmtPlatform.h"

#include <QDir>
#include <QProcess>
#include <QScopeGuard>
#include <QtTest>

#include <csignal>

namespace platform = zendrel::lmt::platform;

namespace {

// The programs of the processes in the process group that are still running (zombies do not
// count), sorted.
QStringList liveGroupMembers(qint64 group)
{
    QStringList members;
    const QStringList entries = QDir("/proc").entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &entry : entries) {
        QFile stat("/proc/" + entry + "/stat");
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        // "pid (comm) state ppid pgrp ...": comm may hold blanks, so read after its ')'.
        const QByteArray line = stat.readAll();
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 2 && fields.at(2).toLongLong() == group && fields.at(0) != "Z") {
            const qsizetype open = line.indexOf('(');
            members << QString::fromUtf8(line.mid(open + 1, line.lastIndexOf(')') - open - 1));
        }
    }
    members.sort();
    return members;
}

} // namespace

class TestLmtPlatform : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void namesAndPrefixes()
    {
        QCOMPARE(QStringList({ platform::osName(), platform::platformKey(),
                     platform::executableSuffix(), platform::fileUrlPrefix() }),
            QStringList({ "Linux", "linux", "", "file://" }));
        QVERIFY(!platform::readRegistryValue("HKEY_LOCAL_MACHINE\\SOFTWARE\\X", "Path").isValid());
    }

    // A Windows variable that is set wins; otherwise its nearest equivalent is read.
    void windowsVariablesFallBackOnPosix_data()
    {
        lmttest::rowsFrom("platform/windows-variables.json");
    }

    void windowsVariablesFallBackOnPosix()
    {
        QFETCH(QJsonObject, row);
        // This test program owns its environment; each row sets all it reads.
        for (const char *windows : { "LOCALAPPDATA", "ALLUSERSPROFILE", "USERNAME", "USERPROFILE",
                 "SYSTEMDRIVE", "SystemDrive" })
            qunsetenv(windows);
        qputenv("USER", "alice");
        qputenv("HOME", "/home/alice");
        const QByteArray xdgDataHome = row["xdgDataHome"].toString().toUtf8();
        xdgDataHome.isEmpty() ? qunsetenv("XDG_DATA_HOME") : qputenv("XDG_DATA_HOME", xdgDataHome);
        const QByteArray name = row["name"].toString().toLatin1();
        if (row.contains("value"))
            qputenv(name, row["value"].toString().toUtf8());
        QCOMPARE(platform::environmentVariable(name), row["expected"].toString());
    }

    void consoleEchoIsUtf8OnStandardError()
    {
        lmttest::StderrCapture capture;
        platform::writeConsoleEcho(QString::fromUtf8("[WARNING] Lumetra\u2122 \u00e4\n"));
        QCOMPARE(capture.text(), QString::fromUtf8("[WARNING] Lumetra\u2122 \u00e4\n"));
    }

    void quitSignalReachesTheWholeGroup()
    {
        QVERIFY(!platform::sendQuitSignal(0) && !platform::sendQuitSignal(-1));

        // As when this program itself was started with "&" from a script.
        const auto previous = std::signal(SIGINT, SIG_IGN);
        const auto restore = qScopeGuard([previous] { std::signal(SIGINT, previous); });

        // A shell waiting for a foreground child: both are in the new group and must go.
        QProcess process;
        platform::startInOwnProcessGroup(process);
        process.start("/bin/sh", { "-c", "sleep 300; echo never" });
        QVERIFY(process.waitForStarted(10000));
        const qint64 group = process.processId();
        // Until the shell's child runs sleep, it is a copy of the shell that only notes the
        // signal and goes on to start sleep: the group would then outlive the signal.
        QTRY_COMPARE_WITH_TIMEOUT(liveGroupMembers(group), QStringList({ "sh", "sleep" }), 10000);

        QVERIFY(platform::sendQuitSignal(group));
        QVERIFY(process.waitForFinished(10000));
        QCOMPARE(process.exitStatus(), QProcess::CrashExit);
        QTRY_COMPARE_WITH_TIMEOUT(liveGroupMembers(group), QStringList(), 10000);
    }
};

QTEST_GUILESS_MAIN(TestLmtPlatform)
#include "tst_LmtPlatform.moc"
