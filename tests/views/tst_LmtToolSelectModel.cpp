#include "common/LmtTestSupport.h"
#include "views/LmtToolSelectModel.h"
#include "views/SelectTestCatalogue.h"

#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QtTest>

using namespace zendrel::lmt::setup;
using zendrel::lmt::shared_toolkit::ConsoleMessageType;
using selecttest::Catalogue;

namespace {

const QString ToolsId = QStringLiteral("com.zdr.tb.tool.lumetra");

int rowOfTool(const LmtToolSelectModel &model, const QString &name)
{
    for (int i = 0; i < model.rows().size(); ++i) {
        if (model.rows().at(i)->currentVersion()->tool()->name() == name)
            return i;
    }
    return -1;
}

QStringList rowNames(const LmtToolSelectModel &model)
{
    QStringList names;
    for (const auto &row : model.rows())
        names.append(row->currentVersion()->tool()->name() + " " + row->currentKey());
    return names;
}

// Records the model's signals by name, in the order they arrive.
class SignalRecorder
{
public:
    explicit SignalRecorder(LmtToolSelectModel &model)
    {
        QObject::connect(&model, &LmtToolSelectModel::toolSelectionChanged, &m_context,
            [this] { m_order << "toolSelectionChanged"; });
        QObject::connect(&model,
            qOverload<QString, ConsoleMessageType>(&LmtToolSelectModel::appendUILog), &m_context,
            [this](const QString &text, ConsoleMessageType type) {
                m_order << "appendUILog";
                m_log << text;
                m_types << type;
            });
        QObject::connect(&model, &LmtToolSelectModel::checkForMissingToolsRequest, &m_context,
            [this] { m_order << "checkForMissingToolsRequest"; });
        QObject::connect(&model, &LmtToolSelectModel::selectDependentToolsRequest, &m_context,
            [this](std::shared_ptr<LmtToolVersion> version) {
                m_order << "selectDependentToolsRequest";
                m_dependents << version;
            });
        QObject::connect(
            &model, &LmtToolSelectModel::localToolUnchecked, &m_context, [this](QModelIndex index) {
                m_order << "localToolUnchecked";
                m_uncheckedRows << index.row();
            });
        QObject::connect(&model, &QAbstractItemModel::dataChanged, &m_context,
            [this](const QModelIndex &from, const QModelIndex &to) {
                m_order << "dataChanged";
                m_allInvalid = m_allInvalid && !from.isValid() && !to.isValid();
            });
    }

    QStringList order() const { return m_order; }
    QStringList log() const { return m_log; }
    QList<ConsoleMessageType> types() const { return m_types; }
    QList<std::shared_ptr<LmtToolVersion>> dependents() const { return m_dependents; }
    QList<int> uncheckedRows() const { return m_uncheckedRows; }
    bool dataChangedWasWholeModel() const { return m_allInvalid; }
    void clear()
    {
        m_order.clear();
        m_log.clear();
        m_types.clear();
        m_dependents.clear();
        m_uncheckedRows.clear();
    }

private:
    QObject m_context;
    QStringList m_order;
    QStringList m_log;
    QList<ConsoleMessageType> m_types;
    QList<std::shared_ptr<LmtToolVersion>> m_dependents;
    QList<int> m_uncheckedRows;
    bool m_allInvalid = true;
};

} // namespace

class TestLmtToolSelectModel : public QObject
{
    Q_OBJECT

    lmttest::Sandbox m_sandbox;

private Q_SLOTS:
    void uncheckingAnInstalledVersionNeedsConfirmation();
    void checkingAnOfferedVersionUpdatesOrDowngrades();
    void externalToolLeavesOtherLinesAlone();
    void keysUseFullTextsOnlyForBuildHeads();
    void thirdPartyToolHasNoDropDown();
    void upgradeKindFollowsKeyOrder();
    void setDataOnOtherRolesStillChecksDependencies();
    void setDataSignalsComeInOrder();
    void versionsWithoutPackageForThisPlatformAreDropped();
    void rowsAreSortedAndSplitByTable();
    void rememberedDropDownChoiceIsRestored();
    void bothScopesOfOneVersionKeepARowEach_data();
    void bothScopesOfOneVersionKeepARowEach();
    void flagsFollowWhatCanBeDone();
    void dataAnswersOnlyItsRolesAndColumns();
};

