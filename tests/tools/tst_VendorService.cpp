// Runs build/bin/lumetra-vendor-service on the demo catalogue and talks HTTP to it, and runs a
// demo Linux package installer in a sandbox.

#include "common/LmtTestSupport.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QProcess>
#include <QSet>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <memory>

namespace {

constexpr int kTimeoutMs = 20000;
const QString kDemoEmail = QStringLiteral("demo.user@lumetra-demo.example");
const QString kDemoPassword = QStringLiteral("lumetra-demo");

QString demoCatalogue()
{
    return QDir(lmttest::binDir()).absoluteFilePath(QStringLiteral("../demo"));
}

QByteArray sha256Hex(const QByteArray &data)
{
    return QCryptographicHash::hash(data, QCryptographicHash::Sha256).toHex();
}

// One running service process; stopped when destroyed.
class ServiceProcess
{
public:
    ~ServiceProcess() { stop(); }

    // Starts the service and waits for its "Listening on" line.
    bool start(const QStringList &arguments)
    {
        m_process.setProgram(lmttest::binDir() + QStringLiteral("/lumetra-vendor-service"));
        m_process.setArguments(arguments);
        m_process.start();
        if (!m_process.waitForStarted(kTimeoutMs))
            return false;
        QElapsedTimer timer;
        timer.start();
        while (!m_process.canReadLine() && timer.elapsed() < kTimeoutMs
            && m_process.state() == QProcess::Running)
            m_process.waitForReadyRead(500);
        const QString line = QString::fromUtf8(m_process.readLine()).trimmed();
        static const QRegularExpression pattern(
            QStringLiteral("^Listening on (http://127\\.0\\.0\\.1:(\\d+))$"));
        const QRegularExpressionMatch match = pattern.match(line);
        if (!match.hasMatch())
            return false;
        m_base = match.captured(1);
        return match.captured(2).toInt() > 0;
    }

    void stop()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.terminate();
            if (!m_process.waitForFinished(kTimeoutMs))
                m_process.kill();
            m_process.waitForFinished(kTimeoutMs);
        }
    }

    QString base() const { return m_base; }
    QUrl url(const QString &path) const { return QUrl(m_base + path); }
    // Everything the service wrote to standard error so far.
    QByteArray stderrText()
    {
        m_stderr += m_process.readAllStandardError();
        return m_stderr;
    }

private:
    QProcess m_process;
    QString m_base;
    QByteArray m_stderr;
};

struct HttpResult {
    int status = 0;
    QByteArray body;
    QNetworkReply::NetworkError error = QNetworkReply::NoError;
    QHash<QByteArray, QByteArray> headers; // lower-case names

    QJsonObject object() const { return QJsonDocument::fromJson(body).object(); }
};

// Sends one request and waits for its answer.
HttpResult send(QNetworkAccessManager &network, const QByteArray &verb, const QUrl &url,
    const QList<QPair<QByteArray, QByteArray>> &headers = {}, const QByteArray &body = {})
{
    QNetworkRequest request(url);
    request.setTransferTimeout(kTimeoutMs);
    for (const auto &header : headers)
        request.setRawHeader(header.first, header.second);
    if (!body.isEmpty())
        request.setHeader(
            QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/json"));
    QNetworkReply *reply
        = verb == "HEAD" ? network.head(request) : network.sendCustomRequest(request, verb, body);
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    if (!reply->isFinished())
        loop.exec();
    HttpResult result;
    result.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    result.body = reply->readAll();
    result.error = reply->error();
    for (const auto &pair : reply->rawHeaderPairs())
        result.headers.insert(pair.first.toLower(), pair.second);
    reply->deleteLater();
    return result;
}

QList<QPair<QByteArray, QByteArray>> bearer(const QByteArray &token)
{
    return { { QByteArrayLiteral("Authorization"), QByteArrayLiteral("Bearer ") + token } };
}

// Sends a request line exactly as written (a browser or Qt would normalise "..") and returns
// the status code of the answer.
int rawStatus(const QString &base, const QByteArray &target)
{
    const QUrl url(base);
    QTcpSocket socket;
    socket.connectToHost(QStringLiteral("127.0.0.1"), quint16(url.port()));
    if (!socket.waitForConnected(kTimeoutMs))
        return -1;
    socket.write("GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n");
    QByteArray answer;
    while (!answer.contains("\r\n") && socket.waitForReadyRead(kTimeoutMs))
        answer += socket.readAll();
    const QList<QByteArray> statusLine = answer.left(answer.indexOf("\r\n")).split(' ');
    return statusLine.size() >= 2 ? statusLine.at(1).toInt() : -1;
}

// All download entries of a registry document, with the featureId of their tool.
QList<QPair<QString, QJsonObject>> downloadEntries(const QJsonArray &registry)
{
    QList<QPair<QString, QJsonObject>> entries;
    for (const QJsonValue &tool : registry) {
        const QJsonObject versions = tool[QStringLiteral("versions")].toObject();
        for (const QJsonValue &version : versions) {
            for (const QJsonValue &entry : version[QStringLiteral("downloadUrls")].toArray())
                entries.append({ tool[QStringLiteral("featureId")].toString(), entry.toObject() });
        }
    }
    return entries;
}

struct ProcessResult {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

ProcessResult run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    ProcessResult result;
    if (!process.waitForFinished(kTimeoutMs) || process.exitStatus() != QProcess::NormalExit)
        return result;
    result.exitCode = process.exitCode();
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

} // namespace

class TestVendorService : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void registryListsTheDemoToolsWithChecksums();
    void documentsAndToolPages();
    void rangeRequestsResumeDownloads();
    void tokensAreIssuedCheckedAndRevoked();
    void expiredTokensAreRefused();
    void loginRequiredPackagesNeedAToken();
    void pathTraversalIsRefused();
    void filesOutsideTheCatalogueAreNeverServed();
    void badCommandLinesAndCataloguesStopTheService();
    void linuxInstallerInstallsAndUninstalls();
    void linuxInstallerDefaultsAndFailures();
    void linuxInstallerReplacesAnotherVersionInItsFolder_data();
    void linuxInstallerReplacesAnotherVersionInItsFolder();
    void linuxInstallerKeepsAnInstallationItCannotReplace();

private:
    QByteArray signIn(const ServiceProcess &service);
    QString demoPackage(const QString &fileName) const;
    // Runs the FlashProbe package of version into target for the current user.
    ProcessResult installFlashProbe(const QString &version, const QString &target) const;
    QStringList flashProbeRegistryFiles() const;

    lmttest::Sandbox m_sandbox;
    ServiceProcess m_service;
    QNetworkAccessManager m_network;
    QJsonArray m_registry;
};

