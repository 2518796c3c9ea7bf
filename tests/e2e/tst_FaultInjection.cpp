// The real setup controller with all its real services against the two stand-ins, while
// things break: the launcher service crashes, a transfer is cut, the disk fills up during a
// download, the log folder vanishes. After each of them nothing may be left under a final
// package name in the Tools folder, and an installed tool's registry file and program must be
// as they were. (A vendor site that is down or answers garbage is the download manager's and
// the controller's own test, against a loopback server and with exact texts.)
//
// Secrets stay out of what others can read: the sign-in's token and password out of logs,
// command lines and settings, and the password of a URL out of every place that logs one (given
// an update site and package addresses that carry a user name and a password, the log file
// names the URL with its user name only, and no text shown to the user holds the password).

#include "app/LmtEntry.h"
#include "base/LmtLogLocation.h"
#include "base/LmtSettings.h"
#include "common/LmtControllerEvents.h"
#include "common/LmtFakeServices.h"
#include "common/LmtLoopbackHttpServer.h"
#include "common/LmtMessageBoxWatcher.h"
#include "common/LmtTableRows.h"
#include "e2e/LmtStandInPair.h"
#include "model/LmtCoreToolModel.h"
#include "model/LmtOnlineToolVersion.h"
#include "registry/LmtOnlineRegistryParser.h"
#include "services/LmtAccessToken.h"
#include "services/LmtDownloadManager.h"
#include "services/LmtLauncherServiceConnector.h"
#include "services/LmtProcessHandle.h"
#include "services/NetworkException.h"
#include "shared_toolkit/Log.h"
#include "shared_toolkit/UrlRedaction.h"
#include "ui/LmtPrefsDialog.h"
#include "views/LmtToolLinksCell.h"

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QNetworkReply>
#include <QPushButton>
#include <QSslKey>
#include <QSslServer>
#include <QtTest>

#include <csignal>
#include <future>
#include <sys/mount.h>

using namespace zendrel::lmt::setup;
using namespace lmttest;

namespace {

const int kTimeoutMs = 60000;
// Needs no sign-in, so a download works whichever vendor run the launcher service knows.
const QString kProbe = QStringLiteral("com.zdr.tb.tool.flashprobe");
const QString kProbeVersion = QStringLiteral("2.1.1.60");
const QString kProbeFile = QStringLiteral("flashprobe-2.1.1.60-linux.sh");
// What the update site with a password in its URL offers.
const QString kUrlPassword = QStringLiteral("S3cret-pw");
const QString kDemoTool = QStringLiteral("com.zdr.tb.tool.demo");

// How the controller signals that a job (downloadStatus, installStatus) of the probe went.
QString probeEvent(const char *signal, LmtOperationStatus status)
{
    return QStringLiteral("%1 %2 %3 %4").arg(signal).arg(int(status)).arg(kProbe, kProbeVersion);
}

// The setup controller of the program's own composition root, with what it signals.
struct Rig {
    std::shared_ptr<LmtSetupController> controller = createSetupController();
    ControllerEvents events { controller.get() };

    ~Rig()
    {
        controller->stopInstall();
        refresh();
    }