void TestLmtToolSelectModel::uncheckingAnInstalledVersionNeedsConfirmation()
{
    Catalogue catalogue;
    auto tools = catalogue.tool(ToolsId, LmtToolType::ToolsPackage, "Lumetra Tools");
    auto installed = Catalogue::installed(tools, "3.1.0", "/opt/lumetra/3.1");
    Catalogue::offered(tools, "3.1.2");

    LmtToolSelectModel model(true);
    model.updateToolsData(catalogue.model);
    QCOMPARE(model.rowCount(), 1);
    QCOMPARE(model.rows().first()->currentVersion(), installed);
    SignalRecorder recorder(model);
    const QModelIndex check = model.index(0, LmtToolSelectModel::ColumnCheck);

    // Through setData nothing changes: the view has to ask the user first.
    QVERIFY(!model.setData(check, int(Qt::Unchecked), Qt::CheckStateRole));
    QCOMPARE(recorder.order(), QStringList { "localToolUnchecked" });
    QCOMPARE(recorder.uncheckedRows(), QList<int> { 0 });
    QVERIFY(installed->selected());
    QCOMPARE(check.data(Qt::CheckStateRole).toInt(), int(Qt::Checked));
    QCOMPARE(model.rows().first()->action(), LmtToolSelectRow::NoChange);

    // After the confirmation the row deselects it, logs and repaints.
    recorder.clear();
    model.uncheckRow(0);
    QVERIFY(!installed->selected());
    QCOMPARE(check.data(Qt::CheckStateRole).toInt(), int(Qt::Unchecked));
    QCOMPARE(model.rows().first()->action(), LmtToolSelectRow::Uninstall);
    QCOMPARE(recorder.order(),
        QStringList({ "appendUILog", "checkForMissingToolsRequest", "dataChanged",
            "toolSelectionChanged" }));
    QCOMPARE(recorder.log(),
        QStringList { "'Lumetra Tools' version 3.1.0 was selected for uninstallation" });
    QCOMPARE(recorder.types(), QList<ConsoleMessageType> { ConsoleMessageType::Auto });
    QVERIFY(recorder.dataChangedWasWholeModel());

    // Unchanged rows still announce themselves; rows outside the list are ignored.
    recorder.clear();
    model.uncheckRow(0);
    QCOMPARE(recorder.order(),
        QStringList({ "appendUILog", "checkForMissingToolsRequest", "dataChanged",
            "toolSelectionChanged" }));
    recorder.clear();
    model.uncheckRow(5);
    model.uncheckRow(-1);
    QVERIFY(recorder.order().isEmpty());
}

void TestLmtToolSelectModel::checkingAnOfferedVersionUpdatesOrDowngrades()
{
    Catalogue catalogue;
    auto tools = catalogue.tool(ToolsId, LmtToolType::ToolsPackage, "Lumetra Tools");
    auto installed = Catalogue::installed(tools, "3.1.0", "/opt/lumetra/3.1");
    auto newer = Catalogue::offered(tools, "3.1.2");
    auto pack = catalogue.tool("com.zdr.pack.signal", LmtToolType::ContentPack, "Signal Pack");
    auto installedPack = Catalogue::installed(pack, "2.4.0", "/opt/packs/signal");
    auto olderPack = Catalogue::offered(pack, "2.3.0");

    LmtToolSelectModel base(true);
    base.updateToolsData(catalogue.model);
    SignalRecorder recorder(base);
    auto row = base.rows().first();

    QVERIFY(base.setData(base.index(0, LmtToolSelectModel::ColumnVersion), "3.1.2"));
    QCOMPARE(row->currentVersion(), newer);
    QCOMPARE(row->action(), LmtToolSelectRow::NoChange);
    QVERIFY(installed->selected());

    QVERIFY(base.setData(base.index(0, 0), int(Qt::Checked), Qt::CheckStateRole));
    QVERIFY(newer->selected());
    QVERIFY(!installed->selected());
    QCOMPARE(row->action(), LmtToolSelectRow::Update);
    QVERIFY(recorder.log().contains("'Lumetra Tools' version 3.1.2 was selected for installation"));

    // Unchecking the offered version gives the installed one its "keep" back.
    recorder.clear();
    QVERIFY(base.setData(base.index(0, 0), int(Qt::Unchecked), Qt::CheckStateRole));
    QVERIFY(!newer->selected());
    QVERIFY(installed->selected());
    QCOMPARE(row->action(), LmtToolSelectRow::NoChange);
    QCOMPARE(recorder.log(), QStringList { "Unselected 'Lumetra Tools' version 3.1.2" });

    // Checking the installed version logs the other line and keeps it.
    QVERIFY(row->selectVersion("3.1.0"));
    recorder.clear();
    QVERIFY(!base.setData(base.index(0, 0), int(Qt::Checked), Qt::CheckStateRole));
    QCOMPARE(recorder.log(), QStringList { "Selected 'Lumetra Tools' version 3.1.0" });
    QVERIFY(installed->selected());

    // Every installed version of the line is newer: a downgrade.
    LmtToolSelectModel additional(false);
    additional.updateToolsData(catalogue.model);
    QCOMPARE(additional.rowCount(), 1);
    auto packRow = additional.rows().first();
    QCOMPARE(packRow->currentVersion(), installedPack);
    QVERIFY(packRow->selectVersion("2.3.0"));
    QVERIFY(packRow->setCheckState(Qt::Checked));
    QVERIFY(olderPack->selected());
    QVERIFY(!installedPack->selected());
    QCOMPARE(packRow->action(), LmtToolSelectRow::Downgrade);
    // A state that is neither checked nor unchecked does nothing.
    QVERIFY(!packRow->setCheckState(Qt::PartiallyChecked));
    QVERIFY(olderPack->selected());
    QVERIFY(packRow->setCheckState(Qt::Unchecked));
    QVERIFY(installedPack->selected());
}

