#include "common/LmtTableRows.h"
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
        lmttest::rowsFrom("registry/typed-accessors.txt", { "accessor", "key", "result" });
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
