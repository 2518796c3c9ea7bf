#include "common/LmtModelFixtures.h"
#include "common/LmtTableRows.h"
#include "common/LmtTestSupport.h"
#include "model/LmtCoreToolModel.h"
#include "model/LmtModelScript.h"

#include <QtTest>

#include <stdexcept>

using namespace zendrel::lmt::setup;

// A tool outside any shared_ptr, which the factory never produces.
class UnownedTool : public LmtTool
{
public:
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
        // An empty type text ends the line (the log drops the trailing blank).
        QCOMPARE(capture.lines()
                     .filter(QRegularExpression(
                         "\\[LmtCoreToolModel\\] Add tool, featureid: Other, lmttype: ?$"))
                     .size(),
            1);
        QVERIFY(capture.contains("[LmtTool] \tAdd Online version: 3.2.0.5"));
        QVERIFY(capture.contains("[LmtTool] \tAdd Local version: 3.2.0.5"));
        QCOMPARE(model.tools().size(), 3); // no duplicate check
        QCOMPARE(model.findTool("t"), tools); // the first one
        QCOMPARE(model.findTool("other"), nullptr); // case-sensitive
        QCOMPARE(model.findTool("Other"), model.tools().at(1));
        // New tools have no registry id yet and take patch updates.
        QCOMPARE(tools->id(), -1);
        QVERIFY(LmtTool::create("n", LmtToolType::Other, "N")->isPatchVersionUpdatable());

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

        capture.clear();
        model.clear();
        QVERIFY(model.tools().isEmpty());
        QVERIFY(capture.contains("[LmtCoreToolModel] Clear core tool model"));
        QCOMPARE(model.findTool("t"), nullptr);
    }

    void addingToAnUnownedToolFailsCleanly()
    {
        UnownedTool tool;
        const auto version = LmtOnlineToolVersion::create("1.0.0", 0, 0);
        QVERIFY_THROWS_EXCEPTION(std::bad_weak_ptr, tool.addVersion(version));
        QVERIFY(tool.allVersions().isEmpty());
        QVERIFY(tool.onlineVersions().isEmpty());
        QCOMPARE(version->tool(), nullptr);
    }

    // Which installations lead a row of the select page, with the versions of their line.
    void versionGroupsPickTheHeadOfEachLine_data()
    {
        lmttest::rowsFrom("model/version-groups.txt", { "catalogue", "groups" });
    }
    void versionGroupsPickTheHeadOfEachLine()
    {
        QFETCH(QString, catalogue);
        const lmttest::ModelScript script(catalogue);
        QStringList groups;
        const LmtVersionGroups found = script.model.tools().first()->versionGroups();
        for (auto group = found.cbegin(); group != found.cend(); ++group)
            groups << script.name(group.key()) + '=' + script.names(group.value());
        groups.sort();
        QTEST(groups.join(", "), "groups");
    }

    void selectionDecidesWhatARunDoes_data()
    {
        lmttest::rowsFrom("model/pending-changes.txt", { "catalogue", "needs", "changes" });
    }
    void selectionDecidesWhatARunDoes()
    {
        QFETCH(QString, catalogue);
        const lmttest::ModelScript script(catalogue);
        const auto yesNo = [](bool value) { return QString(value ? "yes" : "no"); };
        QTEST(yesNo(script.model.hasSelectedOnlineVersions()) + ' '
                + yesNo(script.model.selectionRequiresLogin()) + ' '
                + yesNo(script.model.hasPendingChanges()),
            "needs");
        QTEST(script.changes(), "changes");
    }

    // A refreshed catalogue takes over what the user chose in the one before.
    void restoresTheSelectionOfAnEarlierModel_data()
    {
        lmttest::rowsFrom("model/restored-selection.txt", { "before", "after", "restored" });
    }
    void restoresTheSelectionOfAnEarlierModel()
    {
        QFETCH(QString, before);
        QFETCH(QString, after);
        const lmttest::ModelScript earlier(before);
        lmttest::ModelScript script(after);
        script.model.restoreSelection(earlier.model.tools());
        QTEST(script.state() + " / " + script.changes(), "restored");
    }

    void inheritsInstallScopes_data()
    {
        lmttest::rowsFrom("model/inherited-scopes.txt", { "catalogue", "inherited" });
    }
    void inheritsInstallScopes()
    {
        QFETCH(QString, catalogue);
        lmttest::ModelScript script(catalogue);
        script.model.inheritInstallScopes();
        QTEST(script.state(), "inherited");
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

QTEST_GUILESS_MAIN(TestLmtCoreToolModel)
#include "tst_LmtCoreToolModel.moc"
