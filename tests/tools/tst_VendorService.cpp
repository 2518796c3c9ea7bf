// Runs build/bin/lumetra-vendor-service on the demo catalogue and talks HTTP to it, and runs the
// demo Linux package installers in a sandbox.

#include "common/LmtStandIns.h"
#include "common/LmtTableRows.h"

#include <QTcpSocket>
#include <QtTest>

namespace {

constexpr int kTimeoutMs = 20000;
const QString kDemoEmail = QString::fromLatin1(lmttest::kDemoEmail);
const QString kRegistry = QStringLiteral("/Zendrel_Technologies_AG/Zendrel-Toolbox/");

struct Answer {
    int status = -1;
    QHash<QByteArray, QByteArray> headers; // lower-case names
    QByteArray body;

    QJsonObject object() const { return QJsonDocument::fromJson(body).object(); }
};

// Sends "VERB target" exactly as written (a browser or Qt would normalise ".."), with header
// lines ("Name: value\r\n") and a JSON body, and reads the answer up to its Content-Length.
Answer exchange(const QString &base, const QByteArray &request, const QByteArray &headers = {},
    const QByteArray &body = {})
{
    QTcpSocket socket;
    socket.connectToHost(QStringLiteral("127.0.0.1"), quint16(QUrl(base).port()));
    socket.write(request + " HTTP/1.1\r\nHost: 127.0.0.1\r\n" + headers
        + (body.isEmpty() ? "" : "Content-Type: application/json\r\n")
        + "Content-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body);
    QByteArray raw;
    while (!raw.contains("\r\n\r\n") && socket.waitForReadyRead(kTimeoutMs))
        raw += socket.readAll();
    Answer answer;
    const QList<QByteArray> lines = raw.left(raw.indexOf("\r\n\r\n")).split('\n');
    answer.status = lines.value(0).split(' ').value(1, "-1").toInt();
    for (const QByteArray &line : lines.mid(1))
        answer.headers.insert(
            line.left(line.indexOf(':')).toLower(), line.mid(line.indexOf(':') + 1).trimmed());
    const qsizetype length
        = request.startsWith("HEAD") ? 0 : answer.headers.value("content-length").toLongLong();
    answer.body = raw.mid(raw.indexOf("\r\n\r\n") + 4);
    while (answer.body.size() < length && socket.waitForReadyRead(kTimeoutMs))
        answer.body += socket.readAll();
    return answer;
}

QByteArray signIn(const lmttest::VendorStandIn &service)
{
    const QJsonObject account { { "email", kDemoEmail },
        { "password", QString::fromLatin1(lmttest::kDemoPassword) } };
    return exchange(service.url(), "POST /api/v1/auth/token", {}, QJsonDocument(account).toJson())
        .object()["access_token"]
        .toString()
        .toLatin1();
}

QByteArray bearer(const QByteArray &token)
{
    return "Authorization: Bearer " + token + "\r\n";
}

// All download entries of a registry document.
QList<QJsonObject> downloadEntries(const QJsonArray &registry)
{
    QList<QJsonObject> entries;
    for (const QJsonValue &tool : registry)
        for (const QJsonValue &version : tool[QStringLiteral("versions")].toObject())
            for (const QJsonValue &entry : version[QStringLiteral("downloadUrls")].toArray())
                entries << entry.toObject();
    return entries;
}

// Exit code (-1 when it did not end normally in time), standard output and error of a run.
struct ProcessResult {
    int exitCode = -1;
    QByteArray out, err;
};

ProcessResult run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    const bool ended = process.waitForFinished(kTimeoutMs) && process.exitStatus() == 0;
    return { ended ? process.exitCode() : -1, process.readAllStandardOutput(),
        process.readAllStandardError() };
}

QByteArray sha256(const QByteArray &bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

QString demoPackage(const QString &fileName)
{
    return lmttest::demoCatalogue() + QStringLiteral("/packages/") + fileName;
}

} // namespace

class TestVendorService : public QObject
{
    Q_OBJECT

    lmttest::Sandbox m_sandbox;
    lmttest::VendorStandIn m_service;

    QByteArray m_token;

    // "<scope root>/<file>" of the registry files of both scopes.
    QString registryFiles() const
    {
        QStringList files;
        for (const QString root : { "allusers", "localappdata" })
            for (const QString &file :
                QDir(m_sandbox.filePath(root + kRegistry)).entryList(QDir::Files))
                files << root + '/' + file;
        return files.join(',');
    }

    Answer ask(const QString &request, const QByteArray &headers = {}) const
    {
        return exchange(m_service.url(), request.toUtf8(), headers);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QString error;
        QVERIFY2(m_service.start({}, &error), qPrintable(error));
        m_token = signIn(m_service);
        QVERIFY(!m_token.isEmpty());
    }