    QStringList matching(const QString &prefix) const { return events.matching(prefix); }
    bool waitFor(const QString &prefix) const { return events.waitFor(prefix, kTimeoutMs); }
    // Forgets the events so far; every request queued before has been served when this returns.
    bool refresh()
    {
        events.lines.clear();
        const auto count = [this] { return matching(QStringLiteral("toolDataChanged")).size(); };
        const auto before = count();
        controller->updateTools(false);
        return QTest::qWaitFor([&] { return count() > before; }, kTimeoutMs);
    }
    // Selects the probe for installation and starts the jobs; false when the
    // installation would need a password first (a run without root rights).
    bool startProbeDownload(const QString &installDirectory)
    {
        const auto version = controller->toolModel()->findOnlineVersion(kProbe, kProbeVersion);
        version->setSelected(true);
        version->setInstallDirectory(installDirectory);
        events.lines.clear();
        controller->startInstall();
        return !events.waitFor(QStringLiteral("askForElevatedPrivileges"), 200);
    }
};

// The running processes of this test's home whose command line contains fragment.
QMap<qint64, QByteArray> processesWith(const QByteArray &fragment)
{
    QMap<qint64, QByteArray> found;
    const QByteArray home = "HOME=" + QFile::encodeName(QDir::homePath());
    processesWhere([&](const QString &proc) {
        const QByteArray line = readFile(proc + "cmdline").replace('\0', ' ');
        if (line.contains(fragment) && readFile(proc + "environ").split('\0').contains(home))
            found.insert(proc.section(QLatin1Char('/'), 2, 2).toLongLong(), line);
        return false;
    });
    return found;
}

// The local addresses (hex, as /proc/net shows them) listening on TCP port.
QByteArrayList listenersOn(quint16 port)
{
    QByteArrayList found;
    const QByteArray suffix = ':' + QByteArray::number(port, 16).toUpper().rightJustified(4, '0');
    // sl local remote state ...; 0A is LISTEN.
    for (const QByteArray &row :
        (readFile("/proc/net/tcp") + readFile("/proc/net/tcp6")).split('\n'))
        if (const QList<QByteArray> fields = row.simplified().split(' ');
            fields.size() > 3 && fields[3] == "0A" && fields[1].endsWith(suffix))
            found << fields[1].chopped(suffix.size());
    return found;
}

// A tmpfs of kib KiB (none when 0) mounted over a folder: a disk that really fills up. Mounting
// needs root with CAP_SYS_ADMIN, which a container may not grant; unmounted when this goes.
struct SmallDisk {
    QByteArray folder;
    int kib = 0;
    bool mounted = kib > 0 && resize(kib, 0);
    bool resize(int kib, unsigned long remount = MS_REMOUNT)
    {
        QDir().mkpath(QFile::decodeName(folder));
        return ::mount("tmpfs", folder.constData(), "tmpfs", remount | MS_NOSUID | MS_NODEV,
                   "size=" + QByteArray::number(kib) + 'k')
            == 0;
    }
    ~SmallDisk()
    {
        if (mounted)
            ::umount2(folder.constData(), MNT_DETACH);
    }
};

} // namespace

class TestFaultInjection : public QObject
{
    Q_OBJECT

    Sandbox m_sandbox;
    StandInPair m_standIns;
    // An installed tool that no fault may touch.
    const QString m_installedProgram = m_sandbox.filePath("lumetra-tools/bin/lumetra");
    const QString m_registry
        = m_sandbox.filePath("localappdata/Zendrel_Technologies_AG/Zendrel-Toolbox");
    const QString m_installedRecord = m_registry + "/com.zdr.tb.tool.lumetra-3.1.2.1100.json";
    const QByteArray m_installedBytes
        = fixture("e2e/installed-lumetra.json")
              .replace("{program}", QFile::encodeName(m_installedProgram));

    const QString m_tools = m_registry + "/Tools";
    const QString m_package = m_tools + '/' + kProbeFile;
    const QString m_partialFile = m_package + ".part";
    const QString m_installDirectory = m_sandbox.filePath("installed");

    // The update site with a password in its URL: the registry at /api/v1/tools/, nothing else.
    LoopbackHttpServer m_site;

    QString siteUrl(const QString &path, bool withPassword = true) const
    {
        return QStringLiteral("http://jo%1@127.0.0.1:%2%3")
            .arg(withPassword ? ":" + kUrlPassword : QString())
            .arg(m_site.port())
            .arg(path);
    }

    // A connector on the running kor-launcher-service.
    static std::unique_ptr<LmtLauncherServiceConnector> startedConnector()
    {
        auto connector
            = std::make_unique<LmtLauncherServiceConnector>(std::make_shared<LmtDownloadManager>());
        connector->setStartupPause(std::chrono::milliseconds(0));
        connector->start();
        return connector;
    }

    // The text a launcher service job ended with.
    static QStringList jobResult(const std::shared_ptr<LmtProcessHandle> &handle)
    {
        QSignalSpy finished(handle.get(), &LmtProcessHandle::finished);
        return { finished.wait(kTimeoutMs) ? finished.first().at(1).toString() : "did not finish" };
    }