void TestVendorService::initTestCase()
{
    QVERIFY2(QFileInfo::exists(demoCatalogue() + QStringLiteral("/registry.json")),
        "the demo catalogue has not been generated");
    QVERIFY(m_service.start({ QStringLiteral("--catalogue"), demoCatalogue() }));
    const HttpResult registry
        = send(m_network, "GET", m_service.url(QStringLiteral("/api/v1/tools/?dependencies=true")));
    QCOMPARE(registry.status, 200);
    m_registry = QJsonDocument::fromJson(registry.body).array();
    QVERIFY(!m_registry.isEmpty());
}

QByteArray TestVendorService::signIn(const ServiceProcess &service)
{
    const QJsonObject credentials { { QStringLiteral("email"), kDemoEmail },
        { QStringLiteral("password"), kDemoPassword } };
    const HttpResult result = send(m_network, "POST",
        service.url(QStringLiteral("/api/v1/auth/token")), {}, QJsonDocument(credentials).toJson());
    return result.object().value(QStringLiteral("access_token")).toString().toLatin1();
}

QString TestVendorService::demoPackage(const QString &fileName) const
{
    return demoCatalogue() + QStringLiteral("/packages/") + fileName;
}

void TestVendorService::registryListsTheDemoToolsWithChecksums()
{
    const HttpResult result
        = send(m_network, "GET", m_service.url(QStringLiteral("/api/v1/tools/")));
    QCOMPARE(result.status, 200);
    QCOMPARE(result.headers.value("content-type"), QByteArrayLiteral("application/json"));
    QVERIFY(!result.body.contains("{base}"));

    QSet<QString> featureIds;
    for (const QJsonValue &tool : m_registry)
        featureIds.insert(tool[QStringLiteral("featureId")].toString());
    const QSet<QString> expected { QStringLiteral("com.zdr.tb.tool.lumetra"),
        QStringLiteral("com.zdr.tb.tool.lumetra.hotfix"),
        QStringLiteral("com.zdr.tb.pack.devices-arm"),
        QStringLiteral("com.zdr.tb.pack.devices-riscv"),
        QStringLiteral("com.zdr.tb.tool.tracelens"), QStringLiteral("com.zdr.tb.tool.flashprobe"),
        QStringLiteral("com.zdr.tb.tool.legacy-workbench") };
    QCOMPARE(featureIds, expected);

    // Every version has a Linux and a Windows package, each with the checksum of its file.
    int linuxPackages = 0;
    for (const auto &tagged : downloadEntries(m_registry)) {
        const QJsonObject &entry = tagged.second;
        const QString url = entry[QStringLiteral("url")].toString();
        QVERIFY2(url.startsWith(m_service.base() + QStringLiteral("/packages/")), qPrintable(url));
        const QString sha256 = entry[QStringLiteral("sha256")].toString();
        QVERIFY2(QRegularExpression(QStringLiteral("^[0-9a-f]{64}$")).match(sha256).hasMatch(),
            qPrintable(url));
        QString fileName = QUrl(url).path().section(QLatin1Char('/'), 2, 2);
        const QByteArray onDisk = lmttest::readFile(demoPackage(fileName));
        QVERIFY2(!onDisk.isEmpty(), qPrintable(fileName));
        QCOMPARE(sha256.toLatin1(), sha256Hex(onDisk));
        QVERIFY(entry[QStringLiteral("filesize")].toDouble() > 0);
        if (entry[QStringLiteral("os")].toString() == QLatin1String("Linux"))
            ++linuxPackages;
    }
    QCOMPARE(linuxPackages * 2, downloadEntries(m_registry).size());
    QCOMPARE(linuxPackages, 18);

    // The application's query is accepted, other methods are not.
    QCOMPARE(send(m_network, "POST", m_service.url(QStringLiteral("/api/v1/tools/"))).status, 405);
    QCOMPARE(send(m_network, "GET", m_service.url(QStringLiteral("/api/v2/tools/"))).status, 404);
}