    void registryListsTheDemoToolsWithChecksums()
    {
        const Answer result = ask("GET /api/v1/tools/?dependencies=true");
        QCOMPARE(result.status, 200);
        QCOMPARE(result.headers.value("content-type"), QByteArrayLiteral("application/json"));
        QVERIFY(!result.body.contains("{base}"));
        const QJsonArray registry = QJsonDocument::fromJson(result.body).array();
        QStringList featureIds;
        for (const QJsonValue &tool : registry)
            featureIds << tool[QStringLiteral("featureId")].toString();
        featureIds.sort();
        QCOMPARE(featureIds.join('\n') + '\n', lmttest::fixture("tools/demo-feature-ids.txt"));

        // Every version has a Linux and a Windows package, each with the checksum of its file.
        int linuxPackages = 0;
        const QList<QJsonObject> entries = downloadEntries(registry);
        for (const QJsonObject &entry : entries) {
            const QString url = entry["url"].toString();
            QVERIFY2(
                url.startsWith(m_service.url() + "/packages/") && entry["filesize"].toDouble() > 0,
                qPrintable(url));
            QCOMPARE(entry["sha256"].toString().toLatin1(),
                sha256(lmttest::readFile(demoPackage(QUrl(url).path().section('/', 2, 2)))));
            linuxPackages += entry["os"].toString() == QLatin1String("Linux");
        }
        QCOMPARE(QList<int>({ linuxPackages, int(entries.size()) }), QList<int>({ 18, 36 }));
    }

    // What each address answers: status, content type and body texts, with or without a token.
    void addressesAnswer_data()
    {
        lmttest::rowsFrom("tools/vendor-addresses.txt",
            { "request", "authorization", "body", "status", "type", "texts" });
    }
    void addressesAnswer()
    {
        QFETCH(QString, request);
        QFETCH(QString, authorization);
        QFETCH(QString, body);
        QFETCH(QString, type);
        QFETCH(QString, texts);
        QList<QByteArray> forged = m_token.split('.');
        forged[1] = QByteArray::fromBase64(forged[1], QByteArray::Base64UrlEncoding)
                        .replace("demo.user", "qa.engineer")
                        .toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals);
        authorization.replace("{token}", m_token).replace("{forged}", forged.join('.'));
        const Answer result = exchange(m_service.url(), request.toUtf8(),
            authorization.isEmpty() ? QByteArray()
                                    : "Authorization: " + authorization.toUtf8() + "\r\n",
            body.toUtf8());
        QTEST(QString::number(result.status), "status");
        if (!type.isEmpty())
            QCOMPARE(result.headers.value("content-type"), type.toUtf8());
        const QByteArrayList parts = texts.replace("\\n", "\n").toUtf8().split(';');
        for (const QByteArray &text : parts)
            QVERIFY2(text.startsWith('!') ? !result.body.contains(text.mid(1))
                                          : result.body.contains(text),
                text.constData());
        if (type == "text/plain; charset=utf-8")
            QVERIFY(result.body.startsWith(parts.first()));
    }

    void rangeRequests_data()
    {
        lmttest::rowsFrom("tools/vendor-ranges.txt", { "range", "status", "first", "last" });
    }
    void rangeRequests()
    {
        QFETCH(QString, range);
        QFETCH(QString, status);
        QFETCH(QString, first);
        QFETCH(QString, last);
        const QString fileName = QStringLiteral("flashprobe-2.1.1.60-linux.sh");
        const QByteArray whole = lmttest::readFile(demoPackage(fileName));
        const QByteArray size = QByteArray::number(whole.size());
        const Answer result = ask("GET /packages/" + fileName,
            range.isEmpty() ? QByteArray()
                            : "Range: " + range.replace("{size}", size).toLatin1() + "\r\n");
        QCOMPARE(result.status, status.toInt());
        const int from = first.toInt() < 0 ? first.toInt() + whole.size() : first.toInt();
        const int to = last.toInt() < 0 ? last.toInt() + whole.size() : last.toInt();
        if (status == "416") {
            QCOMPARE(result.headers.value("content-range"), "bytes */" + size);
            return;
        }
        QCOMPARE(result.body, whole.mid(from, to - from + 1));
        if (status == "206") {
            QCOMPARE(result.headers.value("accept-ranges"), QByteArrayLiteral("bytes"));
            QCOMPARE(result.headers.value("content-range"),
                QStringLiteral("bytes %1-%2/%3").arg(from).arg(to).arg(whole.size()).toUtf8());
        }
        if (range.isEmpty()) {
            const Answer head = ask("HEAD /packages/" + fileName);
            QCOMPARE(QList<QByteArray>({ QByteArray::number(head.status),
                         head.headers.value("content-length"), head.body }),
                QList<QByteArray>({ "200", size, {} }));
        }
    }