    // Every text a place that logs url showed the user.
    QStringList shownAt(const QString &place, const QString &url)
    {
        QStringList shown;
        QObject context;
        const auto collect = [&shown](const QString &text) { shown << text; };
        if (place == "parse") {
            LmtOnlineRegistryParser parser(
                std::make_shared<LmtDownloadManager>(), std::make_shared<LmtCoreToolModel>());
            connect(&parser,
                qOverload<QString, ConsoleMessageType>(&ILmtRegistryParser::appendUILog), &context,
                collect);
            parser.parse();
        } else if (place == "download") {
            shown = jobResult(startedConnector()->downloadTool(kDemoTool, "1.0.0.1"));
        } else if (place == "install") {
            shown = jobResult(
                startedConnector()->installTool(kDemoTool, "1.0.0.1", { "--", "/verysilent" }));
        } else if (place == "checkUpdate") {
            QString newVersion;
            shown << failureOf([&] { startedConnector()->checkForUpdate(kDemoTool, newVersion); });
        } else if (place == "store") {
            LmtPrefsDialog dialog(std::make_shared<LmtDownloadManager>());
            dialog.show();
            MessageBoxWatcher boxes;
            dialog.findChild<QLineEdit *>("m_editKorOnlineUrl")->setText(url);
            dialog.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click();
            // The site is probed off the GUI thread.
            if (!QTest::qWaitFor([&dialog] { return !dialog.isCheckingUrl(); }, kTimeoutMs))
                return { "no answer" };
            shown = boxes.texts();
        } else if (place == "request") {
            FakeServices services;
            const auto controller = services.makeController();
            connect(controller.get(), &LmtSetupController::releaseNotesOrLicenseDataReady, &context,
                collect);
            QMetaObject::invokeMethod(
                controller.get(), "getReleaseNotesOrLicenseData", Q_ARG(QString, url));
            if (!QTest::qWaitFor([&] { return !shown.isEmpty(); }, kTimeoutMs))
                shown << "no answer";
        } else if (place == "open") {
            LmtToolLinksCell cell(LmtToolLinksData { "Demo", "1.0.0.1", url, {} });
            // The document dialog is modal: closed as soon as it runs.
            QTimer::singleShot(0, [] {
                if (QWidget *dialog = QApplication::activeModalWidget())
                    dialog->close();
            });
            cell.findChild<QPushButton *>("lblReleaseNotes")->click();
        }
        return shown;
    }

    // Fresh stand-ins, the vendor with the given fault; empty, or what failed.
    QString restart(const QStringList &fault = {})
    {
        return m_standIns.start(fault, QStringLiteral("qa.engineer@lumetra-demo.example"),
            QStringLiteral("qa-engineer-demo"));
    }

    // Empty when the Tools folder holds only complete packages under their final names (partial
    // and lock files of the launcher service aside) and the installed tool is as it was.
    QString leftovers() const
    {
        QStringList problems;
        for (const QFileInfo &file : QDir(m_tools).entryInfoList(QDir::Files))
            if (file.suffix() != "part" && file.suffix() != "lock"
                && readFile(file.filePath())
                    != readFile(demoCatalogue() + "/packages/" + file.fileName()))
                problems << "incomplete " + file.fileName();
        if (readFile(m_installedRecord) != m_installedBytes
            || readFile(m_installedProgram) != fixture("e2e/installed-lumetra"))
            problems << "the installed tool's registry file or program changed";
        return problems.join("; ");
    }

    // No package downloaded and the probe not installed.
    void clearToolsFolder()
    {
        QDir(m_tools).removeRecursively();
        QDir(m_installDirectory).removeRecursively();
        QDir allUsers(m_sandbox.filePath("allusers/Zendrel_Technologies_AG/Zendrel-Toolbox"));
        for (const QString &record : allUsers.entryList({ kProbe + "*.json" }))
            allUsers.remove(record);
    }

