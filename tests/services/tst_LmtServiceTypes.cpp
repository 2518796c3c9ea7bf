#include "services/LmtServiceTypes.h"

#include <QtTest>

using namespace zendrel::lmt::setup;

namespace {

// Emits the shared types the way the services do, from whatever thread it lives on; a second
// one relays what reaches it.
class Emitter : public QObject
{
    Q_OBJECT

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
        Q_EMIT appendUILog(QStringLiteral("line"), ConsoleMessageType::Auto);
        Q_EMIT scopeChanged(LmtToolInstallScope::AllUsers);
    }
};

} // namespace

class TestLmtServiceTypes : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Every argument crosses from the emitter's thread to the relay on this one through the
    // queue of a connection made by signature, which copies it by the type's name as the signal
    // spells it: a name the meta-type system does not know drops the call with no more than a
    // warning, and the relay then has nothing to pass on.
    void typesTravelThroughQueuedSignals()
    {
        registerMetaTypes();
        QThread thread;
        Emitter emitter;
        emitter.moveToThread(&thread);
        thread.start();
        const auto stop = qScopeGuard([&] {
            thread.quit();
            thread.wait();
        });
        Emitter relay;
        std::vector<std::unique_ptr<QSignalSpy>> spies;
        for (const char *signal : { SIGNAL(error(LmtErrorCode, QString)),
                 SIGNAL(downloadStatus(LmtOperationStatus, QString, QString)),
                 SIGNAL(appendUILog(QString, ConsoleMessageType)),
                 SIGNAL(scopeChanged(LmtToolInstallScope)) }) {
            QVERIFY(connect(&emitter, signal, &relay, signal, Qt::QueuedConnection));
            spies.push_back(std::make_unique<QSignalSpy>(&relay, signal));
        }
        QMetaObject::invokeMethod(&emitter, &Emitter::emitAll, Qt::QueuedConnection);
        // Queued in this order, the last one arrives last.
        QTRY_VERIFY_WITH_TIMEOUT(!spies.back()->isEmpty(), 10000);
        QVariantList received;
        for (const auto &spy : spies)
            received += spy->value(0);
        QCOMPARE(received,
            (QVariantList { QVariant::fromValue(AccessTokenError), "token",
                QVariant::fromValue(Cancelled), "lmt.tools", "1.0.0", "line",
                QVariant::fromValue(ConsoleMessageType::Auto),
                QVariant::fromValue(LmtToolInstallScope::AllUsers) }));
    }
};

QTEST_GUILESS_MAIN(TestLmtServiceTypes)
#include "tst_LmtServiceTypes.moc"
