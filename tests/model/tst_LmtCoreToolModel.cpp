#include "common/LmtModelFixtures.h"
#include "common/LmtTableRows.h"
#include "common/LmtTestSupport.h"
#include "model/LmtCoreToolModel.h"
#include "model/LmtModelScript.h"

#include <QtTest>

#include <stdexcept>

using namespace zendrel::lmt::setup;

// A tool outside any shared_ptr, which the factory never produces.
struct UnownedTool : LmtTool {
    UnownedTool()
        : LmtTool("com.unowned", LmtToolType::Other, "Unowned", true)
    {
    }
};

class TestLmtCoreToolModel : public QObject
{
    Q_OBJECT

    lmttest::Sandbox m_sandbox;

private Q_SLOTS:
    void determinesToolTypes_data()
    {
        lmttest::rowsFrom(
            "model/tool-types.txt", { "lmtType", "type", "featureId", "kind", "text" });
    }

    void determinesToolTypes()
    {
        QFETCH(QString, lmtType);
        QFETCH(QString, type);
        QFETCH(QString, featureId);
        const LmtToolType kind = determineToolType(lmtType, type, featureId);
        QTEST(QString::number(int(kind)), "kind");
        QTEST(toolTypeText(kind), "text");
        QCOMPARE(toolTypeText(LmtToolType::ThirdParty) + toolTypeText(LmtToolType(42)), QString());
    }

    void addsFindsAndClearsTools()
    {
        lmttest::LogCapture capture;
        lmttest::ModelScript script("tools t: o3.2.0.5 l3.2.0.5 o3.2.1; other Other: ; patch t:");
        LmtCoreToolModel &model = script.model;
        const auto tools = model.tools().first();
        QVERIFY(capture.contains("[LmtCoreToolModel] Add tool, featureid: t, lmttype: tools"));
        QVERIFY(capture.contains("[LmtTool] \tAdd Online version: 3.2.0.5")
            && capture.contains("[LmtTool] \tAdd Local version: 3.2.0.5"));
        // No duplicate check; the first one is found; case-sensitive.
        QCOMPARE(model.tools().size(), 3);
        QVERIFY(model.findTool("t") == tools && !model.findTool("other")
            && model.findTool("Other") == model.tools().at(1));

        QCOMPARE(script["t/l3.2.0.5"]->tool(), tools);
        QVERIFY(tools->hasVersion("3.2.1") && !tools->hasVersion("3.2.1.0"));
        // Each query's answer: lists, lookups by text ("none": not found), lines by number.
        QCOMPARE(
            QStringList({ script.names(tools->allVersions()), script.names(tools->onlineVersions()),
                            script.names(tools->localVersions()),
                            script.name(tools->findOnlineVersion("3.2.0.5")),
                            script.name(tools->findLocalVersion("3.2.0.5")),
                            script.name(tools->findLocalVersion("3.2.1")),
                            script.name(tools->findOnlineVersion("3.2.9")),
                            script.name(model.findOnlineVersion("t", "3.2.1")),
                            script.name(model.findOnlineVersion("t", "3.2.9")),
                            script.name(model.findOnlineVersion("none", "3.2.1")),
                            script.names(tools->onlineVersionsWith(3, 2, 0)),
                            script.names(tools->onlineVersionsWith(3, 3, 0)) })
                .join(" | "),
            "t/o3.2.0.5 t/l3.2.0.5 t/o3.2.1 | t/o3.2.0.5 t/o3.2.1 | t/l3.2.0.5 | t/o3.2.0.5 | "
            "t/l3.2.0.5 | none | none | t/o3.2.1 | none | none | t/o3.2.0.5 | ");

        model.clear();
        QVERIFY(model.tools().isEmpty() && !model.findTool("t"));
        QVERIFY(capture.contains("[LmtCoreToolModel] Clear core tool model"));

        // Adding to a tool outside any shared_ptr fails cleanly.
        UnownedTool unowned;
        const auto version = LmtOnlineToolVersion::create("1.0.0", 0, 0);
        QVERIFY_THROWS_EXCEPTION(std::bad_weak_ptr, unowned.addVersion(version));
        QVERIFY(unowned.allVersions().isEmpty() && unowned.onlineVersions().isEmpty()
            && !version->tool());
    }

    void restoringAnInvalidSelectionKeepsTheFirstChoice()
    {
        const lmttest::ModelScript earlier("tools t: o3.2.0.100* o3.2.0.200");
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, earlier["t/o3.2.0.200"]->setSelected(true));
        lmttest::ModelScript script("tools t: o3.2.0.100 o3.2.0.200");
        lmttest::LogCapture capture;
        script.model.restoreSelection(earlier.model.tools());
        QCOMPARE(script.state(), "t/o3.2.0.100* t/o3.2.0.200");
        QVERIFY(capture.contains("[LmtCoreToolModel] Invalid version invariant"));
    }

    // A catalogue asked one question; tests/data/model/catalogue-queries.txt lists them.
    void catalogueQueries_data()
    {
        lmttest::rowsFrom("model/catalogue-queries.txt", { "catalogue", "query", "answer" });
    }
    void catalogueQueries()
    {
        QFETCH(QString, catalogue);
        QFETCH(QString, query);
        lmttest::ModelScript script(catalogue);
        const LmtToolVersionList offered = script.all(true);
        const auto yesNo = [](bool value) { return QString(value ? "yes " : "no "); };
        lmttest::LogCapture capture;
        QString answer;
        if (query == "groups") {
            QStringList groups;
            const LmtVersionGroups found = script.model.tools().first()->versionGroups();
            for (auto group = found.cbegin(); group != found.cend(); ++group)
                groups << script.name(group.key()) + '=' + script.names(group.value());
            groups.sort();
            answer = groups.join(", ");
        } else if (query == "needs") {
            answer = (yesNo(script.model.hasSelectedOnlineVersions())
                + yesNo(script.model.selectionRequiresLogin())
                + yesNo(script.model.hasPendingChanges()))
                         .trimmed();
        } else if (query == "changes")
            answer = script.changes();
        else if (query.startsWith("restore ")) {
            script.model.restoreSelection(
                lmttest::ModelScript(query.section(' ', 1)).model.tools());
            answer = script.state() + " / " + script.changes();
        } else if (query == "inherit") {
            script.model.inheritInstallScopes();
            answer = script.state();
        } else if (query.startsWith("target ")) {
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

QTEST_GUILESS_MAIN(TestLmtCoreToolModel)
#include "tst_LmtCoreToolModel.moc"
