#include "common/LmtFakeDownloadManager.h"
#include "common/LmtTableRows.h"
#include "registry/LmtBaseRegistryParser.h"
#include "registry/LmtJsonArrayEntries.h"
#include "registry/LmtOnlineRegistryParser.h"
#include "registry/LmtParsedCatalogue.h"
#include "services/LmtAccessToken.h"
#include "services/LmtDownloadSettings.h"
#include "services/NetworkException.h"

#include <QNetworkReply>
#include <QtTest>

using namespace zendrel::lmt::setup;
using P = LmtBaseRegistryParser;

class TestLmtOnlineRegistryParser : public QObject
{
    Q_OBJECT

    lmttest::Sandbox m_sandbox;
    std::shared_ptr<lmttest::FakeDownloadManager> m_downloads;
    std::shared_ptr<LmtCoreToolModel> m_model;
    std::unique_ptr<LmtOnlineRegistryParser> m_parser;

    // Parses the reply and returns the message parse() threw, or empty.
    QString parse(const QByteArray &reply)
    {
        m_downloads->replyWith(reply);
        return lmttest::failureOf([this] { m_parser->parse(); });
    }

private Q_SLOTS:
    void init()
    {
        setKorOnlineUrl(QString());
        m_downloads = std::make_shared<lmttest::FakeDownloadManager>();
        m_model = std::make_shared<LmtCoreToolModel>();
        m_parser = std::make_unique<LmtOnlineRegistryParser>(m_downloads, m_model);
    }

    void requestUsesTheConfiguredUrlNeverLogsTheTokenAndFailsAsTheNetwork()
    {
        using Op = lmttest::FakeDownloadManager::Operation;
        lmttest::LogCapture capture;
        setKorOnlineUrl("http://127.0.0.1:9/api/v1/tools/?lang=en&x=1");
        QCOMPARE(parse("[]"), QString());
        const QUrl expected("http://127.0.0.1:9/api/v1/tools/?dependencies=true");
        QVERIFY(m_downloads->calls().last().url == expected
            && m_downloads->calls().last().operation == Op::GetWithoutToken);
        QVERIFY(capture.contains("[LmtOnlineRegistryParser] Requesting online tool data from Url: "
            + expected.toString() + ", Token: \"Empty\""));

        const QByteArray secret = "secret-bearer-value";
        m_parser->setAccessToken(std::make_shared<LmtAccessToken>(secret, "3600", ""));
        QVERIFY(capture.contains("[LmtOnlineRegistryParser] setAccessToken(): \"[REDACTED]\""));
        QCOMPARE(parse("[]"), QString());
        QVERIFY(m_downloads->calls().last().operation == Op::GetWithToken
            && capture.contains(", Token: \"[REDACTED]\""));

        // A token record without a token is "Empty", as is no record at all.
        m_parser->setAccessToken(std::make_shared<LmtAccessToken>());
        m_parser->setAccessToken(nullptr);
        QCOMPARE(capture.lines().filter("setAccessToken(): \"Empty\"").size(), 2);
        QVERIFY(!capture.lines().join('\n').contains(QString::fromLatin1(secret)));

        // Without a configured address the vendor's registry path is asked for.
        setKorOnlineUrl(QString());
        QCOMPARE(parse("[]"), QString());
        QCOMPARE(
            m_downloads->calls().last().url.toString(QUrl::RemoveScheme | QUrl::RemoveAuthority),
            "/api/v1/tools/?dependencies=true");

        // A network failure reaches the caller as it is, to be told from a broken registry.
        m_downloads->setResponder([](const auto &) -> QByteArray {
            throw NetworkException("unreachable", QNetworkReply::HostNotFoundError);
        });
        QVERIFY_THROWS_EXCEPTION(NetworkException, m_parser->parse());
    }

    // Each registry below tests/data/registry/online/ is parsed and compared with its
    // .expected file, unusable replies and the demo catalogue (a link to it) included. The
    // platform's ignore flag counts only next to a version-level one that is false, and only when
    // it is true itself; another platform's never.
    void registriesParseAsExpected_data() { lmttest::rowsPerFile("registry/online", ".expected"); }

