// An installation for all users through the real /usr/bin/sudo, as an ordinary user would run
// it: the program's own controller and services, run by a throwaway unprivileged account whose
// sudo rule asks for its password, against the vendor stand-in and the launcher service
// stand-in, which runs the demo package's real installer as root.
//
// The test binary plays both parts: run as root by CTest it prepares the account and watches
// every process while the same binary, started again as that account ("--as-sudo-user"),
// installs with the passwords a row gives. The launcher the elevated install runs is wrapped so
// that whatever reaches its standard input (sudo's, shared with what it runs) is kept: the
// password must never be there, also when sudo asks for none (a NOPASSWD rule, or credentials
// cached from the run before).
#include "app/LmtEntry.h"
#include "common/LmtControllerEvents.h"
#include "common/LmtStandIns.h"
#include "model/LmtCoreToolModel.h"
#include "model/LmtOnlineToolVersion.h"
#include "services/LmtDownloadSettings.h"

#include <QtTest>

#include <csignal>
#include <pwd.h>
#include <unistd.h>

using namespace zendrel::lmt::setup;

namespace {

const QString HelperSwitch = QStringLiteral("--as-sudo-user");
const QString FeatureId = QStringLiteral("com.zdr.tb.tool.flashprobe");
const QString Version = QStringLiteral("2.1.1.60");
constexpr int JobTimeoutMs = 120000;
// Below the home folder of the account that runs kor-launcher-service.
const QString LauncherLog = QStringLiteral(
    "/.local/share/Zendrel_Technologies_AG/Launcher-Service/resources/logs/launcher-service.log");

// Where an installation for all users leaves its registry file off Windows.
const QString AllUsersRegistryFile = "/usr/local/share/Zendrel_Technologies_AG/Zendrel-Toolbox/"
    + FeatureId + "-" + Version + ".json";

bool run(const QString &program, const QStringList &arguments, const QByteArray &input = {})
{
    QProcess process;
    process.start(program, arguments);
    process.write(input);
    process.closeWriteChannel();
    const bool ran = process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit
        && process.exitCode() == 0;
    if (!ran)
        qWarning().noquote() << program << arguments << "failed:" << process.readAllStandardError();
    return ran;
}

// The ids of the processes the account runs, and of those sudo started for it as root.
QList<qint64> processesOf(uid_t uid)
{
    const QByteArray sudoMark = "SUDO_UID=" + QByteArray::number(uid);
    return lmttest::processesWhere([&](const QString &proc) {
        return QFileInfo(proc).ownerId() == uid
            || lmttest::readFile(proc + "environ").split('\0').contains(sudoMark);
    });
}

// A throwaway unprivileged account with a password, which sudo asks for before it runs
// anything as root. Everything it leaves behind goes when this object goes, whatever failed.
struct SudoAccount {
    QString name = QStringLiteral("lmtsudo%1").arg(QRandomGenerator::global()->bounded(1u << 30));
    QString home;
    QString sudoers = "/etc/sudoers.d/lmt-sudo-test-" + name;
    uid_t uid = uid_t(-1);
    bool created = false;
    // What its installation for all users writes outside the test's folders goes too: the
    // registry file, and the folders above it that do not exist yet.
    QStringList newFolders;

    // rule: what the account may run as root, as written in its sudoers line.
    bool create(const QByteArray &password, const QString &rule)
    {
        for (QDir dir = QFileInfo(AllUsersRegistryFile).dir(); !dir.exists();
             dir.setPath(QFileInfo(dir.path()).path()))
            newFolders << dir.path();
        created = run("/usr/sbin/useradd",
            { "--create-home", "--home-dir", home, "--shell", "/bin/sh", "--user-group", name });
        const passwd *const entry = created ? ::getpwnam(name.toLocal8Bit().constData()) : nullptr;
        uid = entry ? entry->pw_uid : uid;
        // Only the account's own rule is added; nothing else about sudo is changed.
        return entry && run("/usr/sbin/chpasswd", {}, name.toUtf8() + ':' + password + '\n')
            && lmttest::writeFile(sudoers, (name + ' ' + rule + '\n').toUtf8())
            && QFile::setPermissions(sudoers, QFile::ReadOwner | QFile::ReadGroup)
            && run("/usr/sbin/visudo", { "-c", "-q", "-f", sudoers });
    }

