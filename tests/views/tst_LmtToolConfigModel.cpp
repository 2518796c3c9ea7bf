#include "common/LmtModelFixtures.h"
#include "common/LmtTestSupport.h"
#include "model/LmtCoreToolModel.h"
#include "services/LmtDownloadSettings.h"
#include "services/LmtVendorSite.h"
#include "views/LmtInstallPathCheck.h"
#include "views/LmtToolConfigModel.h"
#include "views/LmtViewTypes.h"

#include <QDir>
#include <QSignalSpy>
#include <QtTest>

using namespace zendrel::lmt::setup;
using lmttest::addLocal;
using lmttest::addOnline;

namespace {

constexpr auto CU = LmtToolInstallScope::CurrentUser;
constexpr auto AU = LmtToolInstallScope::AllUsers;

LmtToolConfigData configOf(const LmtToolConfigModel &model, int row)
{
    return model.index(row, LmtToolConfigModel::ColumnConfig)
        .data(Qt::UserRole)
        .value<LmtToolConfigData>();
}

LmtToolLinksData linksOf(const LmtToolConfigModel &model, int row)
{
    return model.index(row, LmtToolConfigModel::ColumnLinks)
        .data(Qt::UserRole)
        .value<LmtToolLinksData>();
}

QStringList namesOf(const LmtToolConfigModel &model)
{
    QStringList names;
    for (int row = 0; row < model.rowCount(); ++row)
        names << linksOf(model, row).name + " "
                + model.index(row, LmtToolConfigModel::ColumnVersion).data().toString();
    return names;
}

// A catalogue with one of each: a tools package (new install, both scopes), a patch, a tool
// without silent installer, a tool without registry ids, an update and an uninstall.
struct Catalogue {
    std::shared_ptr<LmtCoreToolModel> model = std::make_shared<LmtCoreToolModel>();
    std::shared_ptr<LmtOnlineToolVersion> tools;
    std::shared_ptr<LmtOnlineToolVersion> patch;
    std::shared_ptr<LmtOnlineToolVersion> loud;
    std::shared_ptr<LmtOnlineToolVersion> anonymous;
    std::shared_ptr<LmtOnlineToolVersion> update;
    std::shared_ptr<LmtLocalToolVersion> dropped;

    Catalogue()
    {
        auto toolsTool
            = LmtTool::create(LmtToolsPackageFeatureId, LmtToolType::ToolsPackage, "Lumetra Tools");
        toolsTool->setId(12);
        model->addTool(toolsTool);
        tools = LmtOnlineToolVersion::create("3.1.0", 0, 34);
        toolsTool->addVersion(tools);
        tools->setRecommendedScope(AU);
        tools->setInstallDirectoryFor(CU, "/home/u/ZR/Tools");
        tools->setInstallDirectoryFor(AU, "/opt/ZR/Tools");
        tools->setInstallScope(AU);
        tools->setInstallDirectory("/opt/ZR/Tools");
        tools->setSelected(true);

        auto patchTool = LmtTool::create("com.zdr.patch", LmtToolType::Patch, "Tools Patch");
        model->addTool(patchTool);
        patch = addOnline(patchTool, "3.1.1", 0, true);
        patch->setInstallDirectoryFor(CU, "/home/u/ZR/Tools");

        auto loudTool = LmtTool::create("com.zdr.loud", LmtToolType::Other, "Alpha Viewer");
        model->addTool(loudTool);
        loud = addOnline(loudTool, "1.0.0", 0, true);
        loud->setSilentInstall(false);
        loud->setInstallDirectoryFor(CU, "/home/u/Alpha");

        auto anonymousTool = LmtTool::create("com.zdr.anon", LmtToolType::Other, "Beta Probe");
        model->addTool(anonymousTool);
        anonymous = addOnline(anonymousTool, "2.0.0", 0, true);
        anonymous->setInstallDirectoryFor(CU, "/home/u/Beta");
        anonymous->setInstallDirectory("/home/u/Beta");

        auto updateTool = LmtTool::create("com.zdr.upd", LmtToolType::Other, "Delta Trace");
        updateTool->setId(7);
        model->addTool(updateTool);
        auto installed = addLocal(updateTool, "1.0.0");
        installed->setSelected(false);
        update = LmtOnlineToolVersion::create("1.0.3", 0, 8);
        updateTool->addVersion(update);
        update->setInstallDirectoryFor(CU, "/home/u/Delta");
        update->setSelected(true);

        auto droppedTool = LmtTool::create("com.zdr.gone", LmtToolType::Other, "Gamma Flash");
        model->addTool(droppedTool);
        dropped = addLocal(droppedTool, "0.9.0");
        dropped->setSelected(false);
    }
};

} // namespace

