#include "common/LmtTestSupport.h"
#include "model/LmtCoreToolModel.h"
#include "model/LmtOnlineToolVersion.h"
#include "model/LmtTool.h"
#include "model/LmtToolDependency.h"
#include "registry/LmtJsonArrayEntries.h"
#include "registry/LmtOnlineRegistryParser.h"
#include "registry/LmtParsedCatalogue.h"
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

    // Each registry below tests/data/registry/online/ is parsed and compared with its
    // .expected file. The platform's ignore flag counts only next to a version-level one that
    // is false, and only when it is true itself; another platform's never.
    void registriesParseAsExpected_data()
    {
        QTest::addColumn<QString>("name");
        for (const char *name : { "tool-types", "faulty-entries", "first-entry-without-id",
                 "faulty-package", "dependencies", "ignored-versions", "install-scopes" })
            QTest::newRow(name) << name;
    }

    void registriesParseAsExpected()
    {
        QFETCH(QString, name);
        lmttest::LogCapture capture;
        QSignalSpy panel(m_parser.get(), &ILmtRegistryParser::appendUILog);
        const QString failure = parse(registry(qPrintable(name + ".json")));
        lmttest::compareWithExpected(
            lmttest::catalogueLines(*m_model) + lmttest::panelLines(panel) << "failure " + failure,
            capture.lines(), "registry/online/" + name + ".expected", {});
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
