#include "services/LmtServiceTypes.h"
#include "services/NetworkException.h"

#include <QNetworkReply>
#include <QSignalSpy>
#include <QThread>
#include <QtTest>

using namespace zendrel::lmt::setup;

namespace {

// Emits the shared types the way the services do, from whatever thread it lives on.
class Emitter : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

Q_SIGNALS:
    void error(LmtErrorCode errorCode, QString message);
    void downloadStatus(LmtOperationStatus status, QString featureId, QString version);
    void appendUILog(QString text, ConsoleMessageType type = ConsoleMessageType::Auto);
    void scopeChanged(LmtToolInstallScope scope);

public Q_SLOTS:
    void emitAll()
    {
        Q_EMIT error(AccessTokenError, QStringLiteral("token"));
        Q_EMIT downloadStatus(Cancelled, QStringLiteral("lmt.tools"), QStringLiteral("1.0.0"));
        Q_EMIT appendUILog(QStringLiteral("line"));
        Q_EMIT scopeChanged(LmtToolInstallScope::AllUsers);
    }
};

} // namespace

class TestLmtServiceTypes : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void typesTravelThroughQueuedSignals()
    {
        registerMetaTypes();
        for (const char *name :
            { "zendrel::lmt::setup::LmtErrorCode", "zendrel::lmt::setup::LmtOperationStatus",
                "zendrel::lmt::setup::LmtToolInstallScope",
                "zendrel::lmt::shared_toolkit::ConsoleMessageType" })
            QVERIFY2(QMetaType::fromName(name).isValid(), name);

        QThread thread;
        Emitter emitter;
        emitter.moveToThread(&thread);
        thread.start();
        QSignalSpy errors(&emitter, &Emitter::error);
        QSignalSpy statuses(&emitter, &Emitter::downloadStatus);
        QSignalSpy logs(&emitter, &Emitter::appendUILog);
        QSignalSpy scopes(&emitter, &Emitter::scopeChanged);
        // The spies sit on this thread, so every argument crosses threads through the queue.
        LmtErrorCode received = GeneralError;
        connect(
            &emitter, &Emitter::error, this,
            [&](LmtErrorCode code, const QString &) { received = code; }, Qt::QueuedConnection);
        QMetaObject::invokeMethod(&emitter, &Emitter::emitAll, Qt::QueuedConnection);
        QTRY_COMPARE_WITH_TIMEOUT(received, AccessTokenError, 10000);
        thread.quit();
        QVERIFY(thread.wait(10000));

        QCOMPARE(errors.size(), 1);
        QCOMPARE(errors.at(0).at(0).value<LmtErrorCode>(), AccessTokenError);
        QCOMPARE(statuses.at(0).at(0).value<LmtOperationStatus>(), Cancelled);
        QCOMPARE(logs.at(0).at(1).value<ConsoleMessageType>(), ConsoleMessageType::Auto);
        QCOMPARE(scopes.at(0).at(0).value<LmtToolInstallScope>(), LmtToolInstallScope::AllUsers);
        QCOMPARE(int(ConsoleMessageType::Auto), 5);
    }

    void networkExceptionKeepsTextAndCode()
    {
        try {
            throw NetworkException(QString::fromUtf8("Host \u00e4 unreachable"),
                QNetworkReply::AuthenticationRequiredError);
        } catch (const std::runtime_error &e) {
            QCOMPARE(QString::fromUtf8(e.what()), QString::fromUtf8("Host \u00e4 unreachable"));
            const auto *network = dynamic_cast<const NetworkException *>(&e);
            QVERIFY(network);
            QCOMPARE(network->code(), 204);
        }
    }
};

QTEST_GUILESS_MAIN(TestLmtServiceTypes)
#include "tst_LmtServiceTypes.moc"