    // Ends the one running download of the probe the hard way.
    bool killDownload()
    {
        if (!QTest::qWaitFor([&] { return QFileInfo(m_partialFile).size() > 0; }, kTimeoutMs))
            return false;
        const auto downloads = processesWith(
            ("downloadOnly " + kProbe + ':' + kProbeVersion + ' ' + m_standIns.vendor.registryUrl())
                .toUtf8());
        return downloads.size() == 1 && ::kill(pid_t(downloads.firstKey()), SIGKILL) == 0;
    }

private Q_SLOTS:
    void initTestCase()
    {
        registerMetaTypes();
        QCOMPARE(restart(), QString());
        const QByteArray registry
            = fixture("e2e/one-tool-registry.json")
                  .replace("{packageUrl}", siteUrl("/files/demo-1.0.0.1.sh").toUtf8());
        m_site.setHandler([registry](const HttpRequest &request) {
            return request.target.startsWith("/api/v1/tools/") ? HttpResponse { 200, registry, {} }
                                                               : HttpResponse { 404, {}, {} };
        });
        QVERIFY(QDir().mkpath(m_sandbox.filePath("logs")));
        QVERIFY(restartLogIn(m_sandbox.filePath("logs")));
        // Debug lines included: no level may show the password.
        QLoggingCategory::setFilterRules(QStringLiteral("LOCAL.debug=true"));
        QVERIFY(writeFile(m_installedProgram, fixture("e2e/installed-lumetra"), true)
            && writeFile(m_installedRecord, m_installedBytes));
    }

    // Whatever broke, nothing half-written is left and the installed tool is as it was.
    void cleanup() { QVERIFY2(leftovers().isEmpty(), qPrintable(leftovers())); }

    // The password ends at the last '@' before the path; nothing else in the text changes.
    void textsLoseOnlyTheirUrlPasswords_data() { rowsFrom("e2e/url-passwords.json"); }
    void textsLoseOnlyTheirUrlPasswords()
    {
        QFETCH(QJsonObject, row);
        QCOMPARE(zendrel::lmt::shared_toolkit::withoutUrlPasswords(row["text"].toString()),
            row["shown"].toString());
    }

    // The launcher service rows run the real service, which echoes the registry URL it was given
    // when it cannot read it.
    void urlsAreLoggedWithoutTheirPassword_data()
    {
        rowsFrom("e2e/url-logging-places.txt", { "site", "place", "path", "logged" });
    }
    void urlsAreLoggedWithoutTheirPassword()
    {
        QFETCH(QString, site);
        QFETCH(QString, place);
        QFETCH(QString, path);
        QFETCH(QString, logged);
        setKorOnlineUrl(siteUrl(site));

        LogCapture capture; // makes the log the message handler again
        auto &log = zendrel::lmt::shared_toolkit::Log::instance();
        const QString logFile = log.fileName();
        log.flush();
        const qsizetype before = readFile(logFile).size();
        const QStringList shown = shownAt(place, siteUrl(path));
        log.flush();
        const QString written = QString::fromUtf8(readFile(logFile).mid(before));

        QVERIFY2(
            written.contains(logged.replace("{url}", siteUrl(path, false))), qPrintable(written));
        QVERIFY2(!written.contains(kUrlPassword), qPrintable(written));
        for (const QString &text : shown)
            QVERIFY2(!text.contains(kUrlPassword), qPrintable(text));
    }

