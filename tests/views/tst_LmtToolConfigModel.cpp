#include "common/LmtTestSupport.h"
#include "model/LmtCoreToolModel.h"
#include "services/LmtDownloadSettings.h"
#include "services/LmtVendorSite.h"
#include "views/LmtInstallPathCheck.h"
#include "views/LmtToolConfigModel.h"
#include "views/LmtViewTypes.h"
#include "views/SelectTestCatalogue.h"

#include <QDir>
#include <QSignalSpy>
#include <QtTest>

using namespace zendrel::lmt::setup;

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

} // namespace

class tst_LmtToolConfigModel : public QObject
{
    Q_OBJECT

    lmttest::Sandbox m_sandbox;
    // One of each: a tools package (new install, both scopes), a patch, a tool without silent
    // installer, a tool without registry ids, an update and an uninstall.
    std::unique_ptr<selecttest::Catalogue> m_catalogue;
    std::shared_ptr<LmtToolVersion> m_tools;

private Q_SLOTS:
    void initTestCase() { registerViewMetaTypes(); }

    void init()
    {
        m_catalogue = std::make_unique<selecttest::Catalogue>("views/config.json");
        m_tools = m_catalogue->version("tools");
    }

    // Customizable: more than one scope, or a directory to choose; custom: not the
    // recommended scope or not its default directory (case matters).
    void customizableAndCustomDerivation_data() { selecttest::addRows("views/config-custom.json"); }

    void customizableAndCustomDerivation()
    {
        QFETCH(QJsonObject, given);
        LmtToolConfigData data;
        data.recommendedScope = selecttest::scopeOf(given["recommended"]);
        data.installScope = selecttest::scopeOf(given["scope"]);
        const QJsonObject dirs = given["dirs"].toObject();
        for (auto dir = dirs.begin(); dir != dirs.end(); ++dir)
            data.defaultDirectories.insert(selecttest::scopeOf(dir.key()), dir.value().toString());
        data.installDirectory = given["dir"].toString();
        QCOMPARE(data.isCustomizable(), given["customizable"].toBool());
        QCOMPARE(data.isCustom(), given["custom"].toBool());
    }

    void rowsPerKindInDisplayOrder()
    {
        LmtToolConfigModel installs(LmtToolConfigModel::NewInstalls);
        LmtToolConfigModel updates(LmtToolConfigModel::Updates);
        LmtToolConfigModel uninstalls(LmtToolConfigModel::Uninstalls);
        QSignalSpy resets(&installs, &QAbstractItemModel::modelReset);
        installs.updateToolsData(m_catalogue->model);
        updates.updateToolsData(m_catalogue->model);
        uninstalls.updateToolsData(m_catalogue->model);
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
        setKorOnlineUrl("https://mirror.example/api/tools");
        LmtToolConfigModel installs(LmtToolConfigModel::NewInstalls);
        installs.updateToolsData(m_catalogue->model);
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
        updates.updateToolsData(m_catalogue->model);
        QCOMPARE(linksOf(updates, 0).licenseUrl,
            QStringLiteral("https://mirror.example/api/tools/7/versions/8/license/"));

        // Rows to uninstall carry only their name.
        LmtToolConfigModel uninstalls(LmtToolConfigModel::Uninstalls);
        uninstalls.updateToolsData(m_catalogue->model);
        QCOMPARE(linksOf(uninstalls, 0), (LmtToolLinksData { "Gamma Flash", {}, {}, {} }));
        setKorOnlineUrl(QString());
    }

    void configurationOnlyWhereAllowed()
    {
        LmtToolConfigModel installs(LmtToolConfigModel::NewInstalls);
        installs.updateToolsData(m_catalogue->model);

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
        updates.updateToolsData(m_catalogue->model);
        QCOMPARE(configOf(updates, 0), LmtToolConfigData());
        QVERIFY(!(updates.flags(updates.index(0, 2)) & Qt::ItemIsEditable));

        // An update of a tools package still carries the note, but nothing to choose.
        auto installedTools = lmttest::addLocal(m_tools->tool(), "3.1.0");
        installedTools->setSelected(false);
        updates.updateToolsData(m_catalogue->model);
        QCOMPARE(updates.rowCount(), 2);
        const LmtToolConfigData toolsUpdate = configOf(updates, 0);
        QVERIFY(!toolsUpdate.note.isEmpty());
        QVERIFY(toolsUpdate.defaultDirectories.isEmpty());
        QVERIFY(!toolsUpdate.isCustomizable());
    }

    void setDataReachesTheVersion()
    {
        LmtToolConfigModel installs(LmtToolConfigModel::NewInstalls);
        installs.updateToolsData(m_catalogue->model);
        QSignalSpy changed(&installs, &QAbstractItemModel::dataChanged);

        LmtToolConfigData chosen = configOf(installs, 1);
        chosen.installScope = CU;
        chosen.installDirectory = "{username}-nowhere/Tools";
        chosen.note = "ignored";
        QVERIFY(installs.setData(installs.index(1, 2), QVariant::fromValue(chosen)));
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.at(0).at(0).toModelIndex(), installs.index(1, 2));
        QCOMPARE(m_tools->installScope(), CU);
        // The version's setter expands the placeholders.
        QCOMPARE(m_tools->installDirectory(),
            LmtToolVersion::expandPlaceholders("{username}-nowhere/Tools"));
        QVERIFY(!m_tools->installDirectory().contains('{'));
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

    void installPathCheck_data() { selecttest::addRows("views/install-paths.json"); }

    void installPathCheck()
    {
        QFETCH(QJsonObject, given);
        const QString path = given["path"].toString();
        QString message = given["message"].toString();
#ifdef Q_OS_WIN
        if (given["onWindows"] == "skip")
            QSKIP("the rules of this platform differ");
        message = given["onWindows"].toString(message);
#endif
        const QString rules = given["rules"].toString();
        const LmtInstallPathVerdict check = rules.isEmpty()
            ? checkInstallPath(path)
            : checkInstallPath(path,
                rules == "posix" ? LmtInstallPathRules::Posix : LmtInstallPathRules::DriveLetter);
        QCOMPARE(check.message, message);
        QCOMPARE(check.ok, message.isEmpty());
    }

    // Where the browser starts for a typed path, and the path made of a picked folder.
    void browseRule_data()
    {
        selecttest::addRows("views/browse.json");
    }

    void browseRule()
    {
        QFETCH(QJsonObject, given);
        const auto read = [this, &given](const char *key) {
            return given[key].toString().replace("{sandbox}", m_sandbox.path());
        };
        QDir().mkpath(m_sandbox.filePath("Apps/Tools"));
        QCOMPARE(given.contains("picked") ? installPathFromBrowse(read("picked"), read("default"))
                                          : installBrowseStart(read("start"), read("default")),
            read("result"));
    }
};

QTEST_GUILESS_MAIN(tst_LmtToolConfigModel)
#include "tst_LmtToolConfigModel.moc"
