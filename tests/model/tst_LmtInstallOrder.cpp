#include "common/LmtModelFixtures.h"
#include "common/LmtTestSupport.h"
#include "model/LmtInstallOrder.h"

#include <QtTest>

using namespace zendrel::lmt::setup;
using lmttest::addOnline;

namespace {

std::shared_ptr<LmtTool> tool(const QString &featureId, LmtToolType type)
{
    return LmtTool::create(featureId, type, featureId);
}

} // namespace

class TestLmtInstallOrder : public QObject
{
    Q_OBJECT

    lmttest::Sandbox m_sandbox;

private Q_SLOTS:
    void findsTheHighestMatchingTarget()
    {
        const auto target = tool("com.t", LmtToolType::Other);
        const auto other = tool("com.o", LmtToolType::Other);
        const auto v5 = addOnline(target, "1.0.5", 5);
        const auto v10 = addOnline(target, "1.0.10", 10);
        const auto v20 = addOnline(target, "1.0.20", 20);
        const auto v10b = addOnline(target, "1.0.10.1", 10);
        const auto foreign = addOnline(other, "9.0.0", 100);
        const auto huge = addOnline(target, "9.9.9", std::numeric_limits<quint64>::max() - 1);
        const LmtToolVersionList list { v5, v10, foreign, v20, v10b };

        QCOMPARE(findDependencyTarget(list, { "com.t", 6, LmtToolDependency::Unbounded }), v20);
        QCOMPARE(findDependencyTarget(list, { "com.t", 0, 15 }), v10); // earliest on a tie
        QCOMPARE(findDependencyTarget(list, { "com.t", 5, 5 }), v5); // inclusive bounds
        QCOMPARE(
            findDependencyTarget(list, { "com.t", 21, LmtToolDependency::Unbounded }), nullptr);
        QCOMPARE(findDependencyTarget(list, { "com.T", 0, LmtToolDependency::Unbounded }),
            nullptr); // case-sensitive
        QCOMPARE(findDependencyTarget(list, { "com.o", 0, 99 }), nullptr);
        QCOMPARE(findDependencyTarget(list + LmtToolVersionList { huge },
                     { "com.t", 21, LmtToolDependency::Unbounded }),
            huge);
        QCOMPARE(findDependencyTarget({}, { "com.t", 0, LmtToolDependency::Unbounded }), nullptr);
    }

    void ordersByTypeAndVersion()
    {
        const auto tools = tool("com.tools", LmtToolType::ToolsPackage);
        const auto patch = tool("com.patch", LmtToolType::Patch);
        const auto pack = tool("com.pack", LmtToolType::ContentPack);
        const auto other = tool("com.other", LmtToolType::Other);

        const auto t310 = addOnline(tools, "3.10.0");
        const auto t320 = addOnline(tools, "3.2.0");
        const auto p321 = addOnline(patch, "3.2.1");
        const auto c100 = addOnline(pack, "1.0.0");
        const auto o999 = addOnline(other, "9.9.9");

        QCOMPARE(installOrderKey(*t320), Q_UINT64_C(1030200));
        QCOMPARE(installOrderKey(*p321), Q_UINT64_C(2030201));
        // The scaled major wraps in 32 bits.
        QCOMPARE(installOrderKey(*addOnline(other, "500000.1.2")), Q_UINT64_C(705032806));

        QCOMPARE(sortForInstall({ c100, p321, t310, o999, t320 }),
            LmtToolVersionList({ o999, t320, t310, p321, c100 }));
        QVERIFY(sortForInstall({}).isEmpty());
    }

    void installsDependenciesFirst()
    {
        const auto tools = tool("com.tools", LmtToolType::ToolsPackage);
        const auto pack = tool("com.pack", LmtToolType::ContentPack);
        const auto external = tool("com.ext", LmtToolType::External);
        const auto other = tool("com.other", LmtToolType::Other);

        // Keys alone give tools, pack, external; the dependencies reverse that chain.
        const auto t = addOnline(tools, "3.2.0", 30);
        const auto c = addOnline(pack, "1.0.0", 10);
        const auto e = addOnline(external, "2.0.0", 20);
        t->addDependency("com.pack", 5, LmtToolDependency::Unbounded);
        c->addDependency("com.ext", 0, 25);
        // A dependency outside the list and one out of range are ignored.
        e->addDependency("com.missing", 0, LmtToolDependency::Unbounded);
        e->addDependency("com.pack", 11, LmtToolDependency::Unbounded);
        const auto o = addOnline(other, "1.0.0", 1);

        QCOMPARE(sortForInstall({ t, c, e, o }), LmtToolVersionList({ o, e, c, t }));
        QCOMPARE(sortForInstall({ e, o, c, t }), LmtToolVersionList({ o, e, c, t }));
        // Without its target in the list a dependent stays in key order.
        QCOMPARE(sortForInstall({ c, t }), LmtToolVersionList({ c, t }));
        QCOMPARE(sortForInstall({ t, e }), LmtToolVersionList({ t, e }));
    }

    void keepsKeyOrderOnCycles()
    {
        const auto tools = tool("com.tools", LmtToolType::ToolsPackage);
        const auto pack = tool("com.pack", LmtToolType::ContentPack);
        const auto other = tool("com.other", LmtToolType::Other);
        const auto a = addOnline(tools, "1.0.0", 1);
        const auto b = addOnline(pack, "1.0.0", 1);
        const auto c = addOnline(other, "1.0.0", 1);
        a->addDependency("com.pack", 0, LmtToolDependency::Unbounded);
        b->addDependency("com.tools", 0, LmtToolDependency::Unbounded);
        c->addDependency("com.pack", 0, LmtToolDependency::Unbounded);

        lmttest::LogCapture capture;
        // Key order is other, tools, pack; c -> b would otherwise move b first.
        QCOMPARE(sortForInstall({ b, a, c }), LmtToolVersionList({ c, a, b }));
        QVERIFY(capture.contains("Dependency cycle found"));

        // A version depending on its own tool is a cycle as well.
        const auto self = tool("com.self", LmtToolType::Other);
        const auto s = addOnline(self, "2.0.0", 1);
        s->addDependency("com.self", 0, LmtToolDependency::Unbounded);
        const auto t = addOnline(tool("com.t", LmtToolType::Other), "1.0.0", 1);
        t->addDependency("com.self", 0, LmtToolDependency::Unbounded);
        QCOMPARE(sortForInstall({ s, t }), LmtToolVersionList({ t, s }));
    }
};

QTEST_GUILESS_MAIN(TestLmtInstallOrder)
#include "tst_LmtInstallOrder.moc"