    void tokensAreIssuedAndRevoked()
    {
        const qint64 before = QDateTime::currentSecsSinceEpoch();
        const QByteArray token = signIn(m_service);
        const QList<QByteArray> parts = token.split('.');
        QCOMPARE(parts.size(), 3);
        const auto decoded = [&](int part) {
            return QJsonDocument::fromJson(
                QByteArray::fromBase64(parts[part], QByteArray::Base64UrlEncoding));
        };
        QCOMPARE(
            decoded(0)["typ"].toString() + ' ' + decoded(1)["sub"].toString(), "JWT " + kDemoEmail);
        const qint64 expiry = decoded(1)["exp"].toInteger();
        QVERIFY(expiry >= before + 3600 && expiry <= QDateTime::currentSecsSinceEpoch() + 3600);

        // Revoked, the token is refused from then on; a new sign-in gets another one.
        QCOMPARE(ask("POST /api/v1/auth/revoke", bearer(token)).status, 204);
        QCOMPARE(ask("GET /api/v1/tools/", bearer(token)).status, 401);
        QCOMPARE(ask("POST /api/v1/auth/revoke", bearer(token)).status, 401);
        const QByteArray another = signIn(m_service);
        QVERIFY(another != token);
        QCOMPARE(ask("GET /api/v1/tools/", bearer(another)).status, 200);

        // Expired at once, or issued by another run (each run signs with its own key): refused.
        lmttest::VendorStandIn shortLived;
        QVERIFY(shortLived.start({ "--token-lifetime", "0" }));
        for (const QByteArray &refused : { signIn(shortLived), another })
            QCOMPARE(exchange(shortLived.url(), "GET /api/v1/tools/", bearer(refused)).status, 401);
    }

    void filesOutsideTheCatalogueAreNeverServed()
    {
        QTemporaryDir outside;
        const QString secret = outside.filePath("secret.txt");
        QVERIFY(lmttest::writeFile(secret, "top secret\n"));
        QTemporaryDir catalogue;
        for (const char *file : { "registry.json", "accounts.json", "packages/ok.sh" })
            QVERIFY(lmttest::writeFile(catalogue.filePath(file),
                lmttest::fixture(QStringLiteral("tools/mini-catalogue/") + file)));
        QVERIFY(QFile::link(secret, catalogue.filePath("packages/escape.sh")));
        QDir(catalogue.path()).mkpath("docs/7/70");
        QVERIFY(QFile::link(secret, catalogue.filePath("docs/7/70/license.txt")));

        lmttest::VendorStandIn service;
        service.setCatalogue(catalogue.path());
        QVERIFY(service.start());
        const auto get
            = [&](const QByteArray &target) { return exchange(service.url(), "GET " + target); };
        const Answer listed = get("/api/v1/tools/");
        QCOMPARE(listed.status, 200);
        const auto entries = downloadEntries(QJsonDocument::fromJson(listed.body).array());
        QCOMPARE(entries.size(), 3);
        QCOMPARE(entries[0].value("sha256").toString().toLatin1(), sha256("#!/bin/sh\n"));
        QVERIFY(!entries[1].contains("sha256") && !entries[2].contains("sha256"));

        const Answer escaped = get("/packages/escape.sh/download");
        QVERIFY(!escaped.body.contains("top secret"));
        QCOMPARE(
            QList<int>({ get("/packages/ok.sh").status, escaped.status,
                get("/api/v1/tools/7/versions/70/license/").status, get("/../secret.txt").status }),
            QList<int>({ 200, 404, 404, 400 }));
        QTRY_VERIFY_WITH_TIMEOUT(
            service.requestLog().join('\n').contains("escape.sh/download"), kTimeoutMs);
    }

    void badCommandLinesAndCataloguesStopTheService_data()
    {
        lmttest::rowsFrom("tools/vendor-bad-starts.txt", { "arguments", "exitCode", "message" });
    }
    void badCommandLinesAndCataloguesStopTheService()
    {
        QFETCH(QString, arguments);
        QFETCH(QString, message);
        const QString port = QString::number(QUrl(m_service.url()).port());
        const ProcessResult result = run(lmttest::binDir() + "/lumetra-vendor-service",
            arguments.split(';', Qt::SkipEmptyParts)
                .replaceInStrings("{demo}", lmttest::demoCatalogue())
                .replaceInStrings("{data}", lmttest::fixturePath("tools"))
                .replaceInStrings("{port}", port));
        QTEST(QString::number(result.exitCode), "exitCode");
        QVERIFY2(
            result.out.isEmpty() && result.err.contains(message.replace("{port}", port).toUtf8()),
            result.err.constData());
    }

