#include "common/LmtTestSupport.h"
#include "model/LmtCoreToolModel.h"
#include "model/LmtOnlineToolVersion.h"
#include "model/LmtTool.h"
#include "model/LmtToolDependency.h"
#include "registry/LmtJsonArrayEntries.h"
#include "registry/LmtOnlineRegistryParser.h"
#include "services/ILmtDownloadManager.h"
#include "services/LmtAccessToken.h"
#include "services/LmtDownloadSettings.h"
#include "services/NetworkException.h"

#include <QJsonDocument>
#include <QNetworkReply>
#include <QSignalSpy>
#include <QtTest>

#include <functional>
#include <stdexcept>

using namespace zendrel::lmt::setup;

namespace {

// Answers every GET with a prepared body (or failure) and remembers what it was asked.
class FakeDownloadManager : public ILmtDownloadManager
{
public:
    QByteArray reply;
    std::function<void()> failure; // throws instead of answering when set
    QList<QUrl> requestedUrls;
    std::shared_ptr<LmtAccessToken> receivedToken;

    QByteArray getData(const QUrl &url, std::shared_ptr<LmtAccessToken> token, int) override
    {
        receivedToken = token;
        return getData(url, 0);
    }
    QByteArray getData(const QUrl &url, std::shared_ptr<LmtAccessToken> token) override
    {
        return getData(url, token, 0);
    }
    QByteArray getData(const QUrl &url, int) override
    {
        requestedUrls << url;
        if (failure)
            failure();
        return reply;
    }
    QByteArray getData(const QUrl &url) override { return getData(url, nullptr, 0); }
    void postData(const QUrl &, const QByteArray &, int) override { }
};

// A registry version entry; extra members are merged over the defaults.
QJsonObject version(const QString &text, const QJsonObject &extra = {})
{
    QJsonObject v { { "version", text }, { "versionNumeric", 100 }, { "id", 7 },
        { "downloadUrls",
            QJsonArray { QJsonObject { { "url", "https://dl.example/" + text + "/download" },
                { "os", "Windows" }, { "architecture", "x86_64" }, { "kind", "installer" },
                { "filetype", "exe" }, { "filesize", 2.5 } } } } };
    for (auto it = extra.begin(); it != extra.end(); ++it)
        v.insert(it.key(), it.value());
    return v;
}

// A registry tool entry of lmt-type "external" with the given versions keyed "a", "b", ...
QJsonObject tool(const QString &featureId, const QList<QJsonObject> &versions,
    const QJsonObject &attributes = { { "lmt-type", "external" } })
{
    QJsonObject members;
    for (int i = 0; i < versions.size(); ++i)
        members.insert(QString(QChar('a' + i)), versions[i]);
    return QJsonObject { { "additionalAttributes", attributes }, { "featureId", featureId },
        { "id", 12 }, { "name", "Tool " + featureId }, { "versions", members } };
}

QByteArray document(const QJsonArray &tools)
{
    return QJsonDocument(tools).toJson(QJsonDocument::Compact);
}

// The platform attributes of a version as the running platform reads them.
QJsonObject onThisPlatform(const QJsonObject &attributes)
{
    return QJsonObject { { "additionalAttributes", QJsonObject { { "linux", attributes } } } };
}

} // namespace

class TestLmtOnlineRegistryParser : public QObject
{
    Q_OBJECT

    lmttest::Sandbox m_sandbox;
    std::shared_ptr<FakeDownloadManager> m_downloads;
    std::shared_ptr<LmtCoreToolModel> m_model;
    std::unique_ptr<LmtOnlineRegistryParser> m_parser;

    // Parses reply and returns the text of the exception parse() threw, or empty.
    QString parse(const QByteArray &reply)
    {
        m_downloads->reply = reply;
        try {
            m_parser->parse();
        } catch (const std::exception &e) {
            return QString::fromUtf8(e.what());
        }
        return {};
    }

    std::shared_ptr<LmtOnlineToolVersion> onlineVersion(
        const QString &featureId, const QString &text)
    {
        return m_model->findOnlineVersion(featureId, text);
    }

private Q_SLOTS:
    void init()
    {
        setKorOnlineUrl(QString());
        m_downloads = std::make_shared<FakeDownloadManager>();
        m_model = std::make_shared<LmtCoreToolModel>();
        m_parser = std::make_unique<LmtOnlineRegistryParser>(m_downloads, m_model);
    }

