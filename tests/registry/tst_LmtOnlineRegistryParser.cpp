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

#include <QNetworkReply>
#include <QSignalSpy>
#include <QtTest>

#include <functional>

using namespace zendrel::lmt::setup;
using S = LmtToolInstallScope;

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
        requestedUrls << url;
        if (failure)
            failure();
        return reply;
    }
    QByteArray getData(const QUrl &url, std::shared_ptr<LmtAccessToken> token) override
    {
        return getData(url, token, 0);
    }
    QByteArray getData(const QUrl &url, int) override { return getData(url, nullptr, 0); }
    QByteArray getData(const QUrl &url) override { return getData(url, nullptr, 0); }
    void postData(const QUrl &, const QByteArray &, int) override { }
};

} // namespace

class TestLmtOnlineRegistryParser : public QObject
{
    Q_OBJECT

    lmttest::Sandbox m_sandbox;
    std::shared_ptr<FakeDownloadManager> m_downloads;
    std::shared_ptr<LmtCoreToolModel> m_model;
    std::unique_ptr<LmtOnlineRegistryParser> m_parser;

    // Parses the reply and returns the message parse() threw, or empty.
    QString parse(const QByteArray &reply)
    {
        m_downloads->reply = reply;
        return lmttest::failureOf([this] { m_parser->parse(); });
    }

    static QByteArray registry(const char *name)
    {
        return lmttest::fixture(QStringLiteral("registry/online/") + QLatin1String(name));
    }

    std::shared_ptr<LmtOnlineToolVersion> offered(const QString &featureId, const QString &text)
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
        QVERIFY(!capture.lines().join('\n').contains(QString::fromLatin1(secret)));