void TestLmtToolSelectModel::externalToolLeavesOtherLinesAlone()
{
    Catalogue catalogue;
    auto probe = catalogue.tool("com.zdr.ext.probe", LmtToolType::External, "Probe");
    auto old = Catalogue::installed(probe, "1.0.0", "/opt/probe/1.0");
    auto current = Catalogue::installed(probe, "2.1.3", "/opt/probe/2.1");
    auto patch = Catalogue::offered(probe, "2.1.5");
    auto major = Catalogue::offered(probe, "3.0.0");

    LmtToolSelectModel model(false);
    model.updateToolsData(catalogue.model);
    QCOMPARE(model.rowCount(), 1);
    auto row = model.rows().first();
    QCOMPARE(row->currentVersion(), current);
    QCOMPARE(row->versionKeys(), QStringList({ "3.0.0", "2.1.5", "2.1.3", "1.0.0" }));

    // The old installation is in another line: uninstall it on its own.
    QVERIFY(row->selectVersion("1.0.0"));
    model.uncheckRow(0);
    QVERIFY(!old->selected());

    // 2.1.5 replaces 2.1.3 of its own line; 1.0.0 stays unselected and is not counted.
    QVERIFY(row->selectVersion("2.1.5"));
    QVERIFY(row->setCheckState(Qt::Checked));
    QVERIFY(!current->selected());
    QVERIFY(!old->selected());
    QCOMPARE(row->action(), LmtToolSelectRow::Update);
    QVERIFY(row->setCheckState(Qt::Unchecked));
    QVERIFY(current->selected());
    QVERIFY(!old->selected());

    // 3.0.0 is a line of its own: installed beside 2.1.3, a new install, not an update.
    QVERIFY(row->selectVersion("3.0.0"));
    QVERIFY(row->setCheckState(Qt::Checked));
    QVERIFY(current->selected());
    QCOMPARE(row->action(), LmtToolSelectRow::Install);

    // Without updatable patches only the same major.minor.patch counts as one line.
    Catalogue strict;
    auto fixed = strict.tool("com.zdr.ext.fixed", LmtToolType::External, "Fixed");
    fixed->setIsPatchVersionUpdatable(false);
    auto fixedInstalled = Catalogue::installed(fixed, "2.1.3", "/opt/fixed");
    auto fixedOffered = Catalogue::offered(fixed, "2.1.4");
    model.updateToolsData(strict.model);
    row = model.rows().first();
    QVERIFY(row->selectVersion("2.1.4"));
    QVERIFY(row->setCheckState(Qt::Checked));
    QVERIFY(fixedOffered->selected());
    QVERIFY(fixedInstalled->selected());
    QCOMPARE(row->action(), LmtToolSelectRow::Install);

    // Any other tool type takes the whole line: the same check makes an update.
    Catalogue plain;
    auto other = plain.tool("com.zdr.other", LmtToolType::Other, "Other");
    auto otherInstalled = Catalogue::installed(other, "2.1.3", "/opt/other");
    Catalogue::offered(other, "2.1.4");
    model.updateToolsData(plain.model);
    row = model.rows().first();
    QVERIFY(row->selectVersion("2.1.4"));
    QVERIFY(row->setCheckState(Qt::Checked));
    QVERIFY(!otherInstalled->selected());
    QCOMPARE(row->action(), LmtToolSelectRow::Update);
}

void TestLmtToolSelectModel::keysUseFullTextsOnlyForBuildHeads()
{
    // A head with a build number: colliding builds are told apart by their full texts.
    Catalogue builds;
    auto tools = builds.tool(ToolsId, LmtToolType::ToolsPackage, "Lumetra Tools");
    auto first = Catalogue::offered(tools, "3.1.0.100");
    auto second = Catalogue::offered(tools, "3.1.0.200");
    LmtToolSelectModel model(true);
    model.updateToolsData(builds.model);
    QCOMPARE(model.rowCount(), 1);
    auto row = model.rows().first();
    QCOMPARE(row->currentVersion(), second);
    QCOMPARE(row->currentKey(), "3.1.0.200");
    QCOMPARE(row->versionKeys(), QStringList({ "3.1.0.200", "3.1.0.100" }));
    QCOMPARE(model.index(0, 2).data(Qt::UserRole).toStringList(), row->versionKeys());
    QCOMPARE(model.index(0, 2).data(Qt::EditRole).toString(), "3.1.0.200");

    // A short text picks the first entry in key order with that major.minor.patch.
    QVERIFY(row->selectVersion("3.1.0"));
    QCOMPARE(row->currentVersion(), first);
    QCOMPARE(row->currentKey(), "3.1.0.100");
    QVERIFY(!row->selectVersion("3.1.0.100"));
    QVERIFY(!row->selectVersion("4.0.0"));
    QCOMPARE(row->currentVersion(), first);

    // Checking one build deselects the other first, so the invariant never trips.
    QVERIFY(row->setCheckState(Qt::Checked));
    QVERIFY(row->selectVersion("3.1.0.200"));
    QVERIFY(row->setCheckState(Qt::Checked));
    QVERIFY(second->selected());
    QVERIFY(!first->selected());

    // A head without build: the builds share the short key and the later one wins.
    Catalogue shared;
    tools = shared.tool(ToolsId, LmtToolType::ToolsPackage, "Lumetra Tools");
    Catalogue::offered(tools, "3.1.0.100");
    auto later = Catalogue::offered(tools, "3.1.0.200");
    auto head = Catalogue::offered(tools, "3.1.1");
    model.updateToolsData(shared.model);
    row = model.rows().first();
    QCOMPARE(row->currentVersion(), head);
    QCOMPARE(row->versionKeys(), QStringList({ "3.1.1", "3.1.0" }));
    QCOMPARE(row->versionForKey("3.1.0"), later);
    QCOMPARE(row->versions(), QList<std::shared_ptr<LmtToolVersion>>({ later, head }));
    QCOMPARE(row->versionForKey("3.1.0.100"), nullptr);

    // The keys are worked out once, but an entry added afterwards counts.
    auto newest = Catalogue::offered(tools, "3.2.0");
    row->addVersion("3.2.0", newest);
    QCOMPARE(row->versionKeys(), QStringList({ "3.2.0", "3.1.1", "3.1.0" }));
    QCOMPARE(model.index(0, 2).data(Qt::UserRole).toStringList(), row->versionKeys());
}

