#include "registry/LmtBaseRegistryParser.h"

#include <QJsonDocument>
#include <QtTest>

#include <functional>
#include <stdexcept>

using namespace zendrel::lmt::setup;

namespace {

QJsonObject sample()
{
    return QJsonDocument::fromJson(R"({"flag": true, "ratio": 2.5, "count": 42, "big": 1e30,
        "negative": -5, "list": [1, 2], "nested": {"a": "b"}, "text": "hello", "nothing": null})")
        .object();
}

// The text of the std::runtime_error that call throws, or "<no exception>".
QString errorOf(const std::function<void()> &call)
{
    try {
        call();
    } catch (const std::runtime_error &e) {
        return QString::fromUtf8(e.what());
    }
    return QStringLiteral("<no exception>");
}

} // namespace

class TestLmtBaseRegistryParser : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void accessorsReturnValuesOfTheirType()
    {
        const QJsonObject o = sample();
        QCOMPARE(LmtBaseRegistryParser::getBool(o, "flag"), true);
        QCOMPARE(LmtBaseRegistryParser::getDouble(o, "ratio"), 2.5);
        QCOMPARE(LmtBaseRegistryParser::getInt(o, "count"), qint64(42));
        QCOMPARE(LmtBaseRegistryParser::getInt(o, "negative"), qint64(-5));
        QCOMPARE(LmtBaseRegistryParser::getArray(o, "list").size(), 2);
        QCOMPARE(LmtBaseRegistryParser::getObject(o, "nested").value("a").toString(), "b");
        QCOMPARE(LmtBaseRegistryParser::getString(o, "text"), "hello");
    }

    void integersThatAreNotWholeOrInRangeReadAsZero()
    {
        const QJsonObject o = sample();
        QCOMPARE(LmtBaseRegistryParser::getInt(o, "ratio"), qint64(0));
        QCOMPARE(LmtBaseRegistryParser::getInt(o, "big"), qint64(0));
        const QJsonObject large { { "n", double(qint64(1) << 52) } };
        QCOMPARE(LmtBaseRegistryParser::getInt(large, "n"), qint64(1) << 52);
    }

    void missingKeysNameTheKey()
    {
        const QJsonObject o = sample();
        const QString missing = "error parsing JSON - missing required property 'absent'";
        QCOMPARE(errorOf([&] { LmtBaseRegistryParser::getBool(o, "absent"); }), missing);
        QCOMPARE(errorOf([&] { LmtBaseRegistryParser::getDouble(o, "absent"); }), missing);
        QCOMPARE(errorOf([&] { LmtBaseRegistryParser::getInt(o, "absent"); }), missing);
        QCOMPARE(errorOf([&] { LmtBaseRegistryParser::getArray(o, "absent"); }), missing);
        QCOMPARE(errorOf([&] { LmtBaseRegistryParser::getObject(o, "absent"); }), missing);
        QCOMPARE(errorOf([&] { LmtBaseRegistryParser::getString(o, "absent"); }), missing);
    }

    void wrongTypesGiveTheAccessorsOwnTexts()
    {
        const QJsonObject o = sample();
        QCOMPARE(errorOf([&] { LmtBaseRegistryParser::getBool(o, "text"); }),
            "error parsing JSON - required property 'text' is not a boolean");
        QCOMPARE(errorOf([&] { LmtBaseRegistryParser::getDouble(o, "flag"); }),
            "error parsing JSON - required property 'flag' is not a double");
        QCOMPARE(errorOf([&] { LmtBaseRegistryParser::getInt(o, "text"); }),
            "error parsing JSON - required property 'text' is not an integer");
        QCOMPARE(errorOf([&] { LmtBaseRegistryParser::getArray(o, "nested"); }),
            "error parsing JSON - required property 'nested' is not a JSON value");
        QCOMPARE(errorOf([&] { LmtBaseRegistryParser::getObject(o, "list"); }),
            "error parsing JSON - required property 'list' is not a JSON value");
        QCOMPARE(errorOf([&] { LmtBaseRegistryParser::getString(o, "count"); }),
            "error parsing JSON - required property 'count' is not a string");
        // A null value is present but of no accepted type.
        QCOMPARE(errorOf([&] { LmtBaseRegistryParser::getString(o, "nothing"); }),
            "error parsing JSON - required property 'nothing' is not a string");
    }
};

QTEST_GUILESS_MAIN(TestLmtBaseRegistryParser)
#include "tst_LmtBaseRegistryParser.moc"