class tst_LmtToolConfigModel : public QObject
{
    Q_OBJECT

    lmttest::Sandbox m_sandbox;

private Q_SLOTS:
    void initTestCase() { registerViewMetaTypes(); }

    void customizableAndCustomDerivation()
    {
        LmtToolConfigData empty;
        QVERIFY(!empty.isCustomizable());
        QVERIFY(!empty.isCustom());

        LmtToolConfigData data;
        data.recommendedScope = AU;
        data.installScope = AU;
        data.defaultDirectories = { { AU, "/opt/ZR/Tools" } };
        data.installDirectory = "/opt/ZR/Tools";
        QVERIFY(data.isCustomizable());
        QVERIFY(!data.isCustom());

        data.installDirectory = "/opt/zr/Tools"; // case matters
        QVERIFY(data.isCustom());
        data.installDirectory = "/opt/ZR/Tools";
        data.installScope = CU; // no directory for this scope and only one scope to choose
        QVERIFY(!data.isCustomizable());
        QVERIFY(data.isCustom());
        data.installDirectory.clear();
        QVERIFY(data.isCustom()); // still not the recommended scope

        // Two scopes without any directory: scope only.
        LmtToolConfigData scopes;
        scopes.defaultDirectories = { { CU, QString() }, { AU, QString() } };
        QVERIFY(scopes.isCustomizable());
        QVERIFY(!scopes.isCustom());
        scopes.installScope = AU;
        QVERIFY(scopes.isCustom());

        QCOMPARE(installScopeText(CU), QStringLiteral("Install only for current user"));
        QCOMPARE(installScopeText(AU), QStringLiteral("Install for all users"));
    }

    void rowsPerKindInDisplayOrder()
    {
        Catalogue catalogue;
        LmtToolConfigModel installs(LmtToolConfigModel::NewInstalls);
        LmtToolConfigModel updates(LmtToolConfigModel::Updates);
        LmtToolConfigModel uninstalls(LmtToolConfigModel::Uninstalls);
        QSignalSpy resets(&installs, &QAbstractItemModel::modelReset);
        installs.updateToolsData(catalogue.model);
        updates.updateToolsData(catalogue.model);
        uninstalls.updateToolsData(catalogue.model);
        QCOMPARE(resets.count(), 1);

        QCOMPARE(namesOf(installs),
            QStringList({ "Tools Patch 3.1.1", "Lumetra Tools 3.1.0", "Alpha Viewer 1.0.0",
                "Beta Probe 2.0.0" }));
        QCOMPARE(namesOf(updates), QStringList({ "Delta Trace 1.0.3" }));
        QCOMPARE(namesOf(uninstalls), QStringList({ "Gamma Flash 0.9.0" }));
        QCOMPARE(installs.columnCount(), 3);
        QVERIFY(!installs.index(0, 1).data(Qt::UserRole).isValid());
        QVERIFY(!installs.index(0, 0).data(Qt::DisplayRole).isValid());
        QVERIFY(!installs.index(9, 1).data().isValid());

        // A null catalogue empties the tables.
        installs.updateToolsData(nullptr);
        QCOMPARE(installs.rowCount(), 0);
    }

    void linksFromTheRegistrySetting()
    {
        Catalogue catalogue;
        setKorOnlineUrl("https://mirror.example/api/tools");
        LmtToolConfigModel installs(LmtToolConfigModel::NewInstalls);
        installs.updateToolsData(catalogue.model);
        const LmtToolLinksData tools = linksOf(installs, 1);
        QCOMPARE(tools.name, QStringLiteral("Lumetra Tools"));
        QCOMPARE(tools.version, QStringLiteral("3.1.0"));
        QCOMPARE(tools.releaseNotesUrl,
            QStringLiteral("https://mirror.example/api/tools/12/versions/34/release-note/"));
        QCOMPARE(tools.licenseUrl,
            QStringLiteral("https://mirror.example/api/tools/12/versions/34/license/"));
        // The tool has no registry id: no documents.
        const LmtToolLinksData anonymous = linksOf(installs, 3);
        QCOMPARE(anonymous.name, QStringLiteral("Beta Probe"));
        QVERIFY(anonymous.releaseNotesUrl.isEmpty());
        QVERIFY(anonymous.licenseUrl.isEmpty());

        // A base that already ends in '/' gets none added.
        setKorOnlineUrl("https://mirror.example/api/tools/");
        LmtToolConfigModel updates(LmtToolConfigModel::Updates);
        updates.updateToolsData(catalogue.model);
        QCOMPARE(linksOf(updates, 0).licenseUrl,
            QStringLiteral("https://mirror.example/api/tools/7/versions/8/license/"));

        // Rows to uninstall carry only their name.
        LmtToolConfigModel uninstalls(LmtToolConfigModel::Uninstalls);
        uninstalls.updateToolsData(catalogue.model);
        QCOMPARE(linksOf(uninstalls, 0), (LmtToolLinksData { "Gamma Flash", {}, {}, {} }));
        setKorOnlineUrl(QString());
    }

