// Runs build/bin/lumetra-vendor-service on the demo catalogue and talks HTTP to it, and runs the
// demo Linux package installers in a sandbox.

#include "common/LmtStandIns.h"
#include "common/LmtTableRows.h"

#include <QTcpSocket>
#include <QtTest>

using namespace lmttest;

namespace {

constexpr int kTimeoutMs = 20000;
const QString kRegistry = QStringLiteral("/Zendrel_Technologies_AG/Zendrel-Toolbox/");

struct Answer {
    int status = -1;
    QHash<QByteArray, QByteArray> headers; // lower-case names
    QByteArray body;
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
    const qsizetype length = answer.headers.value("content-length").toLongLong();
    answer.body = raw.mid(raw.indexOf("\r\n\r\n") + 4);
    while (answer.body.size() < length && socket.waitForReadyRead(kTimeoutMs))
        answer.body += socket.readAll();
    return answer;
}

// The exit code is -1 when the program did not end normally in time.
RunResult run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    const bool ended = process.waitForFinished(kTimeoutMs) && process.exitStatus() == 0;
    return { ended, ended ? process.exitCode() : -1, process.readAllStandardOutput(),
        process.readAllStandardError() };
}

QString demoPackage(const QString &fileName)
{
    return demoCatalogue() + QStringLiteral("/packages/") + fileName;
}

} // namespace

class TestVendorService : public QObject
{
    Q_OBJECT

    Sandbox m_sandbox;
    VendorStandIn m_service;

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

private Q_SLOTS:
    void initTestCase()
    {
        QString error;
        QVERIFY2(m_service.start({}, &error), qPrintable(error));
        const QByteArray account = QByteArray("{\"email\": \"") + kDemoEmail
            + "\", \"password\": \"" + kDemoPassword + "\"}";
        const Answer signIn = exchange(m_service.url(), "POST /api/v1/auth/token", {}, account);
        m_token = QJsonDocument::fromJson(signIn.body)["access_token"].toString().toLatin1();
        QVERIFY(!m_token.isEmpty());
    }

    // Every version has a Linux and a Windows package, each with the checksum of its file.
    void registryListsTheDemoToolsWithChecksums()
    {
        const Answer result = exchange(m_service.url(), "GET /api/v1/tools/?dependencies=true");
        QCOMPARE(QString::number(result.status) + result.headers.value("content-type"),
            "200application/json");
        QVERIFY(!result.body.contains("{base}"));
        QStringList featureIds, oses;
        for (const QJsonValue &tool : QJsonDocument::fromJson(result.body).array()) {
            featureIds << tool["featureId"].toString();
            for (const QJsonValue &version : tool["versions"].toObject())
                for (const QJsonValue &entry : version["downloadUrls"].toArray()) {
                    const QString url = entry["url"].toString();
                    QVERIFY2(url.startsWith(m_service.url() + "/packages/")
                            && entry["filesize"].toDouble() > 0,
                        qPrintable(url));
                    QCOMPARE(entry["sha256"].toString().toLatin1(),
                        QCryptographicHash::hash(
                            readFile(demoPackage(QUrl(url).path().section('/', 2, 2))),
                            QCryptographicHash::Sha256)
                            .toHex());
                    oses << entry["os"].toString();
                }
        }
        featureIds.sort();
        QCOMPARE(featureIds.join('\n') + '\n', fixture("tools/demo-feature-ids.txt"));
        QCOMPARE(QStringLiteral("%1 of %2").arg(oses.count("Linux")).arg(oses.size()), "18 of 36");
    }

    // What each address answers: status, content type and body texts, with or without a token.
    void addressesAnswer_data()
    {
        rowsFrom("tools/vendor-addresses.txt",
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

    void badCommandLinesAndCataloguesStopTheService_data()
    {
        rowsFrom("tools/vendor-bad-starts.txt", { "arguments", "exitCode", "message" });
    }
    void badCommandLinesAndCataloguesStopTheService()
    {
        QFETCH(QString, arguments);
        QFETCH(QString, message);
        const QString port = QString::number(QUrl(m_service.url()).port());
        const RunResult result = run(binDir() + "/lumetra-vendor-service",
            arguments.split(';', Qt::SkipEmptyParts)
                .replaceInStrings("{demo}", demoCatalogue())
                .replaceInStrings("{data}", fixturePath("tools"))
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
        rowsFrom("tools/installer-runs.txt",
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
        QVERIFY(!chosen || writeFile(target + "/notes.txt", "mine\n"));
        for (const QString &package : packages.split(' ')) {
            const RunResult result = run("sh",
                QStringList { demoPackage(package + "-linux.sh") }
                    + switches.split(' ').replaceInStrings("{dir}", target));
            QVERIFY2(result.exitCode == 0, result.err.constData());
        }
        QTEST(filesBelow(target).join(','), "files");
        const QJsonObject expected
            = QJsonDocument::fromJson(fixture("tools/entry-" + packages.section(' ', -1) + ".json")
                                          .replace("{target}", target.toUtf8()))
                  .object();
        const QString entry
            = expected["featureId"].toString() + '-' + expected["version"].toString() + ".json";
        QCOMPARE(registryFiles(), scope + '/' + entry);
        QCOMPARE(QJsonDocument::fromJson(readFile(m_sandbox.filePath(scope + kRegistry + entry)))
                     .object(),
            expected);
        if (!says.isEmpty())
            QCOMPARE(run(expected["path"].toString(), { "--version" }).out, (says + "\n").toUtf8());

        // The uninstaller runs on its own, without arguments, as the uninstall job starts it.
        const RunResult removed = run(expected["uninstallPath"].toString(), {});
        QVERIFY2(removed.exitCode == 0, removed.err.constData());
        QCOMPARE(QDir(target).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
            chosen ? QStringList { "notes.txt" } : QStringList());
        QVERIFY(!chosen || readFile(target + "/notes.txt") == "mine\n");
        QCOMPARE(QDir(target).exists(), chosen);
        QCOMPARE(registryFiles(), QString());
    }
};

QTEST_GUILESS_MAIN(TestVendorService)
#include "tst_VendorService.moc"
