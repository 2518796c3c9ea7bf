#include "common/LmtTableRows.h"
#include "common/LmtTestSupport.h"
#include "model/LmtModelScript.h"

#include <QtTest>

using namespace zendrel::lmt::setup;

class TestLmtInstallOrder : public QObject
{
    Q_OBJECT

    lmttest::Sandbox m_sandbox;

private Q_SLOTS:
    // The offered versions of a catalogue in the order they were written, asked one question:
    // "target id@min[-max]" (which one a dependency names), "keys" or "sort" (install order).
    void installOrder_data()
    {
        lmttest::rowsFrom("model/install-order.txt", { "catalogue", "query", "answer" });
    }
    void installOrder()
    {
        QFETCH(QString, catalogue);
        QFETCH(QString, query);
        const lmttest::ModelScript script(catalogue);
        const LmtToolVersionList offered = script.all(true);
        lmttest::LogCapture capture;
        QString answer;
        if (query.startsWith("target ")) {
            const QString target = query.section(' ', 1);
            const QStringList bounds = target.section('@', 1).split('-');
            answer = script.name(findDependencyTarget(offered,
                { target.section('@', 0, 0), bounds[0].toULongLong(),
                    bounds.size() > 1 ? bounds[1].toULongLong() : LmtToolDependency::Unbounded }));
        } else if (query == "keys") {
            QStringList keys;
            for (const auto &version : offered)
                keys << script.name(version) + '=' + QString::number(installOrderKey(*version));
            answer = keys.join(' ');
        } else {
            answer = script.names(sortForInstall(offered));
            if (capture.contains("Dependency cycle found"))
                answer += " (cycle)";
        }
        QTEST(answer, "answer");
    }
};

QTEST_GUILESS_MAIN(TestLmtInstallOrder)
#include "tst_LmtInstallOrder.moc"
