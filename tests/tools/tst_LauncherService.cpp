// The launcher service program, driven the way the application drives it: as a process with
// command lines, and over its loopback HTTP API, against a scripted vendor.

#include "common/LmtScriptedVendor.h"
#include "common/LmtStandIns.h"
#include "common/LmtTableRows.h"

#include <QtTest>

using namespace lmttest;

const int kRunTimeoutMs = 60000;

namespace {

const char *const kTool = "com.zdr.test.tool";
const char *const kPackagePath = "/files/tool-1.2.3.4.sh/download";

QByteArray packageBody(int size)
{
    QByteArray body;
    for (int i = 0; body.size() < size; ++i)
        body += QByteArray::number(i * 7919 % 100003) + ' ';
    return body.left(size);
}

// A registry with one tool: versions 1.2.3.4 (Windows and Linux packages), 1.3.0.0 (Linux),
// 9.0.0.0 (ignored) and 9.1.0.0 (Windows only).
QByteArray registryDocument(
    const QByteArray &sha256 = {}, const QByteArray &linuxUrl = kPackagePath)
{
    return fixture("tools/one-tool-registry.json")
        .replace("{linuxUrl}", linuxUrl)
        .replace("{sha256}", sha256.isEmpty() ? QByteArray() : "\"sha256\": \"" + sha256 + "\",");
}

QByteArray installerScript(const QByteArray &exitCode)
{
    return fixture("tools/test-tool-installer.sh").replace("{exitCode}", exitCode);
}

} // namespace

class tst_LauncherService : public QObject
{
    Q_OBJECT

    Sandbox m_sandbox;
    ScriptedVendor m_vendor;
    const QString m_log = m_sandbox.filePath(
        "data/Zendrel_Technologies_AG/Launcher-Service/resources/logs/launcher-service.log");

    QString registryDirectory(const QString &scopeRoot) const
    {
        return m_sandbox.filePath(scopeRoot + "/Zendrel_Technologies_AG/Zendrel-Toolbox");
    }
    bool writeConfig(const QString &vendorUrl, const QByteArray &password)
    {
        return writeLauncherConfig(
            vendorUrl, QString::fromUtf8(m_vendor.email), QString::fromUtf8(password));
    }
    // Starts the service (if needed) and returns its port.
    quint16 servicePort()
    {
        const int started = runLauncher({}).exitCode;
        const RunResult port = runLauncher({ QStringLiteral("-port") });
        return started == 0 && port.exitCode == 0 ? port.outLines().value(0).toUShort() : 0;
    }

    // The package of 1.2.3.4 for Linux, login-required, with its checksum in the registry.
    void offer(const QByteArray &body, qint64 cutAfter = -1, bool honoursRange = true)
    {
        m_vendor.setPackage(kPackagePath, { body, true, honoursRange, cutAfter });
        m_vendor.setRegistry(
            registryDocument(QCryptographicHash::hash(body, QCryptographicHash::Sha256).toHex()));
    }
    QString verb(const QString &name, const QString &version = QStringLiteral("1.2.3.4")) const
    {
        return QStringLiteral("%1 %2:%3 %4").arg(name, kTool, version, m_vendor.registryUrl());
    }
    QString package() const { return registryDirectory("localappdata") + "/Tools/tool-1.2.3.4.sh"; }
    QByteArray heldToken(quint16 port)
    {
        return askService(port, "/getAccessToken").value("accessToken").toString().toUtf8();
    }

private Q_SLOTS:
    void serviceStartsOncePerUserAndTellsItsPort()
    {
        const RunResult before = runLauncher({ "-port" });
        QVERIFY(before.finished && before.exitCode != 0 && before.out.isEmpty()
            && before.err.contains("The launcher service is not running"));

        // Two starts at the same moment (the application and a second window, say) end with one
        // service, which a later start finds instead of starting another one.
        QProcess starts[2];
        for (QProcess &start : starts)
            start.start(binDir() + "/kor-launcher-service", QStringList());
        for (QProcess &start : starts)
            QVERIFY(start.waitForFinished(kRunTimeoutMs) && start.exitCode() == 0);
        QCOMPARE(runLauncher({}).exitCode, 0);
        const RunResult port = runLauncher({ "-port" });
        QVERIFY2(port.exitCode == 0
                && QRegularExpression("^\\d+\n$").match(QString::fromUtf8(port.out)).hasMatch(),
            port.out.constData());
        QVERIFY(askService(port.outLines().first().toUShort(), "/getAccessToken")
                    .contains("accessToken"));
        QTRY_COMPARE_WITH_TIMEOUT(
            QString::fromUtf8(readFile(m_log)).count("Started service process"), 1, 10000);
    }

    void init() { QVERIFY(writeConfig(m_vendor.baseUrl(), m_vendor.password)); }