    void requestUsesTheConfiguredUrlAndNeverLogsTheToken()
    {
        lmttest::LogCapture capture;
        QSignalSpy panel(m_parser.get(), &ILmtRegistryParser::appendUILog);
        setKorOnlineUrl("http://127.0.0.1:9/api/v1/tools/?lang=en&x=1");

        QCOMPARE(parse("[]"), QString());
        QCOMPARE(m_model->tools().size(), 0);
        const QUrl expected("http://127.0.0.1:9/api/v1/tools/?dependencies=true");
        QCOMPARE(m_downloads->requestedUrls, QList<QUrl> { expected });
        QCOMPARE(m_downloads->receivedToken, nullptr);
        QCOMPARE(panel.size(), 1);
        QCOMPARE(panel[0][0].toString(), "Parse Online KOR Registry, url: " + expected.toString());
        QCOMPARE(panel[0][1].value<ConsoleMessageType>(), ConsoleMessageType::Auto);
        QVERIFY(capture.contains("[LmtOnlineRegistryParser] Requesting online tool data from Url: "
            + expected.toString() + ", Token: \"Empty\""));

        const QByteArray secret = "secret-bearer-value";
        auto token = std::make_shared<LmtAccessToken>(secret, "3600", "");
        m_parser->setAccessToken(token);
        QVERIFY(capture.contains("[LmtOnlineRegistryParser] setAccessToken(): \"[REDACTED]\""));
        QCOMPARE(parse("[]"), QString());
        QCOMPARE(m_downloads->receivedToken, token);
        QVERIFY(capture.contains(", Token: \"[REDACTED]\""));

        // A token record without a token is "Empty", as is no record at all.
        m_parser->setAccessToken(std::make_shared<LmtAccessToken>());
        m_parser->setAccessToken(nullptr);
        QCOMPARE(capture.lines().filter("setAccessToken(): \"Empty\"").size(), 2);
        for (const QString &line : capture.lines())
            QVERIFY2(!line.contains(QString::fromLatin1(secret)), qPrintable(line));

        // Without a configured address the vendor's registry path is asked for.
        setKorOnlineUrl(QString());
        QCOMPARE(parse("[]"), QString());
        QCOMPARE(m_downloads->requestedUrls.last().path(), "/api/v1/tools/");
        QCOMPARE(m_downloads->requestedUrls.last().query(), "dependencies=true");
    }

    void fatalErrorsEndTheParse()
    {
        QCOMPARE(parse(""), "Received empty reply from the remote KOR registry site");

        QJsonParseError syntax;
        QJsonDocument::fromJson("[{\"a\": }]", &syntax);
        QCOMPARE(parse("[{\"a\": }]"), "Error parsing JSON: '" + syntax.errorString() + "'");
        QCOMPARE(parse("{\"featureId\": \"x\"}"),
            "Error parsing JSON - invalid document format, network reply does not contain "
            "a JSON array");

        // Network failures reach the caller unchanged, with their code.
        m_downloads->failure = [] {
            throw NetworkException(
                "Network Error occurred: 'HostNotFoundError'", QNetworkReply::HostNotFoundError);
        };
        try {
            m_parser->parse();
            QFAIL("a network failure must end the parse");
        } catch (const NetworkException &e) {
            QCOMPARE(e.code(), int(QNetworkReply::HostNotFoundError));
            QCOMPARE(QString::fromUtf8(e.what()), "Network Error occurred: 'HostNotFoundError'");
        }
        QCOMPARE(m_model->tools().size(), 0);
    }