void TestVendorService::documentsAndToolPages()
{
    const HttpResult note = send(m_network, "GET",
        m_service.url(QStringLiteral("/api/v1/tools/101/versions/1004/release-note/")));
    QCOMPARE(note.status, 200);
    QCOMPARE(note.headers.value("content-type"), QByteArrayLiteral("text/plain; charset=utf-8"));
    QVERIFY(note.body.startsWith("Lumetra Tools Package 3.2.1\n"));

    const HttpResult licence = send(m_network, "GET",
        m_service.url(QStringLiteral("/api/v1/tools/401/versions/4002/license/")));
    QCOMPARE(licence.status, 200);
    QVERIFY(licence.body.startsWith("FlashProbe Programmer 2.1.1.60\n"));
    QVERIFY(licence.body.contains("FREE USE LICENCE"));

    // The unpublished 3.3 line has no release note: the application maps 404 to "not found".
    QCOMPARE(send(m_network, "GET",
                 m_service.url(QStringLiteral("/api/v1/tools/101/versions/1005/release-note/")))
                 .status,
        404);
    QCOMPARE(send(m_network, "GET",
                 m_service.url(QStringLiteral("/api/v1/tools/101/versions/1004/changelog/")))
                 .status,
        404);
    QCOMPARE(send(m_network, "GET",
                 m_service.url(QStringLiteral("/api/v1/tools/abc/versions/1004/license/")))
                 .status,
        404);

    const HttpResult page
        = send(m_network, "GET", m_service.url(QStringLiteral("/tools/com.zdr.tb.tool.lumetra")));
    QCOMPARE(page.status, 200);
    QCOMPARE(page.headers.value("content-type"), QByteArrayLiteral("text/html; charset=utf-8"));
    QVERIFY(page.body.contains("<h1>Lumetra Tools Package</h1>"));
    QVERIFY(page.body.contains("/api/v1/tools/101/versions/1004/release-note/"));
    QVERIFY2(!page.body.contains("3.3.0.1300"), "an ignored version is listed on the tool page");
    const HttpResult missing
        = send(m_network, "GET", m_service.url(QStringLiteral("/tools/<script>")));
    QCOMPARE(missing.status, 404);
    QVERIFY(missing.body.contains("&lt;script&gt;"));
}

void TestVendorService::rangeRequestsResumeDownloads()
{
    const QString fileName = QStringLiteral("flashprobe-2.1.1.60-linux.sh");
    const QByteArray whole = lmttest::readFile(demoPackage(fileName));
    const qint64 size = whole.size();
    QVERIFY(size > 100);
    const QUrl url = m_service.url(QStringLiteral("/packages/") + fileName);
    auto ranged = [&](const QByteArray &range) {
        return send(m_network, "GET", url, { { QByteArrayLiteral("Range"), range } });
    };

    // An interrupted download resumes where it stopped and ends up with the same bytes.
    const HttpResult head = ranged("bytes=0-99");
    QCOMPARE(head.status, 206);
    QCOMPARE(head.body, whole.left(100));
    QCOMPARE(head.headers.value("content-range"), "bytes 0-99/" + QByteArray::number(size));
    QCOMPARE(head.headers.value("accept-ranges"), QByteArrayLiteral("bytes"));
    const HttpResult rest = ranged("bytes=100-");
    QCOMPARE(rest.status, 206);
    QCOMPARE(head.body + rest.body, whole);
    QCOMPARE(rest.headers.value("content-range"),
        "bytes 100-" + QByteArray::number(size - 1) + '/' + QByteArray::number(size));

    const HttpResult suffix = ranged("bytes=-16");
    QCOMPARE(suffix.status, 206);
    QCOMPARE(suffix.body, whole.right(16));
    const HttpResult clipped = ranged("bytes=10-999999999");
    QCOMPARE(clipped.status, 206);
    QCOMPARE(clipped.body, whole.mid(10));

    for (const QByteArray &bad :
        { "bytes=" + QByteArray::number(size) + '-', QByteArray("bytes=9-3"),
            QByteArray("bytes=x-5"), QByteArray("bytes=-0"), QByteArray("bytes=5") }) {
        const HttpResult refused = ranged(bad);
        QVERIFY2(refused.status == 416, bad.constData());
        QCOMPARE(refused.headers.value("content-range"), "bytes */" + QByteArray::number(size));
    }
    // Several ranges or another unit: the whole file, which a server may always answer.
    QCOMPARE(ranged("bytes=0-1,5-6").body, whole);
    QCOMPARE(ranged("items=0-1").status, 200);

    const HttpResult plain = send(m_network, "GET", url);
    QCOMPARE(plain.status, 200);
    QCOMPARE(plain.body, whole);
    const HttpResult onlyHeaders = send(m_network, "HEAD", url);
    QCOMPARE(onlyHeaders.status, 200);
    QCOMPARE(onlyHeaders.headers.value("content-length"), QByteArray::number(size));
    QVERIFY(onlyHeaders.body.isEmpty());
}