    void signInTokenAndExpiry()
    {
        const quint16 port = servicePort();
        QCOMPARE(heldToken(port), QByteArray());

        // The token, its lifetime in seconds and when it arrived, to the millisecond.
        const QJsonObject signIn = askService(port, "/kor-service/requestAccessToken");
        const QString answer = QStringList { signIn["accessToken"].toString(),
            signIn["expires_in"].toString(), signIn["received_at"].toString() }
                                   .join(' ');
        QVERIFY2(QRegularExpression('^' + QRegularExpression::escape(m_vendor.token)
                     + " 3600 \\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3}$")
                     .match(answer)
                     .hasMatch(),
            qPrintable(answer));
        QCOMPARE(heldToken(port), m_vendor.token);

        // A token whose lifetime is over is no longer handed out.
        m_vendor.setExpiresIn(1);
        QCOMPARE(askService(port, "/kor-service/requestAccessToken").value("expires_in").toString(),
            QString("1"));
        QTRY_COMPARE_WITH_TIMEOUT(heldToken(port), QByteArray(), 10000);
        m_vendor.setExpiresIn(3600);

        // Neither the token nor the password ever reaches the log.
        const QByteArray log = readFile(m_log);
        QVERIFY(log.contains("Signed in, token: [REDACTED]") && !log.contains(m_vendor.token)
            && !log.contains(m_vendor.password));
    }

    void signInFailuresAnswerWithoutToken_data()
    {
        rowsFrom("tools/launcher-sign-in-failures.txt", { "vendor", "password", "error" });
    }
    void signInFailuresAnswerWithoutToken()
    {
        QFETCH(QString, vendor);
        QFETCH(QString, password);
        QFETCH(QString, error);
        const quint16 port = servicePort();
        if (vendor.isEmpty())
            QVERIFY(QFile::remove(launcherServiceDirectory() + "/launcher-config.json"));
        else
            QVERIFY(writeConfig(vendor.replace("{vendor}", m_vendor.baseUrl()), password.toUtf8()));
        const QJsonObject reply = askService(port, "/kor-service/requestAccessToken");
        const QString text = reply.value("error").toString();
        QVERIFY2(!reply.contains("accessToken")
                && (error.endsWith("...") ? text.startsWith(error.chopped(3)) : text == error),
            qPrintable(text));
        QCOMPARE(heldToken(port), QByteArray());
    }

    // One "downloadOnly" run of the 300 KiB package after the set-up a row of the table names.
    void downloadOnlyKeepsOnlyVerifiedPackages_data()
    {
        rowsFrom("tools/launcher-downloads.txt",
            { "before", "registry", "vendor", "exitCode", "message", "after", "requests" });
    }
    void downloadOnlyKeepsOnlyVerifiedPackages()
    {
        QFETCH(QString, before);
        QFETCH(QString, registry);
        QFETCH(QString, vendor);
        QFETCH(QString, message);
        const QByteArray body = packageBody(300 * 1024);
        const qint64 cut = 120 * 1024;
        const QHash<QString, QByteArray> contents { { "whole", body }, { "cut", body.left(cut) },
            { "junk", QByteArray(1000, 'x') }, { "longer", body + "trailing bytes" },
            { "stale", "stale package" } };
        offer(body, vendor == "cut" ? cut : -1, vendor != "no ranges");
        if (registry != "right checksum")
            m_vendor.setRegistry(registryDocument(
                registry == "wrong checksum" ? QByteArray(64, '0') : QByteArray()));
        const QString target = package();
        QFile::remove(target);
        QFile::remove(target + ".part");
        if (before.startsWith("part") || before.startsWith("file"))
            QVERIFY(writeFile(target + (before.startsWith("part") ? ".part" : ""),
                contents.value(before.section(' ', 1))));
        const bool signedOut = before == "signed out";
        askService(servicePort(),
            signedOut ? "/kor-service/revokeAccessToken" : "/kor-service/requestAccessToken",
            signedOut);
        m_vendor.clearRequests();

        const RunResult run = korService(verb("downloadOnly"));
        QTEST(QString(run.exitCode == 0 ? "0" : run.finished ? "1" : "hung"), "exitCode");
        QVERIFY2(run.err.contains(message.toUtf8()), run.err.constData());
        const QString onDisk = QFile::exists(target)
            ? "file " + contents.key(readFile(target), "other")
            : QFile::exists(target + ".part")
            ? "part " + contents.key(readFile(target + ".part"), "other")
            : "nothing";
        QTEST(onDisk, "after");
        // The registry is asked with "dependencies=true"; the Linux package (not the Windows one
        // listed before it) is fetched with the service's token.
        for (const auto &request : m_vendor.requestsTo("/api/v1/tools/"))
            QCOMPARE(request.target, QByteArray("/api/v1/tools/?dependencies=true"));
        QStringList ranges;
        for (const auto &request : m_vendor.requestsTo("/files/")) {
            QCOMPARE(request.target, QByteArray(kPackagePath));
            QCOMPARE(request.header("authorization"),
                signedOut ? QByteArray() : "Bearer " + m_vendor.token);
            ranges << QString::fromUtf8(
                request.hasHeader("range") ? request.header("range") : "whole");
        }
        ranges.removeDuplicates(); // a connection closed early may be retried at once
        QTEST(ranges.join(", "), "requests");

        // Progress lines only, ending at 100 % when the package is complete.
        QVERIFY2(
            QRegularExpression(run.exitCode == 0 ? "^(\\d+\\.\\d% completed\n)*100.0% completed\n$"
                                                 : "^(\\d+\\.\\d% completed\n)*$")
                .match(QString::fromUtf8(run.out))
                .hasMatch(),
            run.out.constData());
    }