void TestLmtToolSelectModel::thirdPartyToolHasNoDropDown()
{
    Catalogue catalogue;
    auto editor = catalogue.thirdPartyTool("com.other.editor", "Zeta Editor");
    Catalogue::offered3rdParty(editor, "5.3.0", QUrl("https://zeta.example/download"));
    Catalogue::offered3rdParty(editor, "5.4.0", QUrl("https://zeta.example/download"));
    editor->setSelectedVersionKey("5.3.0");

    LmtToolSelectModel model(true);
    model.updateToolsData(catalogue.model);
    QCOMPARE(model.rowCount(), 1);
    auto row = model.rows().first();
    QCOMPARE(row->versions().size(), 2);
    QVERIFY(!row->hasVersionChoice());
    // The remembered key is not applied without a drop-down.
    QCOMPARE(row->currentKey(), "5.4.0");
    const QModelIndex version = model.index(0, LmtToolSelectModel::ColumnVersion);
    QCOMPARE(version.data(Qt::DisplayRole).toString(), "5.4.0");
    QVERIFY(!version.data(Qt::UserRole).isValid());
    QVERIFY(!model.flags(version).testFlag(Qt::ItemIsEditable));

    // Any other tool with two entries does offer the choice, painted by the drop-down.
    Catalogue tools;
    auto lumetra = tools.tool(ToolsId, LmtToolType::ToolsPackage, "Lumetra Tools");
    Catalogue::offered(lumetra, "3.1.0");
    Catalogue::offered(lumetra, "3.1.1");
    model.updateToolsData(tools.model);
    QVERIFY(model.rows().first()->hasVersionChoice());
    QVERIFY(!model.index(0, 2).data(Qt::DisplayRole).isValid());
    QVERIFY(model.flags(model.index(0, 2)).testFlag(Qt::ItemIsEditable));
}

void TestLmtToolSelectModel::upgradeKindFollowsKeyOrder()
{
    Catalogue catalogue;
    auto minorPack = catalogue.tool("com.zdr.pack.a", LmtToolType::ContentPack, "A Pack");
    Catalogue::installed(minorPack, "2.0.0", "/opt/a");
    Catalogue::offered(minorPack, "2.1.0");
    Catalogue::offered(minorPack, "3.0.0");
    auto majorPack = catalogue.tool("com.zdr.pack.b", LmtToolType::ContentPack, "B Pack");
    Catalogue::installed(majorPack, "9.0.0", "/opt/b");
    Catalogue::offered(majorPack, "9.1.0");
    Catalogue::offered(majorPack, "10.0.0");
    auto latest = catalogue.tool("com.zdr.pack.c", LmtToolType::ContentPack, "C Pack");
    Catalogue::installed(latest, "4.0.0", "/opt/c");
    Catalogue::offered(latest, "3.9.0");

    LmtToolSelectModel model(false);
    model.updateToolsData(catalogue.model);
    QCOMPARE(rowNames(model), QStringList({ "A Pack 2.0.0", "B Pack 9.0.0", "C Pack 4.0.0" }));

    // 2.1.0 comes before 3.0.0 in key order and decides.
    QCOMPARE(model.rows().at(0)->upgradeKind(), LmtToolSelectRow::MinorOrPatch);
    // "10.0.0" sorts before "9.1.0".
    QCOMPARE(model.rows().at(1)->upgradeKind(), LmtToolSelectRow::Major);
    QCOMPARE(model.rows().at(2)->upgradeKind(), LmtToolSelectRow::None);
    QCOMPARE(model.rows().at(1)->versionKeys(), QStringList({ "10.0.0", "9.1.0", "9.0.0" }));

    const QIcon minor = model.index(0, 2).data(Qt::DecorationRole).value<QIcon>();
    const QIcon major = model.index(1, 2).data(Qt::DecorationRole).value<QIcon>();
    QVERIFY(!minor.isNull());
    QVERIFY(!major.isNull());
    QVERIFY(!minor.pixmap(16, 16).isNull());
    QVERIFY(minor.cacheKey() != major.cacheKey());
    // Built once: every row gets the very same icon.
    QCOMPARE(
        model.index(0, 2).data(Qt::DecorationRole).value<QIcon>().cacheKey(), minor.cacheKey());
    QCOMPARE(model.index(0, 2).data(Qt::ToolTipRole).toString(),
        "There is a new minor or patch version available.");
    QCOMPARE(model.index(1, 2).data(Qt::ToolTipRole).toString(),
        "There is a new major version available.");
    QVERIFY(!model.index(2, 2).data(Qt::ToolTipRole).isValid());

    // Without upgrade a transparent 16x16 placeholder keeps the column's layout.
    const QVariant placeholder = model.index(2, 2).data(Qt::DecorationRole);
    QCOMPARE(placeholder.typeId(), QMetaType::QPixmap);
    const QImage image = placeholder.value<QPixmap>().toImage();
    QCOMPARE(image.size(), QSize(16, 16));
    QCOMPARE(qAlpha(image.pixel(8, 8)), 0);
}