void TestVendorService::tokensAreIssuedCheckedAndRevoked()
{
    const QUrl tokenUrl = m_service.url(QStringLiteral("/api/v1/auth/token"));
    const QJsonObject credentials { { QStringLiteral("email"),
                                        QStringLiteral("DEMO.user@lumetra-demo.example") },
        { QStringLiteral("password"), kDemoPassword } };
    const qint64 before = QDateTime::currentSecsSinceEpoch();
    const HttpResult issued
        = send(m_network, "POST", tokenUrl, {}, QJsonDocument(credentials).toJson());
    QCOMPARE(issued.status, 200);
    const QJsonObject answer = issued.object();
    QCOMPARE(answer.value(QStringLiteral("token_type")).toString(), QStringLiteral("Bearer"));
    QCOMPARE(answer.value(QStringLiteral("expires_in")).toInt(), 3600);
    const QByteArray token = answer.value(QStringLiteral("access_token")).toString().toLatin1();
    const QList<QByteArray> parts = token.split('.');
    QCOMPARE(parts.size(), 3);
    const QJsonObject header
        = QJsonDocument::fromJson(QByteArray::fromBase64(parts[0], QByteArray::Base64UrlEncoding))
              .object();
    QCOMPARE(header.value(QStringLiteral("typ")).toString(), QStringLiteral("JWT"));
    const QJsonObject payload
        = QJsonDocument::fromJson(QByteArray::fromBase64(parts[1], QByteArray::Base64UrlEncoding))
              .object();
    QCOMPARE(payload.value(QStringLiteral("sub")).toString(), kDemoEmail); // as registered
    const qint64 expiry = payload.value(QStringLiteral("exp")).toInteger();
    QVERIFY(expiry >= before + 3600 && expiry <= QDateTime::currentSecsSinceEpoch() + 3600);

    const QUrl registryUrl = m_service.url(QStringLiteral("/api/v1/tools/"));
    QCOMPARE(send(m_network, "GET", registryUrl, bearer(token)).status, 200);
    const HttpResult me = send(
        m_network, "GET", m_service.url(QStringLiteral("/api/v1/auth/userinfo")), bearer(token));
    QCOMPARE(me.object().value(QStringLiteral("sub")).toString(), kDemoEmail);

    // Wrong credentials and malformed requests.
    const QJsonObject wrong { { QStringLiteral("email"), kDemoEmail },
        { QStringLiteral("password"), QStringLiteral("guess") } };
    QCOMPARE(send(m_network, "POST", tokenUrl, {}, QJsonDocument(wrong).toJson()).status, 401);
    const QJsonObject stranger { { QStringLiteral("email"),
                                     QStringLiteral("nobody@lumetra-demo.example") },
        { QStringLiteral("password"), kDemoPassword } };
    QCOMPARE(send(m_network, "POST", tokenUrl, {}, QJsonDocument(stranger).toJson()).status, 401);
    QCOMPARE(send(m_network, "POST", tokenUrl, {}, QByteArrayLiteral("email=x")).status, 400);
    QCOMPARE(
        send(m_network, "POST", tokenUrl, {}, QByteArrayLiteral("{\"email\": 1}")).status, 400);
    QCOMPARE(send(m_network, "GET", tokenUrl).status, 405);

    // Unknown or forged tokens are refused on every path; a bare "Bearer " carries no token.
    const HttpResult garbage = send(m_network, "GET", registryUrl, bearer("abc.def.ghi"));
    QCOMPARE(garbage.status, 401);
    QCOMPARE(garbage.error, QNetworkReply::AuthenticationRequiredError);
    QJsonObject otherUser = payload;
    otherUser.insert(QStringLiteral("sub"), QStringLiteral("qa.engineer@lumetra-demo.example"));
    const QByteArray forgedPayload
        = QJsonDocument(otherUser)
              .toJson(QJsonDocument::Compact)
              .toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals);
    const QByteArray forged = parts[0] + '.' + forgedPayload + '.' + parts[2];
    QCOMPARE(send(m_network, "GET", registryUrl, bearer(forged)).status, 401);
    QCOMPARE(send(m_network, "GET", m_service.url(QStringLiteral("/tools/com.zdr.tb.tool.lumetra")),
                 bearer(forged))
                 .status,
        401);
    QCOMPARE(
        send(m_network, "GET", registryUrl, { { "Authorization", "Basic ZGVtbzpkZW1v" } }).status,
        401);
    QCOMPARE(send(m_network, "GET", registryUrl, { { "Authorization", "Bearer " } }).status, 200);

    // Revocation: the token is refused from then on, revoking needs a token.
    const QUrl revokeUrl = m_service.url(QStringLiteral("/api/v1/auth/revoke"));
    QCOMPARE(send(m_network, "POST", revokeUrl).status, 401);
    QCOMPARE(send(m_network, "POST", revokeUrl, bearer(token)).status, 204);
    QCOMPARE(send(m_network, "GET", registryUrl, bearer(token)).status, 401);
    QCOMPARE(send(m_network, "POST", revokeUrl, bearer(token)).status, 401);
    const QByteArray another = signIn(m_service);
    QVERIFY(!another.isEmpty() && another != token);
    QCOMPARE(send(m_network, "GET", registryUrl, bearer(another)).status, 200);
}

void TestVendorService::expiredTokensAreRefused()
{
    ServiceProcess shortLived;
    QVERIFY(shortLived.start({ QStringLiteral("--catalogue"), demoCatalogue(),
        QStringLiteral("--token-lifetime"), QStringLiteral("0") }));
    const QByteArray token = signIn(shortLived);
    QVERIFY(!token.isEmpty());
    QCOMPARE(send(m_network, "GET", shortLived.url(QStringLiteral("/api/v1/tools/")), bearer(token))
                 .status,
        401);
    // A token of one service run is unknown to another (each run signs with its own key).
    const QByteArray fromOtherRun = signIn(m_service);
    QCOMPARE(send(m_network, "GET", shortLived.url(QStringLiteral("/api/v1/tools/")),
                 bearer(fromOtherRun))
                 .status,
        401);
}