    void toolTypesAndToolAttributes()
    {
        lmttest::LogCapture capture;
        QJsonObject pack = tool("com.x.pack", { version("1.0.0.1") },
            { { "lmt-type", "pack" }, { "login-required", false } });
        pack.insert("type", "tool-patch");
        QJsonObject patch = tool("com.x.patch", { version("1.0.0.2") }, {});
        patch.remove("additionalAttributes");
        patch.insert("type", "tool-patch");
        QJsonObject untyped = tool("com.x.untyped", { version("1.0.0.3") }, {});
        untyped.remove("additionalAttributes");
        untyped.insert("type", "tool");
        QJsonObject external = tool("com.x.ext", { version("2.0.0.1") },
            { { "lmt-type", "external" }, { "isPatchVersionUpdatable", false } });
        // A later entry of the same tool renames it but keeps its type and login rule.
        QJsonObject again = tool("com.x.pack", { version("1.0.0.9") }, { { "lmt-type", "tools" } });
        again.insert("name", "Renamed pack");
        again.insert("id", 99);

        QCOMPARE(parse(document({ pack, patch, untyped, external, again })), QString());

        QCOMPARE(m_model->tools().size(), 3);
        const auto packTool = m_model->findTool("com.x.pack");
        QCOMPARE(packTool->type(), LmtToolType::ContentPack); // "lmt-type" wins over "type"
        QCOMPARE(packTool->loginRequired(), false);
        QCOMPARE(packTool->name(), "Renamed pack");
        QCOMPARE(packTool->id(), qint64(99));
        QCOMPARE(packTool->onlineVersions().size(), 2);
        QCOMPARE(m_model->findTool("com.x.patch")->type(), LmtToolType::Patch);
        QCOMPARE(m_model->findTool("com.x.patch")->loginRequired(), true);
        QCOMPARE(m_model->findTool("com.x.ext")->isPatchVersionUpdatable(), false);
        QCOMPARE(m_model->findTool("com.x.ext")->id(), qint64(12));

        // The untyped entry is gone without any trace in the log.
        QVERIFY(!m_model->findTool("com.x.untyped"));
        QCOMPARE(capture.lines().filter("untyped").size(), 0);
        QCOMPARE(capture.lines().filter("1.0.0.3").size(), 0);
    }

    void faultyEntriesAreSkippedWithTheirFeatureId()
    {
        lmttest::LogCapture capture;
        QSignalSpy panel(m_parser.get(), &ILmtRegistryParser::appendUILog);
        QJsonObject broken = version("1.0.0.2");
        broken.remove("versionNumeric");
        const QJsonObject first
            = tool("com.x.first", { version("1.0.0.1"), broken, version("1.0.0.3") });
        QJsonObject noFeatureId = tool("unused", { version("5.0.0.0") });
        noFeatureId.remove("featureId");
        const QJsonObject duplicate
            = tool("com.x.dup", { version("4.0.0.1"), version("4.0.0.1"), version("4.0.0.2") });
        QJsonObject notAnObject = tool("com.x.odd", {});
        notAnObject.insert("versions", QJsonObject { { "a", 5 } });
        const QJsonObject last = tool("com.x.last", { version("3.0.0.1") });

        QCOMPARE(
            parse(document({ 42, first, noFeatureId, duplicate, notAnObject, last })), QString());

        QVERIFY(capture.contains("[LmtOnlineRegistryParser] Error parsing JSON object - invalid "
                                 "object format"));
        const auto firstTool = m_model->findTool("com.x.first");
        QCOMPARE(firstTool->onlineVersions().size(), 1);
        QCOMPARE(firstTool->onlineVersions()[0]->version(), "1.0.0.1");
        QVERIFY(capture.contains("[LmtOnlineRegistryParser] Error parsing JSON tool object "
                                 "'com.x.first': error parsing JSON - missing required property "
                                 "'versionNumeric' - Skipping"));
        // The entry without featureId is reported under the previous entry's id.
        QVERIFY(capture.contains("Error parsing JSON tool object 'com.x.first': error parsing "
                                 "JSON - missing required property 'featureId' - Skipping"));
        QCOMPARE(m_model->findTool("com.x.dup")->onlineVersions().size(), 1);
        QVERIFY(capture.contains("Error parsing JSON tool object 'com.x.dup': Version '4.0.0.1' "
                                 "already present in the Core Tool Model - Skipping"));
        // A version member that is not an object reads as an empty one.
        QVERIFY(capture.contains("Error parsing JSON tool object 'com.x.odd': error parsing JSON - "
                                 "missing required property 'version' - Skipping"));
        QVERIFY(!m_model->findTool("com.x.odd"));
        QCOMPARE(m_model->findTool("com.x.last")->onlineVersions().size(), 1);
        QCOMPARE(panel.last()[0].toString(),
            "Discovered available tool 'Tool com.x.last', "
            "version 3.0.0.1");

        // The very first entry failing before its featureId names an empty id.
        init();
        lmttest::LogCapture second;
        QCOMPARE(parse(document({ noFeatureId })), QString());
        QVERIFY(second.contains("Error parsing JSON tool object '': error parsing JSON - missing "
                                "required property 'featureId' - Skipping"));
    }