void TestLmtToolSelectModel::setDataOnOtherRolesStillChecksDependencies()
{
    Catalogue catalogue;
    auto tools = catalogue.tool(ToolsId, LmtToolType::ToolsPackage, "Lumetra Tools");
    Catalogue::offered(tools, "3.1.0");
    Catalogue::offered(tools, "3.1.1");
    LmtToolSelectModel model(true);
    model.updateToolsData(catalogue.model);
    SignalRecorder recorder(model);

    QVERIFY(!model.setData(model.index(0, 1), "x", Qt::EditRole));
    QVERIFY(!model.setData(model.index(0, 0), int(Qt::Checked), Qt::EditRole));
    QVERIFY(!model.setData(model.index(0, 2), int(Qt::Checked), Qt::CheckStateRole));
    QVERIFY(!model.setData(model.index(0, 3), "text", Qt::EditRole));
    QCOMPARE(recorder.order(), QStringList(4, "checkForMissingToolsRequest"));
    QVERIFY(!tools->onlineVersions().at(0)->selected());
    QVERIFY(!tools->onlineVersions().at(1)->selected());

    // Invalid indexes and rows outside the list answer false and stay silent.
    recorder.clear();
    QStandardItemModel other(10, 4);
    QVERIFY(!model.setData(QModelIndex(), int(Qt::Checked), Qt::CheckStateRole));
    QVERIFY(!model.setData(other.index(7, 0), int(Qt::Checked), Qt::CheckStateRole));
    QVERIFY(recorder.order().isEmpty());
}

void TestLmtToolSelectModel::setDataSignalsComeInOrder()
{
    Catalogue catalogue;
    auto tools = catalogue.tool(ToolsId, LmtToolType::ToolsPackage, "Lumetra Tools");
    auto plain = Catalogue::offered(tools, "3.1.0");
    auto dependent = Catalogue::offered(tools, "3.1.1");
    dependent->addDependency("com.zdr.pack.signal", 0, LmtToolDependency::Unbounded);
    LmtToolSelectModel model(true);
    model.updateToolsData(catalogue.model);
    SignalRecorder recorder(model);
    QSignalSpy selectionSpy(&model, &LmtToolSelectModel::toolSelectionChanged);
    QSignalSpy dataSpy(&model, &QAbstractItemModel::dataChanged);

    // A checked version with dependencies asks for them before the missing-tools check.
    QCOMPARE(model.rows().first()->currentVersion(), dependent);
    QVERIFY(model.setData(model.index(0, 0), int(Qt::Checked), Qt::CheckStateRole));
    QCOMPARE(recorder.order(),
        QStringList({ "appendUILog", "selectDependentToolsRequest", "checkForMissingToolsRequest",
            "dataChanged", "toolSelectionChanged" }));
    QCOMPARE(recorder.dependents(), QList<std::shared_ptr<LmtToolVersion>> { dependent });
    QCOMPARE(selectionSpy.count(), 1);
    QCOMPARE(dataSpy.count(), 1);
    QVERIFY(!dataSpy.first().at(0).value<QModelIndex>().isValid());
    QVERIFY(!dataSpy.first().at(1).value<QModelIndex>().isValid());
    QVERIFY(dataSpy.first().at(2).value<QList<int>>().isEmpty());

    // Checking again changes nothing but still asks for the dependencies.
    recorder.clear();
    QVERIFY(!model.setData(model.index(0, 0), Qt::Checked, Qt::CheckStateRole));
    QCOMPARE(recorder.order(),
        QStringList(
            { "appendUILog", "selectDependentToolsRequest", "checkForMissingToolsRequest" }));

    // Unchecking asks for nothing.
    recorder.clear();
    QVERIFY(model.setData(model.index(0, 0), int(Qt::Unchecked), Qt::CheckStateRole));
    QCOMPARE(recorder.order(),
        QStringList({ "appendUILog", "checkForMissingToolsRequest", "dataChanged",
            "toolSelectionChanged" }));

    // A version without dependencies is checked without the request.
    recorder.clear();
    QVERIFY(model.setData(model.index(0, 2), "3.1.0", Qt::EditRole));
    QCOMPARE(model.rows().first()->currentVersion(), plain);
    QVERIFY(model.setData(model.index(0, 0), int(Qt::Checked), Qt::CheckStateRole));
    QCOMPARE(recorder.order(),
        QStringList({ "checkForMissingToolsRequest", "dataChanged", "toolSelectionChanged",
            "appendUILog", "checkForMissingToolsRequest", "dataChanged", "toolSelectionChanged" }));

    // The drop-down key is remembered on the tool even when it changes nothing.
    recorder.clear();
    tools->setSelectedVersionKey(QString());
    QVERIFY(!model.setData(model.index(0, 2), "3.1.0", Qt::EditRole));
    QCOMPARE(tools->selectedVersionKey(), "3.1.0");
    QCOMPARE(recorder.order(), QStringList { "checkForMissingToolsRequest" });
    QVERIFY(!model.setData(model.index(0, 2), "7.0.0", Qt::EditRole));
    QCOMPARE(tools->selectedVersionKey(), "7.0.0");
    QCOMPARE(model.rows().first()->currentVersion(), plain);
}