    ~SudoAccount()
    {
        QFile::remove(sudoers);
        QFile::remove(AllUsersRegistryFile);
        for (const QString &folder : std::as_const(newFolders))
            QDir().rmdir(folder);
        if (!created)
            return;
        // userdel refuses an account that still runs something (a service left by a failure).
        for (const qint64 pid : processesOf(uid))
            ::kill(pid_t(pid), SIGKILL);
        (void)QTest::qWaitFor([this] { return processesOf(uid).isEmpty(); }, 5000);
        run("/usr/sbin/userdel", { name });
        QFile::remove("/var/lib/sudo/lectured/" + name);
        QFile::remove("/run/sudo/ts/" + name);
    }
};

// ---- The account's part ---------------------------------------------------------------------

// "scope <n>" of the probe's installation, then what the controller signalled while it ran
// the installation once per password.
QJsonArray runInstallations(const QStringList &passwords, const QString &installDirectory)
{
    const auto controller = createSetupController();
    lmttest::ControllerEvents events(controller.get());
    controller->updateTools(false);
    if (!events.waitFor("toolDataChanged"))
        return { "no tool list" };
    const auto version = controller->toolModel()->findOnlineVersion(FeatureId, Version);
    if (!version)
        return { "no " + FeatureId };
    version->setSelected(true);
    // As chosen in the configuration dialog: the program goes into the test's folder.
    version->setInstallDirectory(installDirectory);
    events.lines = QStringList { QStringLiteral("scope %1").arg(int(version->installScope())) };

    for (const QString &password : passwords) {
        const qsizetype before = events.lines.size();
        // A run ends with the installation, or with a download that failed or was stopped
        // (0: in progress, 2: failed, 3: cancelled).
        const QRegularExpression end("^(installStatus [^0]|downloadStatus [23] )");
        const auto ended = [&] { return !events.lines.mid(before).filter(end).isEmpty(); };
        // As the main window does: Start, then the password from the dialog, then the jobs.
        controller->startInstall();
        controller->setAdminPassword(password);
        Q_EMIT controller->startInstallRequested();
        if (!QTest::qWaitFor(ended, JobTimeoutMs))
            events.lines << "timed out";
        controller->stopInstall();
    }
    return QJsonArray::fromStringList(events.lines);
}

int runAsSudoUser(const QStringList &arguments)
{
    registerMetaTypes();
    const QString vendorUrl = arguments.value(0);
    // The passwords come on standard input, never on a command line or in the environment.
    const QStringList passwords = QTextStream(stdin).readAll().split('\n', Qt::SkipEmptyParts);
    lmttest::LogCapture log;
    const QString launcher = lmttest::installLauncherService();
    if (launcher.isEmpty() || !lmttest::writeLauncherConfig(vendorUrl))
        return 2;
    setKorOnlineUrl(vendorUrl + "/api/v1/tools/");
    const QJsonArray events = runInstallations(passwords, arguments.value(1));
    lmttest::runLauncherService(launcher, { "-stop" });
    const QJsonObject result { { "events", events }, { "log", log.lines().join('\n') } };
    return lmttest::writeFile(arguments.value(2), QJsonDocument(result).toJson()) ? 0 : 2;
}

} // namespace

