#include "common/LmtTestSupport.h"
#include "platform/LmtPlatform.h"

#include <QDir>
#include <QProcess>
#include <QtTest>

namespace platform = zendrel::lmt::platform;

namespace {

// Sets or unsets one variable for the lifetime of the object.
class ScopedEnv
{
public:
    ScopedEnv(const char *name, const char *value)
        : m_name(name)
        , m_wasSet(qEnvironmentVariableIsSet(name))
        , m_old(qgetenv(name))
    {
        if (value)
            qputenv(name, value);
        else
            qunsetenv(name);
    }
    ~ScopedEnv()
    {
        if (m_wasSet)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }

private:
    const char *m_name;
    bool m_wasSet;
    QByteArray m_old;
};

// Number of processes in the process group that are still running (zombies do not count).
int liveGroupMembers(qint64 group)
{
    int members = 0;
    const QStringList entries = QDir("/proc").entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &entry : entries) {
        QFile stat("/proc/" + entry + "/stat");
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        // "pid (comm) state ppid pgrp ...": comm may hold blanks, so read after its ')'.
        const QByteArray line = stat.readAll();
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 2 && fields.at(2).toLongLong() == group && fields.at(0) != "Z")
            ++members;
    }
    return members;
}

} // namespace

class TestLmtPlatform : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void namesAndPrefixes()
    {
        QCOMPARE(platform::osName(), QStringLiteral("Linux"));
        QCOMPARE(platform::platformKey(), QStringLiteral("linux"));
        QCOMPARE(platform::executableSuffix(), QString());
        QCOMPARE(platform::fileUrlPrefix(), QStringLiteral("file://"));
        QVERIFY(!platform::readRegistryValue("HKEY_LOCAL_MACHINE\\SOFTWARE\\X", "Path").isValid());
    }

    void windowsVariablesFallBackOnPosix()
    {
        const ScopedEnv noLocalAppData("LOCALAPPDATA", nullptr);
        const ScopedEnv noAllUsers("ALLUSERSPROFILE", nullptr);
        const ScopedEnv noUserName("USERNAME", nullptr);
        const ScopedEnv noUserProfile("USERPROFILE", nullptr);
        const ScopedEnv noSystemDrive("SYSTEMDRIVE", nullptr);
        const ScopedEnv noSystemDriveMixed("SystemDrive", nullptr);
        const ScopedEnv user("USER", "alice");
        const ScopedEnv home("HOME", "/home/alice");

        {
            const ScopedEnv xdg("XDG_DATA_HOME", "/data/alice");
            QCOMPARE(platform::environmentVariable("LOCALAPPDATA"), QStringLiteral("/data/alice"));
        }
        {
            const ScopedEnv xdg("XDG_DATA_HOME", nullptr);
            QCOMPARE(platform::environmentVariable("LOCALAPPDATA"),
                QStringLiteral("/home/alice/.local/share"));
        }
        QCOMPARE(
            platform::environmentVariable("ALLUSERSPROFILE"), QStringLiteral("/usr/local/share"));
        QCOMPARE(platform::environmentVariable("USERNAME"), QStringLiteral("alice"));
        QCOMPARE(platform::environmentVariable("USERPROFILE"), QStringLiteral("/home/alice"));
        QCOMPARE(platform::environmentVariable("SYSTEMDRIVE"), QString());
        QCOMPARE(platform::environmentVariable("SystemDrive"), QString());
        QCOMPARE(platform::environmentVariable("NO_SUCH_VARIABLE_ANYWHERE"), QString());
    }

    void explicitlySetVariablesWin()
    {
        const ScopedEnv localAppData("LOCALAPPDATA", "/sandbox/local");
        const ScopedEnv allUsers("ALLUSERSPROFILE", "/sandbox/all");
        const ScopedEnv userName("USERNAME", "bob");
        const ScopedEnv userProfile("USERPROFILE", "/sandbox/bob");
        const ScopedEnv systemDrive("SYSTEMDRIVE", "C:");
        const ScopedEnv systemDriveMixed("SystemDrive", "D:");
        const ScopedEnv user("USER", "alice");
        const ScopedEnv xdg("XDG_DATA_HOME", "/data/alice");

        QCOMPARE(platform::environmentVariable("LOCALAPPDATA"), QStringLiteral("/sandbox/local"));
        QCOMPARE(platform::environmentVariable("ALLUSERSPROFILE"), QStringLiteral("/sandbox/all"));
        QCOMPARE(platform::environmentVariable("USERNAME"), QStringLiteral("bob"));
        QCOMPARE(platform::environmentVariable("USERPROFILE"), QStringLiteral("/sandbox/bob"));
        QCOMPARE(platform::environmentVariable("SYSTEMDRIVE"), QStringLiteral("C:"));
        QCOMPARE(platform::environmentVariable("SystemDrive"), QStringLiteral("D:"));
    }

    void consoleEchoIsUtf8OnStandardError()
    {
        QString text;
        {
            lmttest::StderrCapture capture;
            platform::writeConsoleEcho(QString::fromUtf8("[WARNING] Lumetra\u2122 \u00e4\n"));
            text = capture.text();
        }
        QCOMPARE(text, QString::fromUtf8("[WARNING] Lumetra\u2122 \u00e4\n"));
    }

    void quitSignalReachesTheWholeGroup()
    {
        QVERIFY(!platform::sendQuitSignal(0));
        QVERIFY(!platform::sendQuitSignal(-1));

        // A shell waiting for a foreground child: both are in the new group and must go.
        QProcess process;
        platform::startInOwnProcessGroup(process);
        process.start("/bin/sh", { "-c", "sleep 300; echo never" });
        QVERIFY(process.waitForStarted(10000));
        const qint64 group = process.processId();
        QTRY_COMPARE_WITH_TIMEOUT(liveGroupMembers(group), 2, 10000);

        QVERIFY(platform::sendQuitSignal(group));
        QVERIFY(process.waitForFinished(10000));
        QCOMPARE(process.exitStatus(), QProcess::CrashExit);
        QTRY_COMPARE_WITH_TIMEOUT(liveGroupMembers(group), 0, 10000);
    }
};

QTEST_GUILESS_MAIN(TestLmtPlatform)
#include "tst_LmtPlatform.moc"
