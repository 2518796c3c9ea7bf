#include "services/LmtServiceTypes.h"

#include <QtTest>

using namespace zendrel::lmt::setup;

namespace {

// Declares a signal with the shared types the way the services do, inside the namespace.
class Emitter : public QObject
{
    Q_OBJECT

Q_SIGNALS:
    void report(LmtErrorCode errorCode, LmtOperationStatus status, ConsoleMessageType type,
        LmtToolInstallScope scope);
};

} // namespace

class TestLmtServiceTypes : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Services report to the GUI thread through queued connections. One made by signature copies
    // each argument by the type's name as the signal spells it: a name the meta-type system
    // does not know drops the call with no more than a warning, and the relay then has nothing
    // to pass on.
    void typesTravelThroughQueuedSignals()
    {
        registerMetaTypes();
        Emitter emitter, relay;
        const char *signal = SIGNAL(
            report(LmtErrorCode, LmtOperationStatus, ConsoleMessageType, LmtToolInstallScope));
        QVERIFY(connect(&emitter, signal, &relay, signal, Qt::QueuedConnection));
        QSignalSpy relayed(&relay, signal);
        Q_EMIT emitter.report(
            AccessTokenError, Cancelled, ConsoleMessageType::Auto, LmtToolInstallScope::AllUsers);
        QTRY_COMPARE_WITH_TIMEOUT(relayed.size(), 1, 10000);
        QCOMPARE(relayed.first(),
            (QVariantList { QVariant::fromValue(AccessTokenError), QVariant::fromValue(Cancelled),
                QVariant::fromValue(ConsoleMessageType::Auto),
                QVariant::fromValue(LmtToolInstallScope::AllUsers) }));
    }
};

QTEST_GUILESS_MAIN(TestLmtServiceTypes)
#include "tst_LmtServiceTypes.moc"