    // However the transfer breaks (the service crashes, the vendor cuts it, the disk is full or
    // seems so), the download fails with the reason the real launcher gave. Where a partial file
    // is expected kept or gone, a retry (on a disk grown to 1 MiB) then installs the probe. A
    // service that claims a download it never made is the downloader's own test.
    void brokenDownloadsLeaveNothingBehind_data() { rowsFrom("e2e/download-faults.json"); }
    void brokenDownloadsLeaveNothingBehind()
    {
        QFETCH(QJsonObject, row);
        const QString fault = row["fault"].toString();
        QCOMPARE(
            restart(fault.isEmpty() ? QStringList() : QStringList { "--fault", fault }), QString());
        clearToolsFolder();
        SmallDisk disk { QFile::encodeName(m_tools), row["tmpfsKiB"].toInt() };
        if (disk.kib > 0 && !disk.mounted)
            QSKIP("mounting a small tmpfs needs rights this run does not have");
        // More than fits is written: the write stops where the disk is full, whatever its
        // accounting. The filler is no package, so it goes once the download failed.
        const QString filler = m_tools + "/filler";
        const QString during = row["during"].toString();
        if (during == "fill") {
            writeFile(filler, QByteArray(64 * 1024, 'x'));
            QCOMPARE(QStorageInfo(m_tools).bytesAvailable(), 0);
        }
        const auto roomAgain = qScopeGuard([] { qunsetenv("KOR_TEST_DISK_FREE_BYTES"); });
        if (row.contains("freeBytes"))
            qputenv("KOR_TEST_DISK_FREE_BYTES", row["freeBytes"].toString().toUtf8());
        {
            Rig rig;
            if (!rig.refresh() || !rig.startProbeDownload(m_installDirectory))
                QSKIP("installing the probe for all users needs root rights");
            if (during == "kill")
                QVERIFY(killDownload());
            QVERIFY(rig.waitFor(probeEvent("downloadStatus", Failed)));
            QVERIFY(during != "fill" || QFile::remove(filler));
            // The reason, then the hint (its text is the downloader's concern).
            const bool hinted
                = QTest::qWaitFor([&rig] { return rig.matching("error ").size() >= 2; }, 5000);
            const QStringList errors = rig.matching("error ");
            const QString failed = QStringLiteral("error %1 Download of '%2' - '%3' package failed")
                                       .arg(int(GeneralError))
                                       .arg(kProbe, kProbeVersion);
            QVERIFY2(hinted && errors.size() == 2
                    && errors[0].startsWith(
                        failed + row["reason"].toString().replace("{tools}", m_tools))
                    && rig.matching(probeEvent("downloadStatus", Succeeded)).isEmpty(),
                qPrintable(errors.join('\n')));
            QVERIFY2(
                !QFileInfo::exists(m_package) && leftovers().isEmpty(), qPrintable(leftovers()));
        }
        const QString partial = row["partial"].toString();
        if (partial.isEmpty())
            return;
        QVERIFY2(partial == "kept" ? QFileInfo(m_partialFile).size() > 0
                                   : !QFileInfo::exists(m_partialFile),
            qPrintable(partial));

        // The next start of the program downloads the package whole and installs it.
        qunsetenv("KOR_TEST_DISK_FREE_BYTES");
        if (disk.kib > 0 && !disk.resize(1024))
            QSKIP("resizing the small tmpfs needs rights this run does not have");
        Rig rig;
        QVERIFY(rig.refresh() && rig.startProbeDownload(m_installDirectory));
        QVERIFY(rig.waitFor(probeEvent("installStatus", Succeeded)));
        QVERIFY(rig.matching(probeEvent("downloadStatus", Failed)).isEmpty());
        QCOMPARE(readFile(m_package), readFile(demoCatalogue() + "/packages/" + kProbeFile));
        QVERIFY(!QFileInfo::exists(m_partialFile));
    }

    void removedLogFolderDoesNotStopTheProgram()
    {
        using zendrel::lmt::shared_toolkit::Log;
        const QString logDirectory = m_sandbox.filePath("vanishing-logs");
        QVERIFY(QDir().mkpath(logDirectory));
        QVERIFY(zendrel::lmt::shared_toolkit::initLog(logDirectory, "faults", false));
        QVERIFY(Log::instance().fileName().startsWith(logDirectory));
        QVERIFY(QDir(logDirectory).removeRecursively());

        // The whole refresh logs into the vanished folder without harm.
        {
            LogCapture logging;
            Rig rig;
            QVERIFY(rig.refresh());
            QCOMPARE(rig.matching("toolDataChanged"), QStringList { "toolDataChanged 1" });
            QVERIFY(!logging.lines().isEmpty());
        }
        // Where the next start then logs is the start-up test's concern.
        QVERIFY(!QFileInfo::exists(logDirectory));
        Log::instance().close();
    }