void TestLmtToolSelectModel::versionsWithoutPackageForThisPlatformAreDropped()
{
    const QString foreignOs = QStringLiteral("Plan9");
    Catalogue catalogue;
    auto foreign = catalogue.tool("com.zdr.pack.foreign", LmtToolType::ContentPack, "Foreign");
    Catalogue::offered(foreign, "1.0.0", 0, foreignOs);
    Catalogue::offered(foreign, "1.1.0", 0, QString());
    auto mixed = catalogue.tool("com.zdr.pack.mixed", LmtToolType::ContentPack, "Mixed");
    auto usable = Catalogue::offered(mixed, "1.0.0");
    auto unusable = Catalogue::offered(mixed, "1.1.0", 0, foreignOs);
    // Installed versions stay whatever their packages.
    auto kept = catalogue.tool("com.zdr.pack.kept", LmtToolType::ContentPack, "Kept");
    auto installed = Catalogue::installed(kept, "0.9.0", "/opt/kept");
    Catalogue::offered(kept, "1.0.0", 0, foreignOs);

    LmtToolSelectModel model(false);
    model.updateToolsData(catalogue.model);
    QCOMPARE(rowOfTool(model, "Foreign"), -1);
    QCOMPARE(model.rowCount(), 2);

    // The head (1.1.0) is not entered but remains the shown version.
    auto row = model.rows().at(rowOfTool(model, "Mixed"));
    QCOMPARE(row->currentVersion(), unusable);
    QCOMPARE(row->versionKeys(), QStringList { "1.0.0" });
    QCOMPARE(row->versions(), QList<std::shared_ptr<LmtToolVersion>> { usable });
    QVERIFY(!row->hasVersionChoice());

    row = model.rows().at(rowOfTool(model, "Kept"));
    QCOMPARE(row->versions(), QList<std::shared_ptr<LmtToolVersion>> { installed });

    // 3rd-party offers never have packages and are always entered.
    Catalogue thirdParty;
    auto editor = thirdParty.thirdPartyTool("com.other.editor", "Zeta Editor");
    Catalogue::offered3rdParty(editor, "5.3.0", QUrl("https://zeta.example/download"));
    LmtToolSelectModel base(true);
    base.updateToolsData(thirdParty.model);
    QCOMPARE(base.rowCount(), 1);
}

void TestLmtToolSelectModel::rowsAreSortedAndSplitByTable()
{
    Catalogue catalogue;
    auto zeta = catalogue.thirdPartyTool("com.other.zeta", "Zeta Editor");
    Catalogue::offered3rdParty(zeta, "5.3.0", QUrl("https://zeta.example"));
    auto packB = catalogue.tool("com.zdr.pack.b", LmtToolType::ContentPack, "Pack B");
    Catalogue::offered(packB, "1.0.0");
    auto tools = catalogue.tool(ToolsId, LmtToolType::ToolsPackage, "Lumetra Tools");
    Catalogue::offered(tools, "3.2.0");
    Catalogue::installed(tools, "3.1.0", "/opt/lumetra/3.1");
    auto probe = catalogue.tool("com.zdr.ext.probe", LmtToolType::External, "Probe");
    Catalogue::offered(probe, "2.0.0");
    auto patch = catalogue.tool("com.zdr.tb.patch", LmtToolType::Patch, "Lumetra Patch");
    Catalogue::offered(patch, "3.1.4");
    auto alpha = catalogue.thirdPartyTool("com.other.alpha", "Alpha Editor");
    Catalogue::installed3rdParty(alpha, "1.0.0", "/opt/alpha");
    auto packA = catalogue.tool("com.zdr.pack.a", LmtToolType::ContentPack, "Pack A");
    Catalogue::offered(packA, "1.0.0");
    auto other = catalogue.tool("com.zdr.misc", LmtToolType::Other, "Misc");
    Catalogue::offered(other, "0.1.0");

    LmtToolSelectModel base(true);
    base.updateToolsData(catalogue.model);
    QCOMPARE(rowNames(base),
        QStringList({ "Lumetra Tools 3.2.0", "Lumetra Patch 3.1.4", "Lumetra Tools 3.1.0",
            "Alpha Editor 1.0.0", "Zeta Editor 5.3.0" }));
    QCOMPARE(base.columnCount(), 4);
    QCOMPARE(base.rowCount(base.index(0, 0)), 0);

    LmtToolSelectModel additional(false);
    additional.updateToolsData(catalogue.model);
    QCOMPARE(rowNames(additional),
        QStringList({ "Misc 0.1.0", "Probe 2.0.0", "Pack A 1.0.0", "Pack B 1.0.0" }));

    // A refresh replaces the rows in one reset.
    QSignalSpy reset(&additional, &QAbstractItemModel::modelReset);
    additional.updateToolsData(std::make_shared<LmtCoreToolModel>());
    QCOMPARE(reset.count(), 1);
    QCOMPARE(additional.rowCount(), 0);
}