    void configurationOnlyWhereAllowed()
    {
        Catalogue catalogue;
        LmtToolConfigModel installs(LmtToolConfigModel::NewInstalls);
        installs.updateToolsData(catalogue.model);

        const LmtToolConfigData tools = configOf(installs, 1);
        QCOMPARE(tools.recommendedScope, AU);
        QCOMPARE(tools.installScope, AU);
        QCOMPARE(tools.defaultDirectories,
            (QMap<LmtToolInstallScope, QString> {
                { CU, "/home/u/ZR/Tools" }, { AU, "/opt/ZR/Tools" } }));
        QCOMPARE(tools.installDirectory, QStringLiteral("/opt/ZR/Tools"));
        QVERIFY(tools.note.startsWith(
            "Note: the selected options require the ZR_TOOLS_PATHS variable to be set.<br/>"
            "Please refer to the <a href=\""));
        QVERIFY(tools.note.contains(toolsInstallationGuideUrl() + "\">Installation guide</a>"));
        QVERIFY(tools.note.endsWith("</a> for more information"));
        QVERIFY(toolsInstallationGuideUrl().startsWith(vendorSiteBaseUrl()));
        QVERIFY(installs.flags(installs.index(1, 2)) & Qt::ItemIsEditable);
        QVERIFY(!(installs.flags(installs.index(1, 1)) & Qt::ItemIsEditable));

        // Patch and non-silent installer: nothing to configure.
        QCOMPARE(configOf(installs, 0), LmtToolConfigData());
        QCOMPARE(configOf(installs, 2), LmtToolConfigData());
        QVERIFY(!(installs.flags(installs.index(0, 2)) & Qt::ItemIsEditable));
        QVERIFY(!(installs.flags(installs.index(2, 2)) & Qt::ItemIsEditable));
        QVERIFY(configOf(installs, 3).isCustomizable());

        // An update keeps its location.
        LmtToolConfigModel updates(LmtToolConfigModel::Updates);
        updates.updateToolsData(catalogue.model);
        QCOMPARE(configOf(updates, 0), LmtToolConfigData());
        QVERIFY(!(updates.flags(updates.index(0, 2)) & Qt::ItemIsEditable));

        // An update of a tools package still carries the note, but nothing to choose.
        auto installedTools = addLocal(catalogue.tools->tool(), "3.1.0");
        installedTools->setSelected(false);
        updates.updateToolsData(catalogue.model);
        QCOMPARE(updates.rowCount(), 2);
        const LmtToolConfigData toolsUpdate = configOf(updates, 0);
        QVERIFY(!toolsUpdate.note.isEmpty());
        QVERIFY(toolsUpdate.defaultDirectories.isEmpty());
        QVERIFY(!toolsUpdate.isCustomizable());
    }

    void setDataReachesTheVersion()
    {
        Catalogue catalogue;
        LmtToolConfigModel installs(LmtToolConfigModel::NewInstalls);
        installs.updateToolsData(catalogue.model);
        QSignalSpy changed(&installs, &QAbstractItemModel::dataChanged);

        LmtToolConfigData chosen = configOf(installs, 1);
        chosen.installScope = CU;
        chosen.installDirectory = "{username}-nowhere/Tools";
        chosen.note = "ignored";
        QVERIFY(installs.setData(installs.index(1, 2), QVariant::fromValue(chosen)));
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.at(0).at(0).toModelIndex(), installs.index(1, 2));
        QCOMPARE(catalogue.tools->installScope(), CU);
        // The version's setter expands the placeholders.
        QCOMPARE(catalogue.tools->installDirectory(),
            LmtToolVersion::expandPlaceholders("{username}-nowhere/Tools"));
        QVERIFY(!catalogue.tools->installDirectory().contains('{'));
        const LmtToolConfigData stored = configOf(installs, 1);
        QCOMPARE(stored.installScope, CU);
        QCOMPARE(stored.installDirectory, QStringLiteral("{username}-nowhere/Tools"));
        QCOMPARE(stored.recommendedScope, AU); // only scope and directory are taken over
        QVERIFY(stored.note.startsWith("Note:"));

