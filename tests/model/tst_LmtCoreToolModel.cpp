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
        lmttest::rowsFrom("model/tool-types.txt", { "lmtType", "type", "featureId", "kind" });
    }

    void determinesToolTypes()
    {
        QFETCH(QString, lmtType);
        QFETCH(QString, type);
        QFETCH(QString, featureId);
        QTEST(QString::number(int(determineToolType(lmtType, type, featureId))), "kind");
    }

    void namesToolTypes()
    {
        QCOMPARE(toolTypeText(LmtToolType::ToolsPackage), "tools");
        QCOMPARE(toolTypeText(LmtToolType::Patch), "patch");
        QCOMPARE(toolTypeText(LmtToolType::ContentPack), "pack");
        QCOMPARE(toolTypeText(LmtToolType::External), "external");
        QCOMPARE(toolTypeText(LmtToolType::Other), QString());
        QCOMPARE(toolTypeText(LmtToolType::ThirdParty), QString());
        QCOMPARE(toolTypeText(static_cast<LmtToolType>(42)), QString());
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

        QCOMPARE(script.names(tools->allVersions()), "t/o3.2.0.5 t/l3.2.0.5 t/o3.2.1");
        QCOMPARE(script.names(tools->onlineVersions()), "t/o3.2.0.5 t/o3.2.1");
        QCOMPARE(script.names(tools->localVersions()), "t/l3.2.0.5");
        QCOMPARE(script["t/l3.2.0.5"]->tool(), tools);
        QVERIFY(tools->hasVersion("3.2.1") && !tools->hasVersion("3.2.1.0"));
        QCOMPARE(script.name(tools->findOnlineVersion("3.2.0.5")), "t/o3.2.0.5");
        QCOMPARE(script.name(tools->findLocalVersion("3.2.0.5")), "t/l3.2.0.5");
        QCOMPARE(script.name(tools->findLocalVersion("3.2.1")), "none");
        QCOMPARE(script.name(tools->findOnlineVersion("3.2.9")), "none");
        QCOMPARE(script.name(model.findOnlineVersion("t", "3.2.1")), "t/o3.2.1");
        QCOMPARE(script.name(model.findOnlineVersion("t", "3.2.9")), "none");
        QCOMPARE(script.name(model.findOnlineVersion("none", "3.2.1")), "none");
        QCOMPARE(script.names(tools->onlineVersionsWith(3, 2, 0)), "t/o3.2.0.5");
        QVERIFY(tools->onlineVersionsWith(3, 3, 0).isEmpty());

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
};

QTEST_GUILESS_MAIN(TestLmtCoreToolModel)
#include "tst_LmtCoreToolModel.moc"
