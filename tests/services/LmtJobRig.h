#pragma once

#include "common/LmtFakeConnector.h"
#include "common/LmtTestSupport.h"
#include "model/LmtCoreToolModel.h"
#include "services/LmtServiceTypes.h"
#include "services/NetworkException.h"

#include <QtTest>

namespace lmttest {

// "<code> <text>" of the NetworkException that call throws, "plain: <text>" of any other error;
// empty when it throws none.
template<typename Call>
QString networkFailureOf(Call call)
{
    try {
        call();
    } catch (const zendrel::lmt::setup::NetworkException &e) {
        return QStringLiteral("%1 %2").arg(e.code()).arg(QString::fromUtf8(e.what()));
    } catch (const std::runtime_error &e) {
        return QStringLiteral("plain: ") + QString::fromUtf8(e.what());
    }
    return QString();
}

// What the tests of the downloader, installer and uninstaller share: a sandbox, a fresh tool
// model and fake connector per test, and the runs they expect, kept in one fixture file as an
// object per test function that names its lists of lines.
struct JobRig {
    explicit JobRig(const QString &expectations)
        : m_expectations(QJsonDocument::fromJson(fixture(expectations)).object())
    {
    }

    void reset()
    {
        model = std::make_shared<zendrel::lmt::setup::LmtCoreToolModel>();
        connector = std::make_shared<FakeConnector>();
    }

    std::shared_ptr<zendrel::lmt::setup::LmtTool> tool(const QString &featureId)
    {
        using namespace zendrel::lmt::setup;
        const auto created = LmtTool::create(featureId, LmtToolType::External, featureId);
        model->addTool(created);
        return created;
    }

    // The script each feature id's download (or, with install set, installation) runs; the
    // fallback for the others. A null script makes the launcher fail to start.
    void scripts(const QMap<QString, QByteArray> &byFeatureId,
        const QByteArray &otherwise = "exit 0", bool install = false)
    {
        const auto script = [=](const QString &featureId, const QString &) {
            return byFeatureId.value(featureId, otherwise);
        };
        install ? connector->setInstallScript(script) : connector->setDownloadScript(script);
    }

    // The named list of the running test function's expected run.
    QStringList expected(const char *list) const
    {
        return m_expectations[QTest::currentTestFunction()][list].toVariant().toStringList();
    }

    // The feature ids of the calls, ","-separated.
    static QString featureIds(const QList<FakeConnector::Call> &calls)
    {
        QStringList ids;
        for (const FakeConnector::Call &call : calls)
            ids << call.featureId;
        return ids.join(',');
    }

    // "<status> <feature id> <version>" of every recorded job status signal.
    static QStringList statuses(const QSignalSpy &spy)
    {
        const QMetaEnum names = QMetaEnum::fromType<zendrel::lmt::setup::LmtOperationStatus>();
        QStringList lines;
        for (const QList<QVariant> &signal : spy)
            lines << QStringLiteral("%1 %2 %3")
                         .arg(names.valueToKey(
                                  signal.at(0).value<zendrel::lmt::setup::LmtOperationStatus>()),
                             signal.at(1).toString(), signal.at(2).toString());
        return lines;
    }

    Sandbox sandbox;
    std::shared_ptr<zendrel::lmt::setup::LmtCoreToolModel> model;
    std::shared_ptr<FakeConnector> connector;

private:
    QJsonObject m_expectations;
};

} // namespace lmttest