    // Packages installed one after the other: only the last one's files and registry file
    // remain, beside the user's own file, until its uninstaller removes them.
    void linuxInstallerInstallsReplacesAndUninstalls_data()
    {
        lmttest::rowsFrom("tools/installer-runs.txt",
            { "packages", "switches", "folder", "scope", "files", "says" });
    }
    void linuxInstallerInstallsReplacesAndUninstalls()
    {
        QFETCH(QString, packages);
        QFETCH(QString, switches);
        QFETCH(QString, folder);
        QFETCH(QString, scope);
        QFETCH(QString, says);
        const bool chosen = folder.isEmpty();
        const QString target = m_sandbox.filePath(
            chosen ? "chosen dir/it's " + QString(QTest::currentDataTag()) : folder);
        QVERIFY(!chosen || lmttest::writeFile(target + "/notes.txt", "mine\n"));
        for (const QString &package : packages.split(' ')) {
            const ProcessResult result = run("sh",
                QStringList { demoPackage(package + "-linux.sh") }
                    + switches.split(' ').replaceInStrings("{dir}", target));
            QVERIFY2(result.exitCode == 0, result.err.constData());
        }
        QTEST(lmttest::filesBelow(target).join(','), "files");
        const QJsonObject expected = QJsonDocument::fromJson(
            lmttest::fixture("tools/entry-" + packages.section(' ', -1) + ".json")
                .replace("{target}", target.toUtf8()))
                                         .object();
        const QString entry
            = expected["featureId"].toString() + '-' + expected["version"].toString() + ".json";
        QCOMPARE(registryFiles(), scope + '/' + entry);
        QCOMPARE(QJsonDocument::fromJson(
                     lmttest::readFile(m_sandbox.filePath(scope + kRegistry + entry)))
                     .object(),
            expected);
        if (!says.isEmpty())
            QCOMPARE(run(expected["path"].toString(), { "--version" }).out, (says + "\n").toUtf8());

        // The uninstaller runs on its own, without arguments, as the uninstall job starts it.
        const ProcessResult removed = run(expected["uninstallPath"].toString(), {});
        QVERIFY2(removed.exitCode == 0, removed.err.constData());
        QCOMPARE(QDir(target).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
            chosen ? QStringList { "notes.txt" } : QStringList());
        QVERIFY(!chosen || lmttest::readFile(target + "/notes.txt") == "mine\n");
        QCOMPARE(QDir(target).exists(), chosen);
        QCOMPARE(registryFiles(), QString());
    }

    // An installer that cannot finish writes nothing and leaves an earlier installation whole.
    void linuxInstallerFailsWithoutWriting_data()
    {
        lmttest::rowsFrom("tools/installer-failures.txt", { "fault", "message" });
    }
    void linuxInstallerFailsWithoutWriting()
    {
        QFETCH(QString, fault);
        QFETCH(QString, message);
        QString package = demoPackage("flashprobe-2.1.1.60-linux.sh");
        const QString target = m_sandbox.filePath(QTest::currentDataTag()) + "/sub";
        const QString registryFile = m_sandbox.filePath(
            "localappdata" + kRegistry + "com.zdr.tb.tool.flashprobe-2.1.0.50.json");
        if (fault == "file")
            QVERIFY(lmttest::writeFile(m_sandbox.filePath(QTest::currentDataTag()), "x"));
        if (fault == "cut payload") {
            QByteArray bytes = lmttest::readFile(package);
            const QByteArray marker = "\n__LUMETRA_PAYLOAD__\n";
            bytes.truncate(bytes.lastIndexOf(marker) + marker.size());
            package = m_sandbox.filePath("damaged.sh");
            QVERIFY(lmttest::writeFile(package, bytes));
        }
        const bool held = fault == "held registry file";
        if (held) {
            QCOMPARE(run("sh", { demoPackage("flashprobe-2.1.0.50-linux.sh"), "/dir=" + target })
                         .exitCode,
                0);
            // Something that rm cannot remove holds the installed version's registry file name.
            QVERIFY(QFile::remove(registryFile));
            QVERIFY(lmttest::writeFile(registryFile + "/held", "x"));
        }
        const QStringList before = lmttest::filesBelow(target);
        const ProcessResult result = run("sh", { package, "/currentuser", "/dir=" + target });
        QCOMPARE(result.exitCode, 1);
        QCOMPARE(QString::fromUtf8(result.err),
            message.replace("{target}", target)
                    .replace("{package}", package)
                    .replace("{registry}", registryFile)
                + '\n');
        QCOMPARE(QDir(target).exists(), held);
        QCOMPARE(lmttest::filesBelow(target), before);
        QCOMPARE(registryFiles(), QString());
        QVERIFY(!held
            || (QFile::exists(registryFile + "/held") && QDir(registryFile).removeRecursively()));
    }
};

QTEST_GUILESS_MAIN(TestVendorService)
#include "tst_VendorService.moc"