void TestVendorService::loginRequiredPackagesNeedAToken()
{
    const QString locked = QStringLiteral("/packages/lumetra-tools-3.2.1.1250-linux.sh/download");
    const HttpResult refused = send(m_network, "GET", m_service.url(locked));
    QCOMPARE(refused.status, 401);
    QVERIFY(refused.body.contains("com.zdr.tb.tool.lumetra"));
    // The content pack without attributes needs a login too: that is the registry's default.
    QCOMPARE(send(m_network, "GET",
                 m_service.url(QStringLiteral("/packages/devices-riscv-3.2.0.5-linux.sh")))
                 .status,
        401);

    const QByteArray token = signIn(m_service);
    const HttpResult allowed = send(m_network, "GET", m_service.url(locked), bearer(token));
    QCOMPARE(allowed.status, 200);
    QCOMPARE(allowed.body,
        lmttest::readFile(demoPackage(QStringLiteral("lumetra-tools-3.2.1.1250-linux.sh"))));

    // The login-free tool downloads without a token.
    const HttpResult free = send(m_network, "GET",
        m_service.url(QStringLiteral("/packages/flashprobe-2.1.0.50-windows.exe")));
    QCOMPARE(free.status, 200);
    QCOMPARE(free.headers.value("content-type"), QByteArrayLiteral("application/octet-stream"));
    // A package path is served only in the form the registry names it.
    QCOMPARE(
        send(m_network, "GET",
            m_service.url(QStringLiteral("/packages/flashprobe-2.1.0.50-windows.exe/download")))
            .status,
        404);
}

void TestVendorService::pathTraversalIsRefused()
{
    const QString base = m_service.base();
    QCOMPARE(rawStatus(base, "/packages/../accounts.json"), 400);
    QCOMPARE(rawStatus(base, "/packages/%2e%2e/accounts.json"), 400);
    QCOMPARE(rawStatus(base, "/packages/%2E%2E%2Faccounts.json"), 400);
    QCOMPARE(rawStatus(base, "/packages/..%5c..%5caccounts.json"), 400);
    QCOMPARE(rawStatus(base, "/api/v1/tools/101/versions/1004/../../../../accounts.json"), 400);
    QCOMPARE(rawStatus(base, "/tools/..%2f..%2faccounts.json"), 400);
    QCOMPARE(rawStatus(base, "/packages/x%00.sh"), 400);
    // Catalogue files that the registry does not name as packages are not served either.
    QCOMPARE(rawStatus(base, "/accounts.json"), 404);
    QCOMPARE(rawStatus(base, "/registry.json"), 404);
    QCOMPARE(rawStatus(base, "/docs/101/1004/license.txt"), 404);
    // The service is still healthy afterwards.
    QCOMPARE(rawStatus(base, "/api/v1/tools/"), 200);
}

void TestVendorService::filesOutsideTheCatalogueAreNeverServed()
{
    QTemporaryDir outside;
    QVERIFY(lmttest::writeFile(outside.filePath(QStringLiteral("secret.txt")), "top secret\n"));
    QTemporaryDir catalogue;
    const QByteArray registry = R"([{"featureId": "com.zdr.tb.tool.mini", "id": 7, "name": "Mini",
        "additionalAttributes": {"lmt-type": "external", "login-required": false},
        "versions": {"1": {"version": "1.0.0.1", "versionNumeric": 1, "id": 70, "downloadUrls": [
          {"url": "{base}/packages/ok.sh", "os": "Linux", "architecture": "x86_64", "kind": "installer", "filetype": "sh", "filesize": 0.1},
          {"url": "{base}/packages/escape.sh/download", "os": "Linux", "architecture": "x86_64", "kind": "installer", "filetype": "sh", "filesize": 0.1},
          {"url": "{base}/../secret.txt", "os": "Windows", "architecture": "x86_64", "kind": "installer", "filetype": "exe", "filesize": 0.1}
        ]}}}])";
    QVERIFY(lmttest::writeFile(catalogue.filePath(QStringLiteral("registry.json")), registry));
    QVERIFY(lmttest::writeFile(catalogue.filePath(QStringLiteral("accounts.json")), "[]"));
    QVERIFY(
        lmttest::writeFile(catalogue.filePath(QStringLiteral("packages/ok.sh")), "#!/bin/sh\n"));
    QVERIFY(QFile::link(outside.filePath(QStringLiteral("secret.txt")),
        catalogue.filePath(QStringLiteral("packages/escape.sh"))));
    QDir(catalogue.path()).mkpath(QStringLiteral("docs/7/70"));
    QVERIFY(QFile::link(outside.filePath(QStringLiteral("secret.txt")),
        catalogue.filePath(QStringLiteral("docs/7/70/license.txt"))));

    ServiceProcess service;
    QVERIFY(service.start({ QStringLiteral("--catalogue"), catalogue.path() }));
    const HttpResult listed = send(m_network, "GET", service.url(QStringLiteral("/api/v1/tools/")));
    QCOMPARE(listed.status, 200);
    const auto entries = downloadEntries(QJsonDocument::fromJson(listed.body).array());
    QCOMPARE(entries.size(), 3);
    QCOMPARE(entries[0].second.value(QStringLiteral("sha256")).toString().toLatin1(),
        sha256Hex("#!/bin/sh\n"));
    QVERIFY(!entries[1].second.contains(QStringLiteral("sha256")));
    QVERIFY(!entries[2].second.contains(QStringLiteral("sha256")));

    QCOMPARE(send(m_network, "GET", service.url(QStringLiteral("/packages/ok.sh"))).status, 200);
    const HttpResult escaped
        = send(m_network, "GET", service.url(QStringLiteral("/packages/escape.sh/download")));
    QCOMPARE(escaped.status, 404);
    QVERIFY(!escaped.body.contains("top secret"));
    QCOMPARE(
        send(m_network, "GET", service.url(QStringLiteral("/api/v1/tools/7/versions/70/license/")))
            .status,
        404);
    QCOMPARE(rawStatus(service.base(), "/../secret.txt"), 400);

    QTRY_VERIFY_WITH_TIMEOUT(service.stderrText().contains("escape.sh/download"), kTimeoutMs);
}