    void unusableRequestsAreRefused_data()
    {
        rowsFrom("tools/launcher-refusals.txt", { "linuxUrl", "verbLine", "exitCode", "message" });
    }

    void unusableRequestsAreRefused()
    {
        QFETCH(QString, linuxUrl);
        QFETCH(QString, verbLine);
        QFETCH(QString, exitCode);
        QFETCH(QString, message);
        m_vendor.setRegistry(registryDocument({}, linuxUrl.toUtf8()));
        const QString installDir = m_sandbox.filePath("never-installed");
        const RunResult refused = korService(verbLine.replace("{registry}", m_vendor.registryUrl()),
            verbLine.startsWith("installOnly") ? QStringList { "--", "/dir=" + installDir }
                                               : QStringList());
        QVERIFY(refused.finished && !QFile::exists(installDir));
        QVERIFY(exitCode == "1" ? refused.exitCode != 0 : refused.exitCode == exitCode.toInt());
        QVERIFY2(refused.err.contains(message.toUtf8()), refused.err.constData());
    }

    // The installer gets the switches, and its exit code is the verb's. It inherits the
    // environment: its registry file lands in the scope it was told.
    void installOnlyRunsTheInstallerWithSwitches()
    {
        QVERIFY(
            askService(servicePort(), "/kor-service/requestAccessToken").contains("accessToken"));
        const QString installDir = m_sandbox.filePath("home/Tools/Test Tool 1.2");
        const QStringList switches { "--", "/verysilent", "/suppressmsgboxes", "/norestart",
            "/allusers", "/dir=" + installDir };
        for (const int exitCode : { 0, 7 }) {
            offer(installerScript(QByteArray::number(exitCode)));
            QCOMPARE(korService(verb("downloadOnly")).exitCode, 0);
            const RunResult install = korService(verb("installOnly"), switches);
            QVERIFY2(install.exitCode == exitCode
                    && install.out.contains("installed into " + installDir.toUtf8())
                    && readTextFile(installDir + "/switches.txt")
                        == switches.mid(1).join('\n') + '\n',
                install.err.constData());
            QVERIFY(
                QFile::remove(registryDirectory("allusers") + "/com.zdr.test.tool-1.2.3.4.json"));
        }

        // A package that no longer matches the registry's checksum is not run.
        QVERIFY(writeFile(package(), "#!/bin/sh\ntouch \"$HOME/tampered\"\n"));
        const RunResult tampered = korService(verb("installOnly"), switches);
        QVERIFY(tampered.exitCode != 0 && !QFile::exists(m_sandbox.filePath("home/tampered"))
            && tampered.err.contains("does not match the registry's SHA-256"));
        QFile::remove(package());
    }

    // The registry offers 1.3.0.0 as the newest Linux version (9.0.0.0 is marked ignored,
    // 9.1.0.0 has no Linux package); installations whose program is gone do not count.
    void checkUpdateComparesOfferedAndInstalled_data()
    {
        rowsFrom("tools/launcher-update-checks.txt", { "allUsers", "currentUser", "answer" });
    }
    void checkUpdateComparesOfferedAndInstalled()
    {
        QFETCH(QString, allUsers);
        QFETCH(QString, currentUser);
        QFETCH(QString, answer);
        m_vendor.setRegistry(registryDocument());
        const QString installed = m_sandbox.filePath("home/installed-tool.bin");
        QVERIFY(writeFile(installed, "tool"));
        for (const auto &[version, root] :
            { std::pair { allUsers, "allusers" }, std::pair { currentUser, "localappdata" } }) {
            const QString file = registryDirectory(root) + "/test-tool.json";
            QFile::remove(file);
            QVERIFY(version.isEmpty()
                || writeFile(file,
                    fixture("tools/installed-test-tool.json")
                        .replace("{version}", version.section(' ', 0, 0).toUtf8())
                        .replace("{path}", (installed + version.section(' ', 1)).toUtf8())));
        }
        const QString registry = answer.startsWith("Cannot") ? "http://127.0.0.1:1/api/v1/tools/"
                                                             : m_vendor.registryUrl();
        const RunResult result
            = korService(QStringLiteral("checkUpdate %1 %2 -silent").arg(kTool, registry));
        QVERIFY2(answer.startsWith("Cannot")
                ? result.exitCode > 0 && result.out.isEmpty()
                    && result.err.contains(answer.toUtf8())
                : result.exitCode == 0 && result.outLines() == QStringList { answer },
            (result.out + result.err).constData());
    }

    void cleanupTestCase()
    {
        QCOMPARE(runLauncher({ "-stop" }).exitCode, 0);
        QVERIFY(runLauncher({ "-port" }).exitCode != 0);
    }
};

QTEST_MAIN(tst_LauncherService)
#include "tst_LauncherService.moc"
