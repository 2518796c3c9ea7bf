#include "common/LmtTestSupport.h"
#include "registry/LmtBaseRegistryParser.h"

#include <QJsonDocument>
#include <QtTest>

using P = zendrel::lmt::setup::LmtBaseRegistryParser;

class TestLmtBaseRegistryParser : public QObject
{
    Q_OBJECT

    QJsonObject m_values;

private Q_SLOTS:
    void initTestCase()
    {
        m_values = QJsonDocument::fromJson(lmttest::fixture("registry/typed-values.json")).object();
    }

    void accessorsReadTheirTypeOrNameTheFault_data()
    {
        QTest::addColumn<QString>("accessor");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("result"); // the value read, or the message thrown
        const QString notA = "error parsing JSON - required property '%1' is not %2";
        const QString missing = "error parsing JSON - missing required property 'absent'";
        const auto row
            = [](const char *name, const char *accessor, const char *key, const QString &result) {
                  QTest::newRow(name) << accessor << key << result;
              };
        row("bool", "bool", "flag", "true");
        row("double", "double", "ratio", "2.5");
        row("int", "int", "count", "42");
        row("negative int", "int", "negative", "-5");
        row("int of 2^52", "int", "large", "4503599627370496");
        row("int not whole", "int", "ratio", "0");
        row("int out of range", "int", "big", "0");
        row("array", "array", "list", "[1,2]");
        row("object", "object", "nested", "{\"a\":\"b\"}");
        row("string", "string", "text", "hello");
        for (const char *accessor : { "bool", "double", "int", "array", "object", "string" })
            row(qPrintable(QString("%1 missing").arg(accessor)), accessor, "absent", missing);
        row("bool of text", "bool", "text", notA.arg("text", "a boolean"));
        row("double of bool", "double", "flag", notA.arg("flag", "a double"));
        row("int of text", "int", "text", notA.arg("text", "an integer"));
        row("array of object", "array", "nested", notA.arg("nested", "a JSON value"));
        row("object of array", "object", "list", notA.arg("list", "a JSON value"));
        row("string of number", "string", "count", notA.arg("count", "a string"));
        // A null value is present but of no accepted type.
        row("string of null", "string", "nothing", notA.arg("nothing", "a string"));
    }

    void accessorsReadTheirTypeOrNameTheFault()
    {
        QFETCH(QString, accessor);
        QFETCH(QString, key);
        QFETCH(QString, result);
        const QJsonObject &o = m_values;
        QString value;
        const QString failure = lmttest::failureOf([&] {
            const auto compact = [](const QJsonValue &v) {
                return QString::fromUtf8(
                    QJsonDocument::fromVariant(v.toVariant()).toJson(QJsonDocument::Compact));
            };
            if (accessor == "bool")
                value = P::getBool(o, key) ? "true" : "false";
            else if (accessor == "double")
                value = QString::number(P::getDouble(o, key));
            else if (accessor == "int")
                value = QString::number(P::getInt(o, key));
            else if (accessor == "array")
                value = compact(P::getArray(o, key));
            else if (accessor == "object")
                value = compact(P::getObject(o, key));
            else
                value = P::getString(o, key);
        });
        QCOMPARE(failure.isEmpty() ? value : failure, result);
    }
};

QTEST_GUILESS_MAIN(TestLmtBaseRegistryParser)
#include "tst_LmtBaseRegistryParser.moc"