void TestVendorService::badCommandLinesAndCataloguesStopTheService()
{
    const QString program = lmttest::binDir() + QStringLiteral("/lumetra-vendor-service");
    ProcessResult result = run(program, {});
    QCOMPARE(result.exitCode, 2);
    QVERIFY(result.err.contains("--catalogue DIR is required"));
    QVERIFY(result.out.isEmpty());

    result = run(program,
        { QStringLiteral("--catalogue"), demoCatalogue(), QStringLiteral("--port"),
            QStringLiteral("70000") });
    QCOMPARE(result.exitCode, 2);
    QVERIFY(result.err.contains("--port needs a number from 0 to 65535"));

    result = run(program,
        { QStringLiteral("--catalogue"), demoCatalogue(), QStringLiteral("--token-lifetime"),
            QStringLiteral("-5") });
    QCOMPARE(result.exitCode, 2);

    QTemporaryDir empty;
    result = run(
        program, { QStringLiteral("--catalogue"), empty.filePath(QStringLiteral("missing")) });
    QCOMPARE(result.exitCode, 1);
    QVERIFY(result.err.contains("does not exist"));

    QVERIFY(lmttest::writeFile(
        empty.filePath(QStringLiteral("registry.json")), "{\"not\": \"an array\"}"));
    result = run(program, { QStringLiteral("--catalogue"), empty.path() });
    QCOMPARE(result.exitCode, 1);
    QVERIFY(result.err.contains("registry.json must hold a JSON array"));

    QVERIFY(lmttest::writeFile(empty.filePath(QStringLiteral("registry.json")), "[]"));
    result = run(program, { QStringLiteral("--catalogue"), empty.path() });
    QCOMPARE(result.exitCode, 1);
    QVERIFY(result.err.contains("accounts.json"));

    // A port that is taken cannot be listened on twice.
    const QString port = m_service.base().section(QLatin1Char(':'), 2);
    result = run(program,
        { QStringLiteral("--catalogue"), demoCatalogue(), QStringLiteral("--port"), port });
    QCOMPARE(result.exitCode, 1);
    QVERIFY(result.err.contains("cannot listen on 127.0.0.1:" + port.toLatin1()));
}