        // Without a configured address the vendor's registry path is asked for.
        setKorOnlineUrl(QString());
        QCOMPARE(parse("[]"), QString());
        QCOMPARE(m_downloads->requestedUrls.last().path(), "/api/v1/tools/");
        QCOMPARE(m_downloads->requestedUrls.last().query(), "dependencies=true");
    }

    void unusableRepliesEndTheParse_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("failure");
        QJsonParseError syntax;
        QJsonDocument::fromJson("[{\"a\": }]", &syntax);
        QTest::newRow("empty") << QByteArray()
                               << "Received empty reply from the remote KOR registry site";
        QTest::newRow("no JSON") << QByteArray("[{\"a\": }]")
                                 << "Error parsing JSON: '" + syntax.errorString() + "'";
        QTest::newRow("no array") << QByteArray("{\"featureId\": \"x\"}")
                                  << "Error parsing JSON - invalid document format, network reply "
                                     "does not contain a JSON array";
    }

    void unusableRepliesEndTheParse()
    {
        QFETCH(QByteArray, reply);
        QFETCH(QString, failure);
        QCOMPARE(parse(reply), failure);
        QCOMPARE(m_model->tools().size(), 0);
    }

    void networkFailuresReachTheCallerWithTheirCode()
    {
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
    }

    void toolTypesAndToolAttributes()
    {
        lmttest::LogCapture capture;
        QCOMPARE(parse(registry("tool-types.json")), QString());

        QCOMPARE(m_model->tools().size(), 3);
        const auto pack = m_model->findTool("com.x.pack");
        QCOMPARE(pack->type(), LmtToolType::ContentPack); // "lmt-type" wins over "type"
        QCOMPARE(pack->loginRequired(), false);
        // A later entry of the same tool renames it but keeps its type and login rule.
        QCOMPARE(pack->name(), "Renamed pack");
        QCOMPARE(pack->id(), qint64(99));
        QCOMPARE(pack->onlineVersions().size(), 2);
        QCOMPARE(m_model->findTool("com.x.patch")->type(), LmtToolType::Patch);
        QCOMPARE(m_model->findTool("com.x.patch")->loginRequired(), true);
        QCOMPARE(m_model->findTool("com.x.ext")->isPatchVersionUpdatable(), false);
        QCOMPARE(m_model->findTool("com.x.ext")->id(), qint64(12));
        // The untyped entry is gone without any trace in the log.
        QVERIFY(!m_model->findTool("com.x.untyped"));
        QCOMPARE(capture.lines().filter(QRegularExpression("untyped|1\\.0\\.0\\.3")).size(), 0);
    }

    void faultyEntriesAreSkippedWithTheirFeatureId()
    {
        lmttest::LogCapture capture;
        QSignalSpy panel(m_parser.get(), &ILmtRegistryParser::appendUILog);
        QCOMPARE(parse(registry("faulty-entries.json")), QString());

        const QString skipped = "[LmtOnlineRegistryParser] Error parsing JSON tool object '%1': %2 "
                                "- Skipping";
        const QString missing = "error parsing JSON - missing required property '%1'";
        // The entry without featureId is reported under the previous entry's id; a version
        // member that is not an object reads as an empty one.
        for (const QString &line : {
                 QString("[LmtOnlineRegistryParser] Error parsing JSON object - invalid object "
                         "format"),
                 skipped.arg("com.x.first", missing.arg("versionNumeric")),
                 skipped.arg("com.x.first", missing.arg("featureId")),
                 skipped.arg(
                     "com.x.dup", "Version '4.0.0.1' already present in the Core Tool Model"),
                 skipped.arg("com.x.odd", missing.arg("version")),
             })
            QVERIFY2(capture.contains(line), qPrintable(line));
        QCOMPARE(m_model->findTool("com.x.first")->onlineVersions().size(), 1);
        QVERIFY(offered("com.x.first", "1.0.0.1"));
        QCOMPARE(m_model->findTool("com.x.dup")->onlineVersions().size(), 1);
        QVERIFY(!m_model->findTool("com.x.odd"));
        QCOMPARE(m_model->findTool("com.x.last")->onlineVersions().size(), 1);
        QCOMPARE(panel.last()[0].toString(),
            "Discovered available tool 'Tool com.x.last', version 3.0.0.1");

        // The very first entry failing before its featureId names an empty id.
        capture.clear();
        QCOMPARE(parse(registry("first-entry-without-id.json")), QString());
        QVERIFY(capture.contains(skipped.arg("", missing.arg("featureId"))));
    }

    void aFaultyPackageEndsItsTool()
    {
        QSignalSpy panel(m_parser.get(), &ILmtRegistryParser::appendUILog);
        QCOMPARE(parse(registry("faulty-package.json")), QString());

        const auto good = offered("com.x.t", "1.0.0.1");
        QCOMPARE(good->packages().size(), 1);
        const auto package = good->packages()[0];
        QCOMPARE(package->os(), "Windows");
        QCOMPARE(package->url(), QUrl("https://dl.example/1.0.0.1/download"));
        QCOMPARE(package->kind(), "installer");
        QCOMPARE(package->fileType(), "exe");
        QCOMPARE(package->fileSize(), quint32(2.5 * 1024 * 1024));
        QCOMPARE(package->version(), good);

        // The faulty version stays with the packages before the fault, but nothing after it.
        const auto broken = offered("com.x.t", "1.0.0.2");
        QCOMPARE(broken->packages().size(), 1);
        QCOMPARE(broken->dependencies().size(), 0);
        QCOMPARE(broken->supportedScopes().size(), 0);
        QVERIFY(!offered("com.x.t", "1.0.0.3"));
        QCOMPARE(panel.last()[0].toString(),
            "Discovered available tool 'Tool com.x.t', version 1.0.0.2");
    }

    void numbersOutOfRangeReadAsUnbounded()
    {
        QCOMPARE(parse(registry("dependencies.json")), QString());
        const auto parsed = offered("com.x.t", "1.0.0.1");
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

    // The platform's flag counts only next to a version-level one that is false, and only when
    // it is true itself; another platform's never.
    void ignoredVersionsAreLeftOut()
    {
        QCOMPARE(parse(registry("ignored-versions.json")), QString());
        QStringList texts;
        for (const auto &v : m_model->findTool("com.x.t")->onlineVersions())
            texts << v->version();
        QCOMPARE(texts, QStringList({ "1.0.0.3", "1.0.0.4", "1.0.0.5", "1.0.0.6" }));
    }

    void platformAttributesSetScopesAndDirectories_data()
    {
        QTest::addColumn<QString>("version");
        QTest::addColumn<QList<S>>("scopes");
        QTest::addColumn<S>("scope");
        QTest::addColumn<QString>("currentUserDir");
        QTest::addColumn<QString>("allUsersDir");
        QTest::addColumn<bool>("silent");
        const QList<S> both { S::CurrentUser, S::AllUsers };
        QTest::newRow("none") << "1.0.0.1" << both << S::CurrentUser << ""
                              << "" << true;
        QTest::newRow("all-users") << "1.0.0.2" << both << S::CurrentUser << ""
                                   << "" << true;
        QTest::newRow("directory names a scope") << "1.0.0.3" << both << S::CurrentUser << ""
                                                 << "X" << true;
        QTest::newRow("directory not text") << "1.0.0.4" << both << S::CurrentUser << ""
                                            << "" << true;
        QTest::newRow("single scope recommended")
            << "1.0.0.5" << QList<S> { S::AllUsers } << S::AllUsers << ""
            << "/opt/tool" << false;
        QTest::newRow("recommended all-users") << "1.0.0.6" << both << S::AllUsers << "/opt/both"
                                               << "/opt/both" << true;
        QTest::newRow("unknown recommendation")
            << "1.0.0.7" << QList<S> { S::CurrentUser } << S::CurrentUser << ""
            << "" << true;
        QTest::newRow("other platform's") << "1.0.0.8" << both << S::CurrentUser << ""
                                          << "" << true;
    }

    void platformAttributesSetScopesAndDirectories()
    {
        QFETCH(QString, version);
        QFETCH(QList<S>, scopes);
        QFETCH(S, scope);
        QFETCH(QString, currentUserDir);
        QFETCH(QString, allUsersDir);
        QFETCH(bool, silent);
        QCOMPARE(parse(registry("install-scopes.json")), QString());
        const auto parsed = offered("com.x.t", version);
        QCOMPARE(parsed->supportedScopes(), scopes);
        QCOMPARE(parsed->recommendedScope(), scope);
        QCOMPARE(parsed->installScope(), scope);
        QCOMPARE(parsed->installDirectoryFor(S::CurrentUser), currentUserDir);
        QCOMPARE(parsed->installDirectoryFor(S::AllUsers), allUsersDir);
        QCOMPARE(parsed->installDirectory(), parsed->installDirectoryFor(scope));
        QCOMPARE(parsed->silentInstall(), silent);
    }

    // The registry is read entry by entry where the document allows; whatever the split
    // cannot vouch for goes to the whole-document parse. Either way the outcome is the one
    // the whole document gives, and a fault anywhere adds nothing.
    void entriesAreReadOneByOne_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<bool>("splits");
        const QByteArray valid = registry("dependencies.json").trimmed();
        QTest::newRow("tools") << valid << true;
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
        lmttest::LogCapture capture;
        QCOMPARE(parse(lmttest::readFile(
                     lmttest::sourceDir() + "/resources/demo/catalogue/registry.json")),
            QString());

        // Every entry but the untyped one arrives, and nothing is reported as faulty.
        QCOMPARE(m_model->tools().size(), 6);
        QVERIFY(!m_model->findTool("com.zdr.tb.tool.legacy-workbench"));
        QCOMPARE(capture.lines().filter("Error parsing").size(), 0);
        QCOMPARE(m_model->findTool("com.zdr.tb.tool.lumetra")->onlineVersions().size(), 4);
        QCOMPARE(
            m_model->findTool("com.zdr.tb.pack.devices-riscv")->type(), LmtToolType::ContentPack);
        // Offered on Windows only.
        QVERIFY(!offered("com.zdr.tb.tool.tracelens", "2.1.0.450"));
        QCOMPARE(offered("com.zdr.tb.tool.tracelens", "2.0.0.400")->installDirectory(),
            qEnvironmentVariable("USERPROFILE") + "/.local/opt/zendrel/tracelens-2");
        QCOMPARE(offered("com.zdr.tb.tool.flashprobe", "2.1.1.60")->supportedScopes(),
            QList<S>({ S::AllUsers }));
        QCOMPARE(m_model->findTool("com.zdr.tb.tool.flashprobe")->loginRequired(), false);
    }
};

QTEST_GUILESS_MAIN(TestLmtOnlineRegistryParser)
#include "tst_LmtOnlineRegistryParser.moc"