    void registriesParseAsExpected()
    {
        QFETCH(QString, name);
        lmttest::LogCapture capture;
        QSignalSpy panel(m_parser.get(), &ILmtRegistryParser::appendUILog);
        const QString failure = parse(lmttest::fixture("registry/online/" + name + ".json"));
        lmttest::compareWithExpected(
            lmttest::catalogueLines(*m_model) + lmttest::panelLines(panel) << "failure " + failure,
            capture.lines(), "registry/online/" + name + ".expected",
            { { "@PROFILE@", qEnvironmentVariable("USERPROFILE") } });
    }

    // The registry is read entry by entry where the document allows; whatever the split
    // cannot vouch for goes to the whole-document parse. Either way the outcome is the one
    // the whole document gives, and a fault anywhere adds nothing.
    void entriesAreReadOneByOne_data()
    {
        lmttest::rowsFrom("registry/online-splits.txt", { "text", "splits" });
    }

    void entriesAreReadOneByOne()
    {
        QFETCH(QString, text);
        QFETCH(QString, splits);
        const QByteArray tools
            = lmttest::fixture("registry/online/dependencies.json").trimmed().chopped(1);
        const QByteArray reply = text.toUtf8()
                                     .replace("\\r", "\r")
                                     .replace("\\n", "\n")
                                     .replace("\\t", "\t")
                                     .replace("{tools}", tools);
        QJsonParseError error;
        const QJsonDocument whole = QJsonDocument::fromJson(reply, &error);

        LmtJsonArrayEntries entries;
        QCOMPARE(entries.split(reply), splits == "yes");
        QJsonArray split;
        for (qsizetype i = 0; splits == "yes" && i < entries.size(); ++i)
            split << entries.at(i);
        QCOMPARE(split, splits == "yes" ? whole.array() : QJsonArray());

        lmttest::LogCapture capture;
        const QString failure = parse(reply);
        if (error.error != QJsonParseError::NoError)
            QVERIFY2(failure == "Error parsing JSON: '" + error.errorString() + "'"
                    && m_model->tools().isEmpty() && capture.lines().filter("Add tool").isEmpty(),
                qPrintable(failure));
        else
            QVERIFY2(whole.isArray()
                    ? failure.isEmpty()
                    : failure.startsWith("Error parsing JSON - invalid document format"),
                qPrintable(failure));
    }

    // The typed accessors of the base parser, which every registry parser reads its JSON with.
    void accessorsReadTheirTypeOrNameTheFault_data()
    {
        lmttest::rowsFrom("registry/typed-accessors.txt", { "accessor", "key", "result" });
    }

    void accessorsReadTheirTypeOrNameTheFault()
    {
        QFETCH(QString, accessor);
        QFETCH(QString, key);
        QFETCH(QString, result);
        const QJsonObject o
            = QJsonDocument::fromJson(lmttest::fixture("registry/typed-values.json")).object();
        const auto compact
            = [](const auto &v) { return QJsonDocument(v).toJson(QJsonDocument::Compact); };
        const QMap<QString, std::function<QString()>> read {
            { "bool", [&] { return QString(P::getBool(o, key) ? "true" : "false"); } },
            { "double", [&] { return QString::number(P::getDouble(o, key)); } },
            { "int", [&] { return QString::number(P::getInt(o, key)); } },
            { "array", [&] { return QString(compact(P::getArray(o, key))); } },
            { "object", [&] { return QString(compact(P::getObject(o, key))); } },
            { "string", [&] { return P::getString(o, key); } }
        };
        QString value;
        const QString failure = lmttest::failureOf([&] { value = read[accessor](); });
        QCOMPARE(failure.isEmpty() ? value : failure, result);
    }
};

QTEST_GUILESS_MAIN(TestLmtOnlineRegistryParser)
#include "tst_LmtOnlineRegistryParser.moc"