void TestVendorService::linuxInstallerInstallsAndUninstalls()
{
    const QString package = demoPackage(QStringLiteral("lumetra-hotfix-3.2.1.1260-linux.sh"));
    const QString target = m_sandbox.filePath(QStringLiteral("chosen dir/it's here"));
    // A folder that already holds other files keeps them when the tool is removed.
    QVERIFY(lmttest::writeFile(target + QStringLiteral("/notes.txt"), "mine\n"));

    const ProcessResult installed = run(QStringLiteral("sh"),
        { package, QStringLiteral("/suppressmsgboxes"), QStringLiteral("/currentuser"),
            QStringLiteral("/unknown-switch"), QStringLiteral("/DIR=") + target,
            QStringLiteral("/verysilent"), QStringLiteral("/norestart") });
    QVERIFY2(installed.exitCode == 0, installed.err.constData());

    // A patch has no program of its own: it records its folder.
    const QString notes = target + QStringLiteral("/share/doc/hotfix/RELEASE-NOTES-3.2.1.1260.txt");
    QVERIFY(QFile::exists(notes));

    const QString registryFile
        = m_sandbox.filePath(QStringLiteral("localappdata/Zendrel_Technologies_AG/Zendrel-Toolbox/"
                                            "com.zdr.tb.tool.lumetra.hotfix-3.2.1.1260.json"));
    QJsonParseError error;
    const QJsonObject entry
        = QJsonDocument::fromJson(lmttest::readFile(registryFile), &error).object();
    QVERIFY2(error.error == QJsonParseError::NoError, qPrintable(error.errorString()));
    QCOMPARE(entry.value(QStringLiteral("type")).toString(), QStringLiteral("tool-patch"));
    QCOMPARE(entry.value(QStringLiteral("attributes"))[QStringLiteral("lmt-type")].toString(),
        QStringLiteral("patch"));
    QCOMPARE(entry.value(QStringLiteral("featureId")).toString(),
        QStringLiteral("com.zdr.tb.tool.lumetra.hotfix"));
    QCOMPARE(
        entry.value(QStringLiteral("title")).toString(), QStringLiteral("Lumetra Tools Hotfix"));
    QCOMPARE(entry.value(QStringLiteral("versionNumeric")).toInt(), 3020100);
    QCOMPARE(entry.value(QStringLiteral("version")).toString(), QStringLiteral("3.2.1.1260"));
    QCOMPARE(entry.value(QStringLiteral("path")).toString(), target);
    const QString uninstaller = entry.value(QStringLiteral("uninstallPath")).toString();
    QCOMPARE(uninstaller, target + QStringLiteral("/uninstall-com.zdr.tb.tool.lumetra.hotfix.sh"));
    const QJsonArray dependencies = entry.value(QStringLiteral("dependencies")).toArray();
    QCOMPARE(dependencies.size(), 1);
    QCOMPARE(dependencies[0][QStringLiteral("targetFeatureId")].toString(),
        QStringLiteral("com.zdr.tb.tool.lumetra"));
    QCOMPARE(dependencies[0][QStringLiteral("minVersionNumeric")].toInt(), 3020100);
    QCOMPARE(dependencies[0][QStringLiteral("maxVersionNumeric")].toInt(), 3020199);

    // The uninstaller runs on its own, without arguments, as the uninstall job starts it.
    const ProcessResult removed = run(uninstaller, {});
    QVERIFY2(removed.exitCode == 0, removed.err.constData());
    QVERIFY(!QFile::exists(registryFile));
    QVERIFY(!QFile::exists(notes));
    QVERIFY(!QFile::exists(uninstaller));
    QVERIFY(!QDir(target + QStringLiteral("/bin")).exists());
    QVERIFY(!QDir(target + QStringLiteral("/share")).exists());
    QCOMPARE(lmttest::readFile(target + QStringLiteral("/notes.txt")), QByteArrayLiteral("mine\n"));
}

void TestVendorService::linuxInstallerDefaultsAndFailures()
{
    // Without "/dir=" the installer picks the default folder of its scope.
    const QString package = demoPackage(QStringLiteral("flashprobe-2.1.1.60-linux.sh"));
    ProcessResult result = run(QStringLiteral("sh"),
        { package, QStringLiteral("/VERYSILENT"), QStringLiteral("/ALLUSERS") });
    QVERIFY2(result.exitCode == 0, result.err.constData());
    const QString machineDir = m_sandbox.filePath(
        QStringLiteral("allusers/Zendrel/com.zdr.tb.tool.flashprobe/2.1.1.60"));
    // A tool records its main program, which names it with --version.
    const QString program = machineDir + QStringLiteral("/flashprobe");
    QCOMPARE(run(program, { QStringLiteral("--version") }).out,
        QByteArrayLiteral("FlashProbe Programmer 2.1.1.60\n"));
    const QString machineEntry
        = m_sandbox.filePath(QStringLiteral("allusers/Zendrel_Technologies_AG/Zendrel-Toolbox/"
                                            "com.zdr.tb.tool.flashprobe-2.1.1.60.json"));
    QCOMPARE(QJsonDocument::fromJson(lmttest::readFile(machineEntry))
                 .object()
                 .value(QStringLiteral("path"))
                 .toString(),
        program);
    QVERIFY(!QFile::exists(
        m_sandbox.filePath(QStringLiteral("localappdata/Zendrel_Technologies_AG/Zendrel-Toolbox/"
                                          "com.zdr.tb.tool.flashprobe-2.1.1.60.json"))));
    QCOMPARE(
        run(machineDir + QStringLiteral("/uninstall-com.zdr.tb.tool.flashprobe.sh"), {}).exitCode,
        0);
    QVERIFY(!QFile::exists(machineEntry));
    QVERIFY(!QDir(machineDir).exists());

    result = run(QStringLiteral("sh"),
        { package, QStringLiteral("/allusers"), QStringLiteral("/Dir="),
            QStringLiteral("/currentUser") });
    QCOMPARE(result.exitCode, 0);
    const QString userDir = m_sandbox.filePath(
        QStringLiteral("localappdata/Zendrel/com.zdr.tb.tool.flashprobe/2.1.1.60"));
    QVERIFY(QFile::exists(userDir + QStringLiteral("/flashprobe")));
    QCOMPARE(
        run(userDir + QStringLiteral("/uninstall-com.zdr.tb.tool.flashprobe.sh"), {}).exitCode, 0);
    QVERIFY(!QDir(userDir).exists());

    // A folder that cannot be created fails with a message and leaves no registry file.
    QVERIFY(lmttest::writeFile(m_sandbox.filePath(QStringLiteral("a-file")), "x"));
    result = run(QStringLiteral("sh"),
        { package, QStringLiteral("/dir=") + m_sandbox.filePath(QStringLiteral("a-file/sub")) });
    QVERIFY(result.exitCode != 0);
    QVERIFY2(
        result.err.contains(
            "FlashProbe Programmer 2.1.1.60 installer: cannot create the installation directory"),
        result.err.constData());
    QVERIFY(QDir(
        m_sandbox.filePath(QStringLiteral("localappdata/Zendrel_Technologies_AG/Zendrel-Toolbox")))
                .entryList(QDir::Files)
                .isEmpty());

    // A damaged package (payload cut off) is refused before anything is written.
    QByteArray damaged = lmttest::readFile(package);
    const QByteArray marker = "\n__LUMETRA_PAYLOAD__\n";
    damaged.truncate(damaged.lastIndexOf(marker) + marker.size());
    const QString damagedPackage = m_sandbox.filePath(QStringLiteral("damaged.sh"));
    QVERIFY(lmttest::writeFile(damagedPackage, damaged));
    result = run(QStringLiteral("sh"),
        { damagedPackage, QStringLiteral("/dir=") + m_sandbox.filePath(QStringLiteral("never")) });
    QVERIFY(result.exitCode != 0);
    QVERIFY(result.err.contains("the package is damaged"));
    QVERIFY(!QDir(m_sandbox.filePath(QStringLiteral("never"))).exists());
}