    void secretsStayOutOfLogsCommandLinesAndSettings()
    {
        // The first transfer hangs half-way, so the download's command line can be read.
        QCOMPARE(restart({ "--fault", "stall-first-package" }), QString());
        clearToolsFolder();
        const QByteArray password = "qa-engineer-demo";

        // Debug lines too: they tell the most about requests and replies.
        QLoggingCategory::setFilterRules(QStringLiteral("LOCAL.debug=true"));
        LogCapture capture;
        Rig rig;
        rig.controller->startLauncherService();
        rig.controller->startLogin();
        QVERIFY(rig.waitFor("loginStateChanged 1"));
        // Signed in, the token is kept under its own key and nowhere else in the settings.
        LmtAccessToken stored;
        QVERIFY(stored.restore() && stored.accessToken().size() > 20);
        const QByteArray token = stored.accessToken();
        // The settings keys whose value holds a secret.
        const auto holding = [&] {
            applicationSettings().sync();
            QByteArrayList keys;
            for (const QByteArray &line : readFile(applicationSettings().fileName()).split('\n'))
                if (line.contains(token) || line.contains(password))
                    keys << line.left(line.indexOf('='));
            return keys;
        };
        QCOMPARE(holding(), QByteArrayList { "accessToken" });
        QVERIFY(rig.refresh());
        if (!rig.startProbeDownload(m_installDirectory))
            QSKIP("installing the probe for all users needs root rights");

        // Every launcher service process of this home while the transfer hangs half-way, the
        // service itself included; then the download is ended the hard way and run again.
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(m_partialFile).size() > 0, kTimeoutMs);
        const auto launchers = processesWith("kor-launcher-service");
        const QByteArray commandLines = QByteArrayList(launchers.values()).join('\n');
        QVERIFY2(launchers.size() >= 2 && commandLines.contains("downloadOnly")
                && !commandLines.contains(token) && !commandLines.contains(password),
            commandLines.constData());
        QVERIFY(killDownload());
        QVERIFY(rig.waitFor(probeEvent("downloadStatus", Failed)));
        // As the window does once every job has ended.
        rig.controller->stopInstall();
        QVERIFY(rig.startProbeDownload(m_installDirectory));
        QVERIFY(rig.waitFor(probeEvent("installStatus", Succeeded)));
        rig.controller->startLogout();
        QVERIFY(rig.waitFor("loginStateChanged 0") && rig.refresh());

        QLoggingCategory::setFilterRules(QString());
        QVERIFY(capture.lines().size() > 20);
        const QByteArray serviceLog = readFile(m_sandbox.filePath(
            "data/Zendrel_Technologies_AG/Launcher-Service/resources/logs/launcher-service.log"));
        QVERIFY(serviceLog.contains("downloadOnly"));
        for (const QByteArray &text : { capture.lines().join('\n').toUtf8(), serviceLog })
            QVERIFY(!text.contains(token) && !text.contains(password));
        // Signed out, the settings no longer hold it either.
        QCOMPARE(holding(), QByteArrayList());
    }

    void downloadManagerRefusesAnUntrustedCertificate()
    {
        // A server that would answer anything, with a certificate nobody vouches for.
        QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
        tls.setLocalCertificate(QSslCertificate(fixture("e2e/tls/certificate.pem")));
        tls.setPrivateKey(QSslKey(fixture("e2e/tls/key.pem"), QSsl::Rsa));
        QVERIFY(!tls.localCertificate().isNull() && !tls.privateKey().isNull());
        QSslServer server;
        server.setSslConfiguration(tls);
        QVERIFY(server.listen(QHostAddress::LocalHost));
        QSignalSpy handshakes(&server, &QSslServer::startedEncryptionHandshake);

        // The manager blocks its caller, and the server needs this thread's event loop.
        LmtDownloadManager http;
        auto code = std::async(std::launch::async, [&http, port = server.serverPort()] {
            try {
                http.getData(QUrl(QStringLiteral("https://127.0.0.1:%1/").arg(port)), 20000);
            } catch (const NetworkException &e) {
                return int(e.code());
            }
            return 0;
        });
        // The client's own time-out ends the wait at the latest; the code below tells how.
        (void)QTest::qWaitFor(
            [&] { return code.wait_for(std::chrono::seconds(0)) == std::future_status::ready; },
            kTimeoutMs);
        QCOMPARE(code.get(), int(QNetworkReply::SslHandshakeFailedError));
        QCOMPARE(handshakes.size(), 1);
    }

    void standInsListenOnLoopbackOnly()
    {
        const RunResult service = runLauncher({ "-port" });
        QCOMPARE(service.exitCode, 0);
        // 127.0.0.1 as /proc/net/tcp writes it.
        for (const quint16 port : { quint16(QUrl(m_standIns.vendor.url()).port()),
                 service.outLines().value(0).toUShort() })
            QCOMPARE(listenersOn(port), QByteArrayList { "0100007F" });
    }
};

QTEST_MAIN(TestFaultInjection)
#include "tst_FaultInjection.moc"
