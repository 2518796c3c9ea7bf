#include "common/LmtModelFixtures.h"
#include "common/LmtTestSupport.h"
#include "model/LmtCoreToolModel.h"
#include "model/LmtRowFile.h"

#include <QtTest>

#include <stdexcept>

using namespace zendrel::lmt::setup;
using lmttest::addLocal;
using lmttest::addOnline;

namespace {

const QString toolsId = QStringLiteral("com.zdr.tb.tool.lumetra");

std::shared_ptr<LmtTool> addTool(
    LmtCoreToolModel &model, const QString &featureId, LmtToolType type, bool loginRequired = true)
{
    auto tool = LmtTool::create(featureId, type, featureId + " name", loginRequired);
    model.addTool(tool);
    return tool;
}

template<typename T>
LmtToolVersionList generic(const QList<std::shared_ptr<T>> &versions)
{
    return LmtToolVersionList(versions.cbegin(), versions.cend());
}

} // namespace

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
        LmtCoreToolModel model;
        const auto tools = addTool(model, toolsId, LmtToolType::ToolsPackage);
        const auto other = addTool(model, "com.Other", LmtToolType::Other, false);
        const auto duplicate = addTool(model, toolsId, LmtToolType::Patch);
        QVERIFY(capture.contains("[LmtCoreToolModel] Add tool, featureid: "
                                 "com.zdr.tb.tool.lumetra, lmttype: tools"));
        // An empty type text ends the line (the log drops the trailing blank).
        QVERIFY(capture.lines()
                    .filter(QRegularExpression(
                        "\\[LmtCoreToolModel\\] Add tool, featureid: com.Other, lmttype: ?$"))
                    .size()
            == 1);
        QCOMPARE(model.tools(), LmtToolList({ tools, other, duplicate })); // no duplicate check

        QCOMPARE(model.findTool(toolsId), tools); // the first one
        QCOMPARE(model.findTool("com.other"), nullptr); // case-sensitive
        QCOMPARE(model.findTool("com.Other"), other);

        // New tools have no registry id yet and take patch updates.
        QCOMPARE(tools->id(), -1);
        QVERIFY(tools->isPatchVersionUpdatable());

        capture.clear();
        const auto offered = addOnline(tools, "3.2.0.5");
        const auto installed = addLocal(tools, "3.2.0.5");
        const auto offeredNext = addOnline(tools, "3.2.1");
        QVERIFY(capture.contains("[LmtTool] \tAdd Online version: 3.2.0.5"));
        QVERIFY(capture.contains("[LmtTool] \tAdd Local version: 3.2.0.5"));
        QCOMPARE(tools->allVersions(), LmtToolVersionList({ offered, installed, offeredNext }));
        QCOMPARE(tools->onlineVersions(), LmtToolVersionList({ offered, offeredNext }));
        QCOMPARE(tools->localVersions(), LmtToolVersionList({ installed }));
        QCOMPARE(installed->tool(), tools);

        QVERIFY(tools->hasVersion("3.2.1"));
        QVERIFY(!tools->hasVersion("3.2.1.0"));
        QCOMPARE(tools->findOnlineVersion("3.2.0.5"), offered);
        QCOMPARE(tools->findLocalVersion("3.2.0.5"), installed);
        QCOMPARE(tools->findLocalVersion("3.2.1"), nullptr);
        QCOMPARE(tools->findOnlineVersion("3.2.9"), nullptr);
        QCOMPARE(model.findOnlineVersion(toolsId, "3.2.1"), offeredNext);
        QCOMPARE(model.findOnlineVersion(toolsId, "3.2.9"), nullptr);
        QCOMPARE(model.findOnlineVersion("com.none", "3.2.1"), nullptr);
        QCOMPARE(tools->onlineVersionsWith(3, 2, 0), LmtToolVersionList({ offered }));
        QVERIFY(tools->onlineVersionsWith(3, 3, 0).isEmpty());

        capture.clear();
        model.clear();
        QVERIFY(model.tools().isEmpty());
        QVERIFY(capture.contains("[LmtCoreToolModel] Clear core tool model"));
        QCOMPARE(model.findTool(toolsId), nullptr);
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

    void reportsWhatTheSelectionNeeds()
    {
        LmtCoreToolModel model;
        const auto free = addTool(model, "com.free", LmtToolType::External, false);
        const auto guarded = addTool(model, "com.guarded", LmtToolType::External, true);
        const auto freeVersion = addOnline(free, "1.0.0");
        const auto guardedVersion = addOnline(guarded, "1.0.0");
        const auto installed = addLocal(guarded, "0.9.0");

        // Installed versions start kept and offered ones unselected: nothing to do.
        QVERIFY(!model.hasSelectedOnlineVersions());
        QVERIFY(!model.selectionRequiresLogin());
        QVERIFY(!model.hasPendingChanges());

        freeVersion->setSelected(true);
        QVERIFY(model.hasSelectedOnlineVersions());
        QVERIFY(!model.selectionRequiresLogin());
        QVERIFY(model.hasPendingChanges());

        guardedVersion->setSelected(true);
        QVERIFY(model.selectionRequiresLogin());

        freeVersion->setSelected(false);
        guardedVersion->setSelected(false);
        installed->setSelected(false); // to be removed
        QVERIFY(!model.hasSelectedOnlineVersions());
        QVERIFY(model.hasPendingChanges());
    }

    void versionGroupsPickTheHeadOfEachLine()
    {
        const auto tools = LmtTool::create(toolsId, LmtToolType::ToolsPackage, "Tools");
        const auto o320 = addOnline(tools, "3.2.0");
        const auto o325 = addOnline(tools, "3.2.5");
        const auto i321 = addLocal(tools, "3.2.1");
        const auto o330 = addOnline(tools, "3.3.0");
        const auto o331 = addOnline(tools, "3.3.1");

        // The kept installation heads its line; the newest offered one heads a line of offers.
        LmtVersionGroups groups = tools->versionGroups();
        QCOMPARE(groups.keys().size(), 2);
        QCOMPARE(groups.value(i321), LmtToolVersionList({ o320, o325, i321 }));
        QCOMPARE(groups.value(o331), LmtToolVersionList({ o330, o331 }));

        // A selected version heads its line unless a newer one is selected as well.
        o325->setSelected(true);
        groups = tools->versionGroups();
        QCOMPARE(groups.keys().size(), 2);
        QVERIFY(groups.contains(o325));
        QCOMPARE(groups.value(o325), LmtToolVersionList({ o320, o325, i321 }));
        o330->setSelected(true);
        QVERIFY(tools->versionGroups().contains(o330)); // the only selected one of its line

        // An installed version marked for removal still heads its line, before an offered
        // version, even a newer one.
        o325->setSelected(false);
        i321->setSelected(false);
        groups = tools->versionGroups();
        QCOMPARE(groups.keys().size(), 2);
        QVERIFY(groups.contains(i321));
        QVERIFY(groups.contains(o330));

        // Two installations of one line (both scopes) head a row each.
        const auto i322 = addLocal(tools, "3.2.2", LmtToolInstallScope::AllUsers);
        i321->setSelected(true);
        groups = tools->versionGroups();
        QVERIFY(groups.contains(i321) && groups.contains(i322));
        QCOMPARE(groups.value(i322), LmtToolVersionList({ o320, o325, i322 }));

        // Of several unselected installations of an External tool the newest leads.
        const auto external = LmtTool::create("com.e", LmtToolType::External, "Ext");
        const auto e1 = addLocal(external, "1.0.0");
        const auto e2 = addLocal(external, "2.0.0");
        const auto e3 = addOnline(external, "3.0.0");
        e1->setSelected(false);
        e2->setSelected(false);
        groups = external->versionGroups();
        QCOMPARE(groups.keys(), QList<std::shared_ptr<LmtToolVersion>>({ e2 }));
        QCOMPARE(groups.value(e2), LmtToolVersionList({ e1, e2, e3 }));

        QVERIFY(LmtTool::create("com.x", LmtToolType::Other, "X")->versionGroups().isEmpty());
    }

    void classifiesPendingChanges()
    {
        LmtCoreToolModel model;
        const auto tools = addTool(model, toolsId, LmtToolType::ToolsPackage);
        const auto external = addTool(model, "com.e", LmtToolType::External);
        const auto pack = addTool(model, "com.pack", LmtToolType::ContentPack);

        const auto i321 = addLocal(tools, "3.2.1");
        const auto o325 = addOnline(tools, "3.2.5", 0, true);
        const auto o330 = addOnline(tools, "3.3.0", 0, true);
        i321->setSelected(false);

        external->setIsPatchVersionUpdatable(false);
        const auto e213 = addLocal(external, "2.1.3");
        const auto e214 = addOnline(external, "2.1.4", 0, true);
        e213->setSelected(false);

        const auto packKept = addLocal(pack, "1.0.0");
        const auto packGone = addLocal(pack, "0.5.0");
        packGone->setSelected(false);
        Q_UNUSED(packKept)

        QCOMPARE(model.updateVersions(), LmtToolVersionList({ o325 }));
        // The External tool without patch updates: a new install next to an uninstall.
        QCOMPARE(model.newInstallVersions(), LmtToolVersionList({ o330, e214 }));
        QCOMPARE(model.versionsToUninstall(), LmtToolVersionList({ e213, packGone }));

        QCOMPARE(generic(model.installList()), LmtToolVersionList({ o325, o330, e214 }));
        // Packs install before External tools, so they are removed after them.
        QCOMPARE(generic(model.uninstallList()), LmtToolVersionList({ e213, packGone }));

        // With patch updates the same choice is an update.
        external->setIsPatchVersionUpdatable(true);
        QCOMPARE(model.updateVersions(), LmtToolVersionList({ o325, e214 }));
        QCOMPARE(model.versionsToUninstall(), LmtToolVersionList({ packGone }));
    }

    void uninstallsDependentsFirst()
    {
        LmtCoreToolModel model;
        const auto toolA = addTool(model, "com.a", LmtToolType::ToolsPackage);
        const auto toolB = addTool(model, "com.b", LmtToolType::ContentPack);
        const auto a = addLocal(toolA, "1.0.0", LmtToolInstallScope::CurrentUser, 100);
        const auto b = addLocal(toolB, "1.0.0", LmtToolInstallScope::CurrentUser, 200);
        a->addDependency("com.b", 150, LmtToolDependency::Unbounded);
        a->setSelected(false);
        b->setSelected(false);
        // By key alone A (tools) would be installed first and so removed last.
        QCOMPARE(generic(model.uninstallList()), LmtToolVersionList({ a, b }));

        const auto c = addLocal(addTool(model, "com.c", LmtToolType::Other), "1.0.0");
        c->setSelected(false);
        QCOMPARE(generic(model.uninstallList()), LmtToolVersionList({ a, b, c }));
    }

    void restoresTheSelectionOfAnEarlierModel()
    {
        LmtCoreToolModel before;
        const auto oldTools = addTool(before, toolsId, LmtToolType::ToolsPackage);
        const auto oldInstalled = addLocal(oldTools, "3.2.1");
        const auto oldKept = addLocal(oldTools, "3.1.0");
        const auto oldOffered = addOnline(oldTools, "3.2.5", 0, true);
        const auto oldVanished = addOnline(oldTools, "3.4.0", 0, true);
        oldInstalled->setSelected(false);
        oldOffered->setInstallScope(LmtToolInstallScope::AllUsers);
        oldOffered->setInstallDirectory("/opt/lumetra");
        oldTools->setSelectedVersionKey("3.2.5");
        Q_UNUSED(oldKept)
        Q_UNUSED(oldVanished)

        const auto oldGoneTool = addTool(before, "com.gone", LmtToolType::Other);
        addOnline(oldGoneTool, "1.0.0", 0, true);
        const auto oldPack = addTool(before, "com.pack", LmtToolType::ContentPack);
        addOnline(oldPack, "2.0.0", 0, true);
        oldPack->setSelectedVersionKey("2.0.0");

        LmtCoreToolModel after;
        const auto tools = addTool(after, toolsId, LmtToolType::ToolsPackage);
        const auto installed = addLocal(tools, "3.2.1");
        const auto kept = addLocal(tools, "3.1.0");
        const auto offered = addOnline(tools, "3.2.5");
        const auto other = addOnline(tools, "3.3.0");
        const auto pack = addTool(after, "com.pack", LmtToolType::ContentPack);
        const auto packOffer = addOnline(pack, "3.0.0");

        after.restoreSelection(before.tools());
        QVERIFY(!installed->selected());
        QVERIFY(kept->selected());
        QVERIFY(offered->selected());
        QCOMPARE(offered->installScope(), LmtToolInstallScope::AllUsers);
        QCOMPARE(offered->installDirectory(), "/opt/lumetra");
        QVERIFY(!other->selected());
        QCOMPARE(tools->selectedVersionKey(), "3.2.5");
        // The chosen pack version is gone: defaults stay, the drop-down key is carried over.
        QVERIFY(!packOffer->selected());
        QCOMPARE(packOffer->installScope(), LmtToolInstallScope::CurrentUser);
        QCOMPARE(pack->selectedVersionKey(), "2.0.0");
        QCOMPARE(after.tools().size(), 2);
    }

    // One version installed for both scopes: only the installation the user unticked stays
    // unticked after a refresh, whichever of the two it was.
    void restoresEachScopeOfOneVersionOnItsOwn_data()
    {
        QTest::addColumn<LmtToolInstallScope>("unticked");
        QTest::newRow("current user") << LmtToolInstallScope::CurrentUser;
        QTest::newRow("all users") << LmtToolInstallScope::AllUsers;
    }

    void restoresEachScopeOfOneVersionOnItsOwn()
    {
        QFETCH(LmtToolInstallScope, unticked);
        const auto build = [](LmtCoreToolModel &model) {
            const auto tools = addTool(model, toolsId, LmtToolType::ToolsPackage);
            addOnline(tools, "3.2.0");
            return QList<std::shared_ptr<LmtLocalToolVersion>> {
                addLocal(tools, "3.2.0", LmtToolInstallScope::CurrentUser),
                addLocal(tools, "3.2.0", LmtToolInstallScope::AllUsers),
            };
        };
        LmtCoreToolModel before;
        for (const auto &old : build(before))
            old->setSelected(old->installScope() != unticked);

        LmtCoreToolModel after;
        const auto installations = build(after);
        after.restoreSelection(before.tools());
        for (const auto &installation : installations)
            QCOMPARE(installation->selected(), installation->installScope() != unticked);
        QCOMPARE(generic(after.versionsToUninstall()).size(), 1);
    }

    void restoringAnInvalidSelectionKeepsTheFirstChoice()
    {
        LmtCoreToolModel before;
        const auto oldTools = addTool(before, toolsId, LmtToolType::ToolsPackage);
        addOnline(oldTools, "3.2.0.100", 0, true);
        const auto oldSecond = addOnline(oldTools, "3.2.0.200");
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, oldSecond->setSelected(true));

        LmtCoreToolModel after;
        const auto tools = addTool(after, toolsId, LmtToolType::ToolsPackage);
        const auto first = addOnline(tools, "3.2.0.100");
        const auto second = addOnline(tools, "3.2.0.200");
        lmttest::LogCapture capture;
        after.restoreSelection(before.tools());
        QVERIFY(first->selected());
        QVERIFY(!second->selected());
        QVERIFY(capture.contains("[LmtCoreToolModel] Invalid version invariant"));
    }

    void inheritsInstallScopes()
    {
        LmtCoreToolModel model;
        const auto tools = addTool(model, toolsId, LmtToolType::ToolsPackage);
        const auto patches = addTool(model, "com.patch", LmtToolType::Patch);
        const auto pack = addTool(model, "com.pack", LmtToolType::ContentPack);

        // An update takes over the scope and location of what it replaces.
        const auto installed = addLocal(tools, "3.2.1", LmtToolInstallScope::AllUsers);
        const auto update = addOnline(tools, "3.2.5", 0, true);
        installed->setSelected(false);
        update->setInstallDirectory("/home/me/tools");

        // A new install keeps what the user configured.
        const auto fresh = addOnline(pack, "1.0.0", 0, true);
        fresh->setInstallScope(LmtToolInstallScope::AllUsers);
        fresh->setInstallDirectory("/opt/pack");

        // A patch follows the one selected tools package of its major.minor.
        const auto patch = addOnline(patches, "3.2.7", 0, true);
        const auto unrelatedPatch = addOnline(patches, "4.0.1", 0, true);
        unrelatedPatch->setInstallScope(LmtToolInstallScope::AllUsers);
        addOnline(tools, "4.1.0", 0, true); // other minor: no candidate for 4.0.1

        model.inheritInstallScopes();
        QCOMPARE(update->installScope(), LmtToolInstallScope::AllUsers);
        QCOMPARE(update->installDirectory(), QString());
        QCOMPARE(fresh->installScope(), LmtToolInstallScope::AllUsers);
        QCOMPARE(fresh->installDirectory(), "/opt/pack");
        // Updates come first, so the patch already sees the scope the update inherited.
        QCOMPARE(patch->installScope(), LmtToolInstallScope::AllUsers);
        QCOMPARE(unrelatedPatch->installScope(), LmtToolInstallScope::AllUsers);

        // Two candidates (a second, kept installation of 3.2) leave the patch alone.
        const auto second = addLocal(tools, "3.2.0", LmtToolInstallScope::CurrentUser);
        QVERIFY(second->selected());
        patch->setInstallScope(LmtToolInstallScope::CurrentUser);
        model.inheritInstallScopes();
        QCOMPARE(patch->installScope(), LmtToolInstallScope::CurrentUser);
        second->setSelected(false);
        model.inheritInstallScopes();
        QCOMPARE(patch->installScope(), LmtToolInstallScope::AllUsers);
    }
};

QTEST_GUILESS_MAIN(TestLmtCoreToolModel)
#include "tst_LmtCoreToolModel.moc"