class TestSudoInstall : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        if (::geteuid() != 0)
            QSKIP("Needs root to create a throwaway account and a sudoers rule for it");
        for (const QString program : { "/usr/sbin/useradd", "/usr/bin/sudo", "/usr/sbin/runuser" })
            if (!QFileInfo(program).isExecutable())
                QSKIP(qPrintable(program + " is not installed (scripts/setup-deps installs it)"));
        if (QFileInfo::exists(AllUsersRegistryFile))
            QSKIP(qPrintable(AllUsersRegistryFile
                + " exists already: this machine's installation is left alone"));
        registerMetaTypes();
    }

    void allUsersInstallationAsAnOrdinaryUser_data()
    {
        // "wrong" and "right" stand for the passwords the account types, in order. The
        // installation is for all users (scope 1); the password is asked for before each run,
        // which ends installed (installStatus 1) or failed (2) with the installer's failure text
        // and what sudo said.
        QTest::addColumn<QString>("rule");
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<QString>("signalled");
        const QString asked = "askForElevatedPrivileges, installStatus ";
        // The third run finds sudo's credentials of the second still fresh.
        QTest::newRow("password asked")
            << "ALL=(root) ALL" << QStringList { "wrong", "right", "right" }
            << "scope 1, " + asked + "2, wrong password, " + asked + "1, " + asked + "1";
        // sudo reads nothing: what is written to it would wait for the elevated command.
        QTest::newRow("NOPASSWD rule")
            << "ALL=(root) NOPASSWD: ALL" << QStringList { "right" } << "scope 1, " + asked + "1";
    }

    void allUsersInstallationAsAnOrdinaryUser()
    {
        QFETCH(QString, rule);
        QFETCH(QStringList, answers);
        QFETCH(QString, signalled);

        // World-readable, so that the account reaches its home, the staged programs and the
        // installation folder below.
        QTemporaryDir root;
        const auto worldReadable = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
            | QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;
        QVERIFY(QFile::setPermissions(root.path(), worldReadable));
        const QString stage = root.filePath("bin");
        const QString programs = root.filePath("programs");
        QVERIFY(QDir().mkpath(programs));
        // The programs, and the 3rd-party tools file the application expects beside itself.
        const QString copy = stage + "/test", launcher = stage + "/kor-launcher-service.real";
        const QList<std::pair<QString, QString>> staged { { QCoreApplication::applicationFilePath(),
                                                              copy },
            { lmttest::binDir() + "/kor-launcher-service", launcher },
            { lmttest::binDir() + "/Resources/3rdparty-tools.json",
                stage + "/Resources/3rdparty-tools.json" } };
        for (const auto &[from, to] : staged)
            QVERIFY2(
                QDir().mkpath(QFileInfo(to).path()) && QFile::copy(from, to), qPrintable(from));
        // The launcher the account installs keeps what reaches the elevated install's input.
        const QString received = root.filePath("elevated-input");
        QVERIFY(lmttest::writeFile(stage + "/kor-launcher-service",
                    lmttest::fixture("e2e/elevated-input-keeper.sh")
                        .replace("{received}", QFile::encodeName(received))
                        .replace("{real}", QFile::encodeName(launcher)))
            && QFile::setPermissions(stage + "/kor-launcher-service", worldReadable));

        const QByteArray password
            = "Lmt-" + QByteArray::number(QRandomGenerator::global()->generate64(), 36) + " x";
        SudoAccount account;
        account.home = root.filePath("home");
        QVERIFY(account.create(password, rule));
        lmttest::VendorStandIn vendor;
        QString failure;
        QVERIFY2(vendor.start({}, &failure), qPrintable(failure));

        // A login-like environment of the account: none of the test's sandbox variables, so
        // that its folders are the ones sudo can find again.
        const QString resultFile = account.home + "/result.json";
        QStringList environment { "HOME=" + account.home, "USER=" + account.name,
            "LOGNAME=" + account.name, "PATH=/usr/bin:/bin", "LUMETRA_BIN_DIR=" + stage,
            "QT_QPA_PLATFORM=offscreen" };
        // A sanitizer build checks the account's run with the same options.
        for (const char *name : { "ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS", "TSAN_OPTIONS" })
            if (qEnvironmentVariableIsSet(name))
                environment << QString::fromLatin1(name) + "=" + qEnvironmentVariable(name);
        QProcess helper;
        helper.start("/usr/sbin/runuser",
            QStringList { "-u", account.name, "--", "/usr/bin/env", "-i" } + environment
                + QStringList {
                    copy, HelperSwitch, vendor.url(), programs + "/FlashProbe", resultFile });
        QVERIFY(helper.waitForStarted());
        for (const QString &answer : std::as_const(answers))
            helper.write((answer == "right" ? password : "wrong-" + password) + '\n');
        helper.closeWriteChannel();
        // Every command line and environment of the account's processes (and of those sudo
        // runs for it) while it works. What reaches the elevated install's standard input is
        // the wrapper's to keep (tests/data/e2e/elevated-input-keeper.sh).
        QSet<QByteArray> seen;
        for (const QDeadlineTimer deadline(2 * JobTimeoutMs);
             helper.state() != QProcess::NotRunning && !deadline.hasExpired();
             helper.waitForFinished(5))
            for (const qint64 pid : processesOf(account.uid))
                for (const char *part : { "cmdline", "environ" })
                    seen.insert(lmttest::readFile(QStringLiteral("/proc/%1/%2").arg(pid).arg(part))
                                    .replace('\0', ' '));
        QVERIFY2(helper.state() == QProcess::NotRunning && helper.exitCode() == 0,
            helper.readAllStandardError().right(4000).constData());
        const QJsonObject result = QJsonDocument::fromJson(lmttest::readFile(resultFile)).object();
        // Each job's end, and each error, in order (the download jobs aside).
        const QRegularExpression wrongPassword(
            QRegularExpression::escape("error 1 Failed to install '" + FeatureId + "' - '" + Version
                + "' package: child process exited with error code 1: ")
            + "[\\s\\S]*?incorrect password attempt");
        const QStringList events = result.value("events").toVariant().toStringList();
        QString summary
            = events.filter(QRegularExpression("^(?!downloadStatus |installStatus 0 )")).join(", ");
        summary.replace(wrongPassword, "wrong password")
            .replace(' ' + FeatureId + ' ' + Version, "");
        QCOMPARE(summary, signalled);

        // The program and its registry file for all users, both written as root.
        const QJsonObject record
            = QJsonDocument::fromJson(lmttest::readFile(AllUsersRegistryFile)).object();
        QCOMPARE(record.value("version").toString(), Version);
        const QFileInfo installed(record.value("path").toString());
        QVERIFY2(installed.exists() && installed.absoluteFilePath().startsWith(programs + "/"),
            qPrintable(installed.absoluteFilePath()));
        QCOMPARE(QFileInfo(AllUsersRegistryFile).ownerId() + installed.ownerId(), 0u);
        QVERIFY(QFileInfo::exists(record.value("uninstallPath").toString()));
        // Nothing went into the account's own registry folder.
        QCOMPARE(QDir(account.home + "/.local/share/Zendrel_Technologies_AG/Zendrel-Toolbox")
                     .entryList({ "*.json" }, QDir::Files),
            QStringList());

        // The password is in no process's arguments or environment, and in no log line.
        const QByteArray seenText = QByteArrayList(seen.begin(), seen.end()).join('\n');
        QVERIFY2(
            seenText.contains("installOnly " + FeatureId.toUtf8()) && !seenText.contains(password),
            seenText.mid(std::max(0, int(seenText.indexOf(password)) - 2000), 4000).constData());
        const QByteArray rootLauncherLog
            = lmttest::readFile(QString::fromLocal8Bit(::getpwuid(0)->pw_dir) + LauncherLog);
        QVERIFY2(rootLauncherLog.contains("installOnly " + FeatureId.toUtf8()),
            "no elevated run logged");
        // The elevated install ran through the wrapper and found nothing on its standard input.
        QVERIFY2(QFileInfo::exists(received), "the elevated install did not run the wrapper");
        QCOMPARE(lmttest::readFile(received), QByteArray());
        for (const QByteArray &text : { result.value("log").toString().toUtf8(),
                 lmttest::readFile(account.home + LauncherLog), rootLauncherLog })
            QVERIFY(!text.isEmpty() && !text.contains(password));
    }
};

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QStringList arguments = app.arguments();
    if (arguments.value(1) == HelperSwitch)
        return runAsSudoUser(arguments.mid(2));
    TestSudoInstall test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_SudoInstall.moc"
