#include "common/LmtTableRows.h"
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

QString scopeName(LmtToolInstallScope scope)
{
    return scope == AU ? "all" : "user";
}

// A row as one line: name and version, release-notes and licence addresses, then the
// configuration (recommended and chosen scope, default folders, folder, whether there is
// something to choose, the note with {guide} for the guide's address) or "-", and which
// columns are editable.
QString snapshot(const LmtToolConfigModel &model, int row)
{
    const auto links = model.index(row, 0).data(Qt::UserRole).value<LmtToolLinksData>();
    const LmtToolConfigData config = configOf(model, row);
    QStringList line { links.name, model.index(row, 1).data().toString(), links.version,
        links.releaseNotesUrl, links.licenseUrl, "-", "" };
    if (!(config == LmtToolConfigData())) {
        QStringList dirs;
        for (auto it = config.defaultDirectories.begin(); it != config.defaultDirectories.end();
             ++it)
            dirs << scopeName(it.key()) + "=" + it.value();
        line[5] = QStringList(
            { scopeName(config.recommendedScope), scopeName(config.installScope), dirs.join(','),
                config.installDirectory, config.isCustomizable() ? "choice" : "fixed",
                QString(config.note).replace(toolsInstallationGuideUrl(), "{guide}") })
                      .join(' ');
    }
    for (int column = 0; column < model.columnCount(); ++column)
        line[6] += model.flags(model.index(row, column)) & Qt::ItemIsEditable ? "w" : "-";
    return line.join(" | ");
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
    void customizableAndCustomDerivation_data()
    {
        lmttest::rowsFrom("views/config-custom.json", "given");
    }

    void customizableAndCustomDerivation()
    {
        QFETCH(QJsonObject, given);
        LmtToolConfigData data = selecttest::configDataOf(given);
        QCOMPARE(data.isCustomizable(), given["customizable"].toBool());
        QCOMPARE(data.isCustom(), given["custom"].toBool());
    }

    // Per kind of table, with the registry address given, and after "install L" (an
    // installed copy of L's tool that is not kept, making L an update): every row.
    void rowsPerKind_data() { lmttest::rowsFrom("views/config-rows.json", "given"); }

    void rowsPerKind()
    {
        QFETCH(QJsonObject, given);
        static const QStringList kinds { "NewInstalls", "Updates", "Uninstalls" };
        LmtToolConfigModel model(kinds.indexOf(given["kind"].toString()));
        setKorOnlineUrl(given["registry"].toString());
        for (const QJsonValue &label : given["install"].toArray())
            lmttest::addLocal(m_catalogue->version(label.toString())->tool(), "3.1.0")
                ->setSelected(false);
        QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
        model.updateToolsData(m_catalogue->model);
        QStringList rows, expected;
        for (int row = 0; row < model.rowCount(); ++row)
            rows << snapshot(model, row);
        for (const QJsonValue &line : given["rows"].toArray())
            expected << line.toString();
        setKorOnlineUrl(QString());
        QCOMPARE(rows, expected);
        QCOMPARE(resets.count() + model.columnCount(), 1 + 3);
        QVERIFY(toolsInstallationGuideUrl().startsWith(vendorSiteBaseUrl()));
        QVERIFY(!model.index(0, 1).data(Qt::UserRole).isValid());
        QVERIFY(!model.index(0, 0).data().isValid() && !model.index(9, 1).data().isValid());
        // A null catalogue empties the table.
        model.updateToolsData(nullptr);
        QCOMPARE(model.rowCount(), 0);
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
        // Wrong role, wrong column, row outside, or a value of another type: refused.
        QVERIFY(!installs.setData(installs.index(1, 2), QVariant::fromValue(chosen), Qt::UserRole));
        QVERIFY(!installs.setData(installs.index(1, 1), QVariant::fromValue(chosen)));
        QVERIFY(!installs.setData(installs.index(7, 2), QVariant::fromValue(chosen)));
        QVERIFY(!installs.setData(installs.index(1, 2), QStringLiteral("/tmp")));
        QVERIFY(installs.setData(installs.index(1, 2), QVariant::fromValue(chosen)));
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.at(0).at(0).toModelIndex(), installs.index(1, 2));
        // The version's setter expands the placeholders; only scope and directory are taken.
        QCOMPARE(m_tools->installScope(), CU);
        QCOMPARE(m_tools->installDirectory(),
            LmtToolVersion::expandPlaceholders("{username}-nowhere/Tools"));
        QVERIFY(!m_tools->installDirectory().contains('{'));
        QCOMPARE(snapshot(installs, 1).section(" | ", 5, 5).section(' ', 0, 5),
            "all user user=/home/u/ZR/Tools,all=/opt/ZR/Tools {username}-nowhere/Tools choice "
            "Note:");
    }

    void installPathCheck_data() { lmttest::rowsFrom("views/install-paths.json", "given"); }

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
        lmttest::rowsFrom("views/browse.json", "given");
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