    void packagesAndAFaultyPackage()
    {
        QSignalSpy panel(m_parser.get(), &ILmtRegistryParser::appendUILog);
        QJsonObject faulty = version("1.0.0.2");
        QJsonArray urls = faulty["downloadUrls"].toArray();
        QJsonObject noSize = urls[0].toObject();
        noSize.remove("filesize");
        noSize.insert("url", "https://dl.example/second");
        urls.append(noSize);
        faulty.insert("downloadUrls", urls);
        faulty.insert(
            "dependencies", QJsonArray { QJsonObject { { "targetFeatureId", "com.x.dep" } } });
        faulty.insert("additionalAttributes",
            QJsonObject { { "linux", QJsonObject { { "install-mode", "all-users-only" } } } });

        QCOMPARE(parse(document(
                     { tool("com.x.t", { version("1.0.0.1"), faulty, version("1.0.0.3") }) })),
            QString());

        const auto good = onlineVersion("com.x.t", "1.0.0.1");
        QCOMPARE(good->packages().size(), 1);
        const auto package = good->packages()[0];
        QCOMPARE(package->os(), "Windows");
        QCOMPARE(package->url(), QUrl("https://dl.example/1.0.0.1/download"));
        QCOMPARE(package->kind(), "installer");
        QCOMPARE(package->fileType(), "exe");
        QCOMPARE(package->fileSize(), quint32(2.5 * 1024 * 1024));
        QCOMPARE(package->version(), good);

        // The faulty version stays with the packages before the fault, but nothing after it.
        const auto broken = onlineVersion("com.x.t", "1.0.0.2");
        QVERIFY(broken);
        QCOMPARE(broken->packages().size(), 1);
        QCOMPARE(broken->dependencies().size(), 0);
        QCOMPARE(broken->supportedScopes().size(), 0);
        QVERIFY(!onlineVersion("com.x.t", "1.0.0.3"));
        QCOMPARE(panel.last()[0].toString(),
            "Discovered available tool 'Tool com.x.t', version "
            "1.0.0.2");
    }

    void dependencyBoundsAndNumbers()
    {
        QJsonObject v = version("1.0.0.1", { { "versionNumeric", 3.5 } });
        v.insert("dependencies",
            QJsonArray {
                QJsonObject { { "targetFeatureId", "com.a" }, { "minVersionNumeric", -5 } },
                QJsonObject { { "targetFeatureId", "com.b" }, { "minVersionNumeric", 10 },
                    { "maxVersionNumeric", -1 } },
                QJsonObject { { "targetFeatureId", "com.c" }, { "minVersionNumeric", 10 },
                    { "maxVersionNumeric", 20 } } });
        QCOMPARE(parse(document({ tool("com.x.t", { v }) })), QString());

        const auto parsed = onlineVersion("com.x.t", "1.0.0.1");
        QCOMPARE(parsed->versionNumeric(), quint64(0)); // 3.5 is not a whole number
        QCOMPARE(parsed->id(), qint64(7));
        const auto deps = parsed->dependencies();
        QCOMPARE(deps.size(), 3);
        QCOMPARE(deps[0]->targetFeatureId, "com.a");
        QCOMPARE(deps[0]->minVersionNumeric, quint64(0));
        QCOMPARE(deps[0]->maxVersionNumeric, LmtToolDependency::Unbounded);
        QCOMPARE(deps[1]->minVersionNumeric, quint64(10));
        QCOMPARE(deps[1]->maxVersionNumeric, LmtToolDependency::Unbounded);
        QCOMPARE(deps[2]->maxVersionNumeric, quint64(20));
    }

    void ignoredVersions()
    {
        const QJsonObject plain = version(
            "1.0.0.1", { { "additionalAttributes", QJsonObject { { "lmt-ignore", true } } } });
        const QJsonObject platformIgnored = version("1.0.0.2",
            { { "additionalAttributes",
                QJsonObject { { "lmt-ignore", false },
                    { "linux", QJsonObject { { "lmt-ignore", true } } } } } });
        // Without the version-level flag the platform's flag is not consulted.
        const QJsonObject onlyPlatform = version("1.0.0.3",
            { { "additionalAttributes",
                QJsonObject { { "linux", QJsonObject { { "lmt-ignore", true } } } } } });
        // Another platform's flag does not concern this one.
        const QJsonObject otherPlatform = version("1.0.0.4",
            { { "additionalAttributes",
                QJsonObject { { "lmt-ignore", false },
                    { "windows", QJsonObject { { "lmt-ignore", true } } } } } });
        QCOMPARE(parse(document(
                     { tool("com.x.t", { plain, platformIgnored, onlyPlatform, otherPlatform }) })),
            QString());

        QStringList texts;
        for (const auto &v : m_model->findTool("com.x.t")->onlineVersions())
            texts << v->version();
        QCOMPARE(texts, QStringList({ "1.0.0.3", "1.0.0.4" }));
    }