void TestLmtToolSelectModel::rememberedDropDownChoiceIsRestored()
{
    Catalogue catalogue;
    auto tools = catalogue.tool(ToolsId, LmtToolType::ToolsPackage, "Lumetra Tools");
    Catalogue::installed(tools, "3.1.0", "/opt/lumetra/3.1");
    auto chosen = Catalogue::offered(tools, "3.1.2");
    tools->setSelectedVersionKey("3.1.2");
    auto pack = catalogue.tool("com.zdr.pack.a", LmtToolType::ContentPack, "Pack A");
    auto packHead = Catalogue::offered(pack, "1.1.0");
    Catalogue::offered(pack, "1.0.0");
    pack->setSelectedVersionKey("9.9.9");

    LmtToolSelectModel base(true);
    base.updateToolsData(catalogue.model);
    QCOMPARE(base.rows().first()->currentVersion(), chosen);
    QCOMPARE(base.index(0, 2).data(Qt::EditRole).toString(), "3.1.2");
    // Choosing a version selects nothing by itself.
    QVERIFY(!chosen->selected());

    // A key that no longer exists leaves the head shown.
    LmtToolSelectModel additional(false);
    additional.updateToolsData(catalogue.model);
    QCOMPARE(additional.rows().first()->currentVersion(), packHead);
}

void TestLmtToolSelectModel::bothScopesOfOneVersionKeepARowEach_data()
{
    QTest::addColumn<LmtToolInstallScope>("unticked");
    QTest::newRow("current user") << LmtToolInstallScope::CurrentUser;
    QTest::newRow("all users") << LmtToolInstallScope::AllUsers;
}

// Whichever of two installations of one version is unticked, it keeps a row of its own that
// says it will be uninstalled, and the other one is neither hidden nor touched.
void TestLmtToolSelectModel::bothScopesOfOneVersionKeepARowEach()
{
    QFETCH(LmtToolInstallScope, unticked);
    Catalogue catalogue;
    auto tools = catalogue.tool(ToolsId, LmtToolType::ToolsPackage, "Lumetra Tools");
    Catalogue::offered(tools, "3.2.0");
    Catalogue::offered(tools, "3.2.1");
    auto forUser = Catalogue::installed(tools, "3.2.0", "/home/user/lumetra");
    auto forAll = Catalogue::installed(tools, "3.2.0", "/opt/lumetra");
    forAll->setInstallScope(LmtToolInstallScope::AllUsers);
    const auto gone = unticked == LmtToolInstallScope::AllUsers ? forAll : forUser;
    const auto kept = gone == forAll ? forUser : forAll;

    LmtToolSelectModel model(true);
    const auto rowShowing = [&model](const std::shared_ptr<LmtToolVersion> &version) {
        for (int i = 0; i < model.rowCount(); ++i) {
            if (model.rows().at(i)->currentVersion() == version)
                return i;
        }
        return -1;
    };
    const auto verifyRows = [&] {
        QCOMPARE(model.rowCount(), 2);
        for (const auto &installation : { forUser, forAll }) {
            const int row = rowShowing(installation);
            QVERIFY(row >= 0);
            // The drop-down's entry of the shown version is that very installation.
            const auto &selectRow = model.rows().at(row);
            QCOMPARE(selectRow->versionForKey(selectRow->currentKey()), installation);
        }
        QCOMPARE(model.index(rowShowing(forUser), 1).data().toString(),
            QString("Lumetra Tools (Current user)"));
        QCOMPARE(model.index(rowShowing(forAll), 1).data().toString(),
            QString("Lumetra Tools (All users)"));
    };
    model.updateToolsData(catalogue.model);
    verifyRows();
    if (QTest::currentTestFailed())
        return;

    model.uncheckRow(rowShowing(gone));
    QVERIFY(!gone->selected());
    QVERIFY(kept->selected());
    model.updateToolsData(catalogue.model);
    verifyRows();
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(model.rows().at(rowShowing(gone))->action(), LmtToolSelectRow::Uninstall);
    QCOMPARE(model.index(rowShowing(gone), 0).data(Qt::CheckStateRole).toInt(), int(Qt::Unchecked));
    QCOMPARE(model.rows().at(rowShowing(kept))->action(), LmtToolSelectRow::NoChange);

    // Ticking it again leaves the other installation alone.
    QVERIFY(model.setData(model.index(rowShowing(gone), 0), int(Qt::Checked), Qt::CheckStateRole));
    QVERIFY(gone->selected());
    QVERIFY(kept->selected());
}