ProcessResult TestVendorService::installFlashProbe(
    const QString &version, const QString &target) const
{
    return run(QStringLiteral("sh"),
        { demoPackage(QStringLiteral("flashprobe-%1-linux.sh").arg(version)),
            QStringLiteral("/currentuser"), QStringLiteral("/dir=") + target });
}

QStringList TestVendorService::flashProbeRegistryFiles() const
{
    return QDir(
        m_sandbox.filePath(QStringLiteral("localappdata/Zendrel_Technologies_AG/Zendrel-Toolbox")))
        .entryList({ QStringLiteral("com.zdr.tb.tool.flashprobe-*.json") }, QDir::Files);
}

void TestVendorService::linuxInstallerReplacesAnotherVersionInItsFolder_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::newRow("update") << "2.1.0.50"
                            << "2.1.1.60";
    QTest::newRow("downgrade") << "2.1.1.60"
                               << "2.1.0.50";
    QTest::newRow("same version again") << "2.1.1.60"
                                        << "2.1.1.60";
}

void TestVendorService::linuxInstallerReplacesAnotherVersionInItsFolder()
{
    QFETCH(QString, first);
    QFETCH(QString, second);
    const QString target
        = m_sandbox.filePath(QStringLiteral("in place/") + QLatin1String(QTest::currentDataTag()));
    QVERIFY(lmttest::writeFile(target + QStringLiteral("/notes.txt"), "mine\n"));
    for (const QString &version : { first, second }) {
        const ProcessResult result = installFlashProbe(version, target);
        QVERIFY2(result.exitCode == 0, result.err.constData());
    }

    // Only the second version's files and registry file remain, beside the folder's own file.
    QCOMPARE(lmttest::filesBelow(target),
        QStringList({ QStringLiteral("flashprobe"),
            QStringLiteral("lib/flashprobe/lumetra-demo-window"), QStringLiteral("notes.txt"),
            QStringLiteral("share/doc/flashprobe/RELEASE-NOTES-%1.txt").arg(second),
            QStringLiteral("uninstall-com.zdr.tb.tool.flashprobe.sh") }));
    QCOMPARE(flashProbeRegistryFiles(),
        QStringList { QStringLiteral("com.zdr.tb.tool.flashprobe-%1.json").arg(second) });
    QCOMPARE(run(target + QStringLiteral("/flashprobe"), { QStringLiteral("--version") }).out,
        QStringLiteral("FlashProbe Programmer %1\n").arg(second).toUtf8());

    const ProcessResult removed
        = run(target + QStringLiteral("/uninstall-com.zdr.tb.tool.flashprobe.sh"), {});
    QCOMPARE(removed.exitCode, 0);
    QCOMPARE(lmttest::filesBelow(target), QStringList { QStringLiteral("notes.txt") });
    QVERIFY(flashProbeRegistryFiles().isEmpty());
}

void TestVendorService::linuxInstallerKeepsAnInstallationItCannotReplace()
{
    const QString target = m_sandbox.filePath(QStringLiteral("kept"));
    QVERIFY(installFlashProbe(QStringLiteral("2.1.0.50"), target).exitCode == 0);
    const QStringList installed = lmttest::filesBelow(target);
    // Something that rm cannot remove holds the installed version's registry file name.
    const QString registryFile
        = m_sandbox.filePath(QStringLiteral("localappdata/Zendrel_Technologies_AG/Zendrel-Toolbox/"
                                            "com.zdr.tb.tool.flashprobe-2.1.0.50.json"));
    QVERIFY(QFile::remove(registryFile));
    QVERIFY(lmttest::writeFile(registryFile + QStringLiteral("/held"), "x"));

    const ProcessResult result = installFlashProbe(QStringLiteral("2.1.1.60"), target);
    QCOMPARE(result.exitCode, 1);
    QCOMPARE(QString::fromUtf8(result.err),
        QStringLiteral("FlashProbe Programmer 2.1.1.60 installer: cannot replace the installation "
                       "in '%1': cannot remove the registry file %2\n")
            .arg(target, registryFile));
    // The installation it could not replace is left whole, and nothing of the new one is there.
    QCOMPARE(lmttest::filesBelow(target), installed);
    QVERIFY(QFile::exists(registryFile + QStringLiteral("/held")));
    QVERIFY(flashProbeRegistryFiles().isEmpty());
    QVERIFY(QDir(registryFile).removeRecursively());
}

QTEST_GUILESS_MAIN(TestVendorService)
#include "tst_VendorService.moc"