    void installScopesAndDirectories()
    {
        using S = LmtToolInstallScope;
        const QList<QJsonObject> versions {
            version("1.0.0.1"), // no platform attributes: both scopes, no directories
            version("1.0.0.2", onThisPlatform({ { "install-mode", "all-users" } })),
            version("1.0.0.3",
                onThisPlatform({ { "install-mode", "current-user" },
                    { "installation-directory", QJsonObject { { "all-users", "X" } } } })),
            version("1.0.0.4", onThisPlatform({ { "installation-directory", 42 } })),
            version("1.0.0.5",
                onThisPlatform({ { "install-mode", "all-users-only" },
                    { "installation-directory", "/opt/tool" }, { "silent-install", false } })),
            version("1.0.0.6",
                onThisPlatform({ { "installation-directory", "/opt/both" },
                    { "recommended-mode", "all-users" } })),
            version("1.0.0.7",
                onThisPlatform(
                    { { "install-mode", "current-user" }, { "recommended-mode", "nobody" } })),
            // Windows' attributes are not read on this platform.
            version("1.0.0.8",
                { { "additionalAttributes",
                    QJsonObject {
                        { "windows", QJsonObject { { "install-mode", "all-users-only" } } } } } }),
        };
        QCOMPARE(parse(document({ tool("com.x.t", versions) })), QString());

        const auto v1 = onlineVersion("com.x.t", "1.0.0.1");
        QCOMPARE(v1->supportedScopes(), QList<S>({ S::CurrentUser, S::AllUsers }));
        QCOMPARE(v1->installDirectoryFor(S::CurrentUser), QString());
        QCOMPARE(v1->installScope(), S::CurrentUser);
        QCOMPARE(v1->silentInstall(), true);

        QCOMPARE(onlineVersion("com.x.t", "1.0.0.2")->supportedScopes(),
            QList<S>({ S::CurrentUser, S::AllUsers }));

        const auto v3 = onlineVersion("com.x.t", "1.0.0.3");
        QCOMPARE(v3->supportedScopes(), QList<S>({ S::CurrentUser, S::AllUsers }));
        QCOMPARE(v3->installDirectoryFor(S::CurrentUser), QString());
        QCOMPARE(v3->installDirectoryFor(S::AllUsers), "X");
        QCOMPARE(v3->recommendedScope(), S::CurrentUser);

        const auto v4 = onlineVersion("com.x.t", "1.0.0.4");
        QCOMPARE(v4->supportedScopes(), QList<S>({ S::CurrentUser, S::AllUsers }));
        QCOMPARE(v4->installDirectoryFor(S::AllUsers), QString());

        // A single offered scope becomes the recommended one.
        const auto v5 = onlineVersion("com.x.t", "1.0.0.5");
        QCOMPARE(v5->supportedScopes(), QList<S>({ S::AllUsers }));
        QCOMPARE(v5->recommendedScope(), S::AllUsers);
        QCOMPARE(v5->installScope(), S::AllUsers);
        QCOMPARE(v5->installDirectory(), "/opt/tool");
        QCOMPARE(v5->silentInstall(), false);

        const auto v6 = onlineVersion("com.x.t", "1.0.0.6");
        QCOMPARE(v6->installDirectoryFor(S::CurrentUser), "/opt/both");
        QCOMPARE(v6->installScope(), S::AllUsers);
        QCOMPARE(v6->installDirectory(), "/opt/both");

        const auto v7 = onlineVersion("com.x.t", "1.0.0.7");
        QCOMPARE(v7->supportedScopes(), QList<S>({ S::CurrentUser }));
        QCOMPARE(v7->installScope(), S::CurrentUser);

        QCOMPARE(onlineVersion("com.x.t", "1.0.0.8")->supportedScopes(),
            QList<S>({ S::CurrentUser, S::AllUsers }));
    }

