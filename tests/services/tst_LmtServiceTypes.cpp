#include "services/LmtServiceTypes.h"
#include "services/NetworkException.h"

#include <QNetworkReply>
#include <QThread>
#include <QtTest>

using namespace zendrel::lmt::setup;

namespace {

// Emits the shared types the way the services do, from whatever thread it lives on.
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

// Lives on the test's thread and writes down what reached it, and on which thread.
class Receiver : public QObject
{
    Q_OBJECT

public:
    QStringList received;

public Q_SLOTS:
    void onError(LmtErrorCode code, const QString &text)
    {
        note(QStringLiteral("error %1 %2").arg(int(code)).arg(text));
    }
    void onStatus(LmtOperationStatus status, const QString &id, const QString &version)
    {
        note(QStringLiteral("status %1 %2 %3").arg(int(status)).arg(id, version));
    }
    void onLog(const QString &text, ConsoleMessageType type)
    {
        note(QStringLiteral("log %1 %2").arg(text).arg(int(type)));
    }
    void onScope(LmtToolInstallScope scope) { note(QStringLiteral("scope %1").arg(int(scope))); }

private:
    void note(const QString &what)
    {
        received << what + (QThread::currentThread() == thread() ? "" : " (wrong thread)");
    }
};

} // namespace

class TestLmtServiceTypes : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Every argument crosses from the emitter's thread to the receiver's through the queue, which
    // copies it by the type's name as the signal spells it: a name the meta-type system does not
    // know drops the call with no more than a warning.
    void typesTravelThroughQueuedSignals()
    {
        registerMetaTypes();
        for (const char *name : { "zendrel::lmt::setup::LmtErrorCode", "LmtErrorCode",
                 "zendrel::lmt::setup::LmtOperationStatus", "LmtOperationStatus",
                 "zendrel::lmt::setup::LmtToolInstallScope", "LmtToolInstallScope",
                 "zendrel::lmt::shared_toolkit::ConsoleMessageType", "ConsoleMessageType" })
            QVERIFY2(QMetaType::fromName(name).isValid(), name);

        QThread thread;
        Emitter emitter;
        emitter.moveToThread(&thread);
        thread.start();
        const auto stop = qScopeGuard([&] {
            thread.quit();
            thread.wait();
        });
        Receiver receiver;
        const auto queued = [&](const char *signal, const char *slot) {
            QVERIFY(connect(&emitter, signal, &receiver, slot, Qt::QueuedConnection));
        };
        queued(SIGNAL(error(LmtErrorCode, QString)), SLOT(onError(LmtErrorCode, QString)));
        queued(SIGNAL(downloadStatus(LmtOperationStatus, QString, QString)),
            SLOT(onStatus(LmtOperationStatus, QString, QString)));
        queued(SIGNAL(appendUILog(QString, ConsoleMessageType)),
            SLOT(onLog(QString, ConsoleMessageType)));
        queued(SIGNAL(scopeChanged(LmtToolInstallScope)), SLOT(onScope(LmtToolInstallScope)));
        QMetaObject::invokeMethod(&emitter, &Emitter::emitAll, Qt::QueuedConnection);
        QTRY_COMPARE_WITH_TIMEOUT(receiver.received.size(), 4, 10000);

        QCOMPARE(receiver.received,
            (QStringList { QStringLiteral("error %1 token").arg(int(AccessTokenError)),
                QStringLiteral("status %1 lmt.tools 1.0.0").arg(int(Cancelled)), "log line 5",
                QStringLiteral("scope %1").arg(int(LmtToolInstallScope::AllUsers)) }));
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