void TestLmtToolSelectModel::flagsFollowWhatCanBeDone()
{
    Catalogue catalogue;
    auto silent = catalogue.thirdPartyTool("com.other.a", "A Editor");
    Catalogue::offered3rdParty(silent, "1.0.0", QUrl("https://a.example"));
    auto manual = catalogue.thirdPartyTool("com.other.b", "B Editor");
    Catalogue::offered3rdParty(manual, "1.0.0", QUrl("https://b.example"))->setSilentInstall(false);
    auto removable = catalogue.thirdPartyTool("com.other.c", "C Editor");
    Catalogue::installed3rdParty(removable, "1.0.0", "/opt/c", "/opt/c/uninstall");
    auto fixed = catalogue.thirdPartyTool("com.other.d", "D Editor");
    Catalogue::installed3rdParty(fixed, "1.0.0", "/opt/d");
    auto tools = catalogue.tool(ToolsId, LmtToolType::ToolsPackage, "Lumetra Tools");
    Catalogue::installed(tools, "3.1.0", "/opt/lumetra/3.1");

    LmtToolSelectModel model(true);
    model.updateToolsData(catalogue.model);
    auto checkFlags = [&model](const QString &name) {
        return model.flags(model.index(rowOfTool(model, name), 0));
    };
    QVERIFY(checkFlags("A Editor").testFlag(Qt::ItemIsEnabled));
    QVERIFY(!checkFlags("B Editor").testFlag(Qt::ItemIsEnabled));
    QVERIFY(checkFlags("C Editor").testFlag(Qt::ItemIsEnabled));
    QVERIFY(!checkFlags("D Editor").testFlag(Qt::ItemIsEnabled));
    QVERIFY(checkFlags("D Editor").testFlag(Qt::ItemIsUserCheckable));
    QVERIFY(checkFlags("Lumetra Tools").testFlag(Qt::ItemIsEnabled));
    QVERIFY(checkFlags("Lumetra Tools").testFlag(Qt::ItemIsUserCheckable));

    const int row = rowOfTool(model, "Lumetra Tools");
    QVERIFY(model.flags(model.index(row, 3)).testFlag(Qt::ItemIsEditable));
    QVERIFY(!model.flags(model.index(row, 2)).testFlag(Qt::ItemIsEditable));
    QVERIFY(!model.flags(model.index(row, 1)).testFlag(Qt::ItemIsEditable));
    QVERIFY(!model.flags(model.index(row, 1)).testFlag(Qt::ItemIsUserCheckable));

    // Rows outside the list get nothing added.
    QStandardItemModel other(10, 4);
    const QModelIndex outside = other.index(9, 3);
    QCOMPARE(model.flags(outside), model.QAbstractTableModel::flags(outside));
}

void TestLmtToolSelectModel::dataAnswersOnlyItsRolesAndColumns()
{
    Catalogue catalogue;
    auto tools = catalogue.tool(ToolsId, LmtToolType::ToolsPackage, "Lumetra Tools");
    auto all = Catalogue::installed(tools, "3.1.0", "/opt/lumetra/all");
    all->setInstallScope(LmtToolInstallScope::AllUsers);
    Catalogue::installed(tools, "3.1.0", "/home/user/lumetra");
    auto dependent = Catalogue::offered(tools, "3.2.0");

    LmtToolSelectModel model(true);
    model.updateToolsData(catalogue.model);
    QCOMPARE(model.rowCount(), 3);
    const int allRow = [&] {
        for (int i = 0; i < model.rowCount(); ++i) {
            if (model.rows().at(i)->currentVersion() == all)
                return i;
        }
        return -1;
    }();
    QVERIFY(allRow >= 0);
    QCOMPARE(model.index(allRow, 1).data().toString(), "Lumetra Tools (All users)");
    QCOMPARE(model.index(allRow, 2).data().toString(), "3.1.0");
    QVERIFY(!model.index(allRow, 0).data().isValid());
    QVERIFY(!model.index(allRow, 3).data().isValid());
    QVERIFY(!model.index(allRow, 1).data(Qt::EditRole).isValid());
    QVERIFY(!model.index(allRow, 1).data(Qt::CheckStateRole).isValid());
    QVERIFY(!model.index(allRow, 0).data(Qt::DecorationRole).isValid());
    QVERIFY(!model.index(allRow, 3).data(Qt::ToolTipRole).isValid());
    QVERIFY(!model.index(allRow, 1).data(Qt::UserRole).isValid());
    QVERIFY(!model.index(allRow, 1).data(Qt::FontRole).isValid());
    QStandardItemModel other(10, 4);
    QVERIFY(!model.data(other.index(9, 1), Qt::DisplayRole).isValid());
    QVERIFY(!model.data(QModelIndex(), Qt::DisplayRole).isValid());

    // The error icon marks the row whose shown version has an unmet dependency.
    const int dependentRow = model.rows().first()->currentVersion() == dependent ? 0 : -1;
    QCOMPARE(dependentRow, 0);
    QVERIFY(!model.index(0, 1).data(Qt::DecorationRole).isValid());
    model.setMissingDependencies({ { dependent, nullptr } });
    const QIcon error = model.index(0, 1).data(Qt::DecorationRole).value<QIcon>();
    QVERIFY(!error.isNull());
    QVERIFY(!error.pixmap(16, 16).isNull());
    QCOMPARE(
        model.index(0, 1).data(Qt::DecorationRole).value<QIcon>().cacheKey(), error.cacheKey());
    QVERIFY(!model.index(allRow, 1).data(Qt::DecorationRole).isValid());
    // An equal but distinct version object does not count.
    auto twin = LmtOnlineToolVersion::create("3.2.0", 0, 1);
    model.setMissingDependencies({ { twin, nullptr } });
    QVERIFY(!model.index(0, 1).data(Qt::DecorationRole).isValid());
}

QTEST_MAIN(TestLmtToolSelectModel)
#include "tst_LmtToolSelectModel.moc"