    // The registry is read entry by entry where the document allows; whatever the split
    // cannot vouch for goes to the whole-document parse. Either way the outcome is the one
    // the whole document gives, and a fault anywhere adds nothing.
    void entriesAreReadOneByOne_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<bool>("splits");
        const QByteArray valid = document({ tool("com.x.a", { version("1.0.0.1") }) });
        QTest::newRow("tools") << document(
            { tool("com.x.a", { version("1.0.0.1") }), tool("com.x.b", { version("2.0.0.1") }) })
                               << true;
        QTest::newRow("brackets in strings, nesting, scalars") << QByteArray(
            " \r\n[ {\"s\":\"],}{[\\\"\"} ,\n\t[1,[2]] , 3, \"a\\\\\", \"]\" , null ]\n ")
                                                               << true;
        QTest::newRow("empty array") << QByteArray("[ ]") << false;
        QTest::newRow("object root") << QByteArray("{\"featureId\": \"x\"}") << false;
        QTest::newRow("trailing comma") << QByteArray(valid.chopped(1) + ",]") << false;
        QTest::newRow("text after the array") << QByteArray(valid + " x") << false;
        QTest::newRow("later entry broken")
            << QByteArray(valid.chopped(1) + ",{\"a\": }]") << false;
        QTest::newRow("unterminated string") << QByteArray(valid.chopped(1) + ",\"x]") << false;
        QTest::newRow("brackets crossed")
            << QByteArray(valid.chopped(1) + ",{\"a\":[1}]]") << false;
    }

    void entriesAreReadOneByOne()
    {
        QFETCH(QByteArray, reply);
        QFETCH(bool, splits);
        QJsonParseError error;
        const QJsonDocument whole = QJsonDocument::fromJson(reply, &error);

        LmtJsonArrayEntries entries;
        QCOMPARE(entries.split(reply), splits);
        if (splits) {
            QCOMPARE(entries.size(), whole.array().size());
            for (qsizetype i = 0; i < entries.size(); ++i)
                QCOMPARE(entries.at(i), whole.array().at(i));
        }

        lmttest::LogCapture capture;
        const QString failure = parse(reply);
        if (error.error != QJsonParseError::NoError) {
            QCOMPARE(failure, "Error parsing JSON: '" + error.errorString() + "'");
            QCOMPARE(m_model->tools().size(), 0);
            QCOMPARE(capture.lines().filter("Add tool").size(), 0);
        } else if (!whole.isArray()) {
            QVERIFY(failure.startsWith("Error parsing JSON - invalid document format"));
        } else {
            QCOMPARE(failure, QString());
        }
    }

    void demoCatalogueParsesCleanly()
    {
        QFile file(lmttest::sourceDir() + "/resources/demo/catalogue/registry.json");
        QVERIFY(file.open(QIODevice::ReadOnly));
        lmttest::LogCapture capture;
        QCOMPARE(parse(file.readAll()), QString());

        // Every entry but the untyped one arrives, and nothing is reported as faulty.
        QCOMPARE(m_model->tools().size(), 6);
        QVERIFY(!m_model->findTool("com.zdr.tb.tool.legacy-workbench"));
        QCOMPARE(capture.lines().filter("Error parsing").size(), 0);
        QCOMPARE(m_model->findTool("com.zdr.tb.tool.lumetra")->onlineVersions().size(), 4);
        QCOMPARE(
            m_model->findTool("com.zdr.tb.pack.devices-riscv")->type(), LmtToolType::ContentPack);
        // Offered on Windows only.
        QVERIFY(!onlineVersion("com.zdr.tb.tool.tracelens", "2.1.0.450"));
        QCOMPARE(onlineVersion("com.zdr.tb.tool.tracelens", "2.0.0.400")->installDirectory(),
            qEnvironmentVariable("USERPROFILE") + "/.local/opt/zendrel/tracelens-2");
        QCOMPARE(onlineVersion("com.zdr.tb.tool.flashprobe", "2.1.1.60")->supportedScopes(),
            QList<LmtToolInstallScope>({ LmtToolInstallScope::AllUsers }));
        QCOMPARE(m_model->findTool("com.zdr.tb.tool.flashprobe")->loginRequired(), false);
    }
};

QTEST_GUILESS_MAIN(TestLmtOnlineRegistryParser)
#include "tst_LmtOnlineRegistryParser.moc"