        // Wrong role, wrong column, row outside, or a value of another type: refused.
        QVERIFY(!installs.setData(installs.index(1, 2), QVariant::fromValue(chosen), Qt::UserRole));
        QVERIFY(!installs.setData(installs.index(1, 1), QVariant::fromValue(chosen)));
        QVERIFY(!installs.setData(installs.index(7, 2), QVariant::fromValue(chosen)));
        QVERIFY(!installs.setData(installs.index(1, 2), QStringLiteral("/tmp")));
        QCOMPARE(changed.count(), 1);
    }

    void installPathCheck_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("rules"); // negative: this platform's
        QTest::addColumn<QString>("message"); // empty: accepted
        const QString spaces = QStringLiteral("The installation path cannot contain spaces.");
        const QString invalid = QStringLiteral("The installation path is invalid.");
        const auto row = [](const char *name, const QString &path, int rules, const QString &msg) {
            QTest::newRow(name) << path << rules << msg;
        };
        const int posix = int(LmtInstallPathRules::Posix);
        const int drive = int(LmtInstallPathRules::DriveLetter);
        row("spaces", "/opt/My Tools", posix, spaces);
        row("relative", "relative/Tools", posix, invalid);
        row("root", "/", posix, invalid);
        row("empty", "", posix, invalid);
        row("absolute", "/opt/ZR/Tools", posix, QString());
        row("not yet there", "/not/yet/there", posix, QString()); // the installer creates it
        // Drive rules: spaces and length first, then the drive of the first two characters.
        row("drive, spaces", "C:/My Tools", drive, spaces);
        row("drive, too short", "C", drive, invalid);
        row("drive, relative", "Tools", drive, invalid); // "To" is no drive
#ifdef Q_OS_WIN
        row("drive", "C:/ZR/Tools", drive, QString());
#else
        // Without drive letters every such path is refused, which is why POSIX has own rules.
        row("drive", "C:/ZR/Tools", drive, invalid);
        row("this platform, absolute", "/opt/ZR/Tools", -1, QString());
        row("this platform, relative", "ZR/Tools", -1, invalid);
#endif
    }

    void installPathCheck()
    {
        QFETCH(QString, path);
        QFETCH(int, rules);
        QFETCH(QString, message);
        const LmtInstallPathVerdict check = rules < 0
            ? checkInstallPath(path)
            : checkInstallPath(path, LmtInstallPathRules(rules));
        QCOMPARE(check.message, message);
        QCOMPARE(check.ok, message.isEmpty());
    }

    void browseRule_data()
    {
        QTest::addColumn<bool>("picked"); // false: where the browser starts for a typed path
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("defaultPath");
        QTest::addColumn<QString>("result");
        const QString def = "/opt/ZR/Tools";
        const QString existing = m_sandbox.filePath("Apps/Tools");
        QDir().mkpath(existing);
        // A typed path that does not exist yet and ends in the default's folder opens at its
        // parent; anything else opens where it points.
        QTest::newRow("start at parent")
            << false << "/nowhere/Apps/Tools" << def << "/nowhere/Apps";
        QTest::newRow("start existing") << false << existing << def << existing;
        QTest::newRow("start elsewhere")
            << false << "/nowhere/Apps/Other" << def << "/nowhere/Apps/Other";
        // A picked folder gets the default's folder appended unless it ends in it.
        QTest::newRow("pick drive") << true << "D:/Apps"
                                    << "C:/ZR/Tools"
                                    << "D:/Apps/Tools";
        QTest::newRow("pick with folder") << true << "D:/Apps/Tools"
                                          << "C:/ZR/Tools"
                                          << "D:/Apps/Tools";
        QTest::newRow("pick root") << true << "/" << def << "/Tools";
        QTest::newRow("pick with slash") << true << "/srv/" << def << "/srv/Tools";
        QTest::newRow("pick without default") << true << "/srv" << QString() << "/srv";
    }

    void browseRule()
    {
        QFETCH(bool, picked);
        QFETCH(QString, path);
        QFETCH(QString, defaultPath);
        QFETCH(QString, result);
        QCOMPARE(picked ? installPathFromBrowse(path, defaultPath)
                        : installBrowseStart(path, defaultPath),
            result);
    }
};

QTEST_GUILESS_MAIN(tst_LmtToolConfigModel)
#include "tst_LmtToolConfigModel.moc"
