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
using selecttest::SelectRig;
using zendrel::lmt::shared_toolkit::ConsoleMessageType;

namespace {

const QString Lines = QStringLiteral("views/select-lines.json");

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

// Records the model's signals by name, in the order they arrive; wholeAndAuto: every change
// notice named the whole model and every log line was of the Auto type.
struct SignalRecorder {
    QObject context;
    QStringList order;
    QStringList log;
    QList<std::shared_ptr<LmtToolVersion>> dependents;
    QList<int> uncheckedRows;
    bool wholeAndAuto = true;

    explicit SignalRecorder(LmtToolSelectModel &model)
    {
        QObject::connect(&model, &LmtToolSelectModel::toolSelectionChanged, &context,
            [this] { order << "toolSelectionChanged"; });
        QObject::connect(&model,
            qOverload<QString, ConsoleMessageType>(&LmtToolSelectModel::appendUILog), &context,
            [this](const QString &text, ConsoleMessageType type) {
                order << "appendUILog";
                log << text;
                wholeAndAuto = wholeAndAuto && type == ConsoleMessageType::Auto;
            });
        QObject::connect(&model, &LmtToolSelectModel::checkForMissingToolsRequest, &context,
            [this] { order << "checkForMissingToolsRequest"; });
        QObject::connect(&model, &LmtToolSelectModel::selectDependentToolsRequest, &context,
            [this](std::shared_ptr<LmtToolVersion> version) {
                order << "selectDependentToolsRequest";
                dependents << version;
            });
        QObject::connect(
            &model, &LmtToolSelectModel::localToolUnchecked, &context, [this](QModelIndex index) {
                order << "localToolUnchecked";
                uncheckedRows << index.row();
            });
        QObject::connect(&model, &QAbstractItemModel::dataChanged, &context,
            [this](const QModelIndex &from, const QModelIndex &to, const QList<int> &roles) {
                order << "dataChanged";
                wholeAndAuto = wholeAndAuto && !from.isValid() && !to.isValid() && roles.isEmpty();
            });
    }
    void clear()
    {
        order.clear();
        log.clear();
        dependents.clear();
    }
};

} // namespace

class TestLmtToolSelectModel : public QObject
{
    Q_OBJECT

    lmttest::Sandbox m_sandbox;

private Q_SLOTS:
    void checkingFollowsTheLinesOfEachToolType_data();
    void checkingFollowsTheLinesOfEachToolType();
    void uncheckingAnInstalledVersionNeedsConfirmation();
    void setDataSignalsAndLogsComeInOrder();
    void keysUseFullTextsOnlyForBuildHeads();
    void thirdPartyToolHasNoDropDown();
    void upgradeKindFollowsKeyOrder();
    void rowsAreSortedSplitAndFiltered();
    void bothScopesOfOneVersionKeepARowEach_data();
    void bothScopesOfOneVersionKeepARowEach();
    void flagsAndDataFollowWhatCanBeDone();
    void changedRowsAreAnnouncedInRuns_data();
    void changedRowsAreAnnouncedInRuns();
};

void TestLmtToolSelectModel::checkingFollowsTheLinesOfEachToolType_data()
{
    selecttest::addRows("views/select-lines-cases.json");
}

void TestLmtToolSelectModel::checkingFollowsTheLinesOfEachToolType()
{
    QFETCH(QJsonObject, given);
    SelectRig rig(Lines, given["base"].toBool(true));
    rig.runAll(given["steps"]);
    const QStringList actions { "NoChange", "Install", "Update", "Downgrade", "Uninstall" };
    QCOMPARE(actions.value(rig.model().rows().at(rig.show(given["shown"].toString()))->action()),
        given["action"].toString());
    for (const QJsonValue &label : given["selected"].toArray())
        QVERIFY2(rig.version(label.toString())->selected(), qPrintable(label.toString()));
    for (const QJsonValue &label : given["unselected"].toArray())
        QVERIFY2(!rig.version(label.toString())->selected(), qPrintable(label.toString()));
}

void TestLmtToolSelectModel::uncheckingAnInstalledVersionNeedsConfirmation()
{
    SelectRig rig(Lines, true);
    LmtToolSelectModel &model = rig.model();
    const int row = rig.show("inst");
    const auto installed = rig.version("inst");
    SignalRecorder recorder(model);
    const QModelIndex check = model.index(row, LmtToolSelectModel::ColumnCheck);

    // Through setData nothing changes: the view has to ask the user first.
    QVERIFY(!model.setData(check, int(Qt::Unchecked), Qt::CheckStateRole));
    QCOMPARE(recorder.order, QStringList { "localToolUnchecked" });
    QCOMPARE(recorder.uncheckedRows, QList<int> { row });
    QVERIFY(installed->selected());
    QCOMPARE(check.data(Qt::CheckStateRole).toInt(), int(Qt::Checked));

    // After the confirmation the row deselects it, logs and repaints; unchanged rows still
    // announce themselves.
    const QStringList announced { "appendUILog", "checkForMissingToolsRequest", "dataChanged",
        "toolSelectionChanged" };
    for (int repeat = 0; repeat < 2; ++repeat) {
        recorder.clear();
        model.uncheckRow(row);
        QCOMPARE(recorder.order, announced);
    }
    QVERIFY(!installed->selected());
    QCOMPARE(check.data(Qt::CheckStateRole).toInt(), int(Qt::Unchecked));
    QCOMPARE(recorder.log,
        QStringList { "'Lumetra Tools' version 3.1.0 was selected for uninstallation" });
    QVERIFY(recorder.wholeAndAuto);

    // Rows outside the list are ignored.
    recorder.clear();
    model.uncheckRow(model.rowCount());
    model.uncheckRow(-1);
    QVERIFY(recorder.order.isEmpty());
}

void TestLmtToolSelectModel::setDataSignalsAndLogsComeInOrder()
{
    SelectRig rig(Lines, true);
    LmtToolSelectModel &model = rig.model();
    const int row = rig.show("dependent");
    const auto tool = rig.version("dependent")->tool();
    SignalRecorder recorder(model);
    const QModelIndex check = model.index(row, 0);

    // A checked version with dependencies asks for them before the missing-tools check.
    QVERIFY(model.setData(check, int(Qt::Checked), Qt::CheckStateRole));
    QCOMPARE(recorder.order,
        QStringList({ "appendUILog", "selectDependentToolsRequest", "checkForMissingToolsRequest",
            "dataChanged", "toolSelectionChanged" }));
    QCOMPARE(
        recorder.log, QStringList { "'Dependent' version 3.1.1 was selected for installation" });
    QCOMPARE(
        recorder.dependents, QList<std::shared_ptr<LmtToolVersion>> { rig.version("dependent") });
    QVERIFY(recorder.wholeAndAuto);

    // Checking again changes nothing but still asks for the dependencies; a state that is
    // neither checked nor unchecked does nothing.
    recorder.clear();
    QVERIFY(!model.setData(check, Qt::Checked, Qt::CheckStateRole));
    QCOMPARE(recorder.order,
        QStringList(
            { "appendUILog", "selectDependentToolsRequest", "checkForMissingToolsRequest" }));
    QVERIFY(!model.rows().at(row)->setCheckState(Qt::PartiallyChecked));
    QVERIFY(rig.version("dependent")->selected());

    // Unchecking asks for nothing.
    recorder.clear();
    QVERIFY(model.setData(check, int(Qt::Unchecked), Qt::CheckStateRole));
    QCOMPARE(recorder.order,
        QStringList({ "appendUILog", "checkForMissingToolsRequest", "dataChanged",
            "toolSelectionChanged" }));
    QCOMPARE(recorder.log, QStringList { "Unselected 'Dependent' version 3.1.1" });

    // A version without dependencies is checked without the request.
    recorder.clear();
    QVERIFY(model.setData(model.index(row, 2), "3.1.0", Qt::EditRole));
    QCOMPARE(model.rows().at(row)->currentVersion(), rig.version("plain"));
    QVERIFY(model.setData(check, int(Qt::Checked), Qt::CheckStateRole));
    QCOMPARE(recorder.order,
        QStringList({ "checkForMissingToolsRequest", "dataChanged", "toolSelectionChanged",
            "appendUILog", "checkForMissingToolsRequest", "dataChanged", "toolSelectionChanged" }));

    // The drop-down key is remembered on the tool even when it changes nothing.
    recorder.clear();
    tool->setSelectedVersionKey(QString());
    QVERIFY(!model.setData(model.index(row, 2), "3.1.0", Qt::EditRole));
    QCOMPARE(tool->selectedVersionKey(), "3.1.0");
    QCOMPARE(recorder.order, QStringList { "checkForMissingToolsRequest" });
    QVERIFY(!model.setData(model.index(row, 2), "7.0.0", Qt::EditRole));
    QCOMPARE(tool->selectedVersionKey(), "7.0.0");
    QCOMPARE(model.rows().at(row)->currentVersion(), rig.version("plain"));

    // Checking an installed version logs it and keeps it.
    const int installedRow = rig.show("inst");
    recorder.clear();
    QVERIFY(!model.setData(model.index(installedRow, 0), int(Qt::Checked), Qt::CheckStateRole));
    QCOMPARE(recorder.log, QStringList { "Selected 'Lumetra Tools' version 3.1.0" });

    // Other roles and columns change nothing but still check dependencies.
    recorder.clear();
    QVERIFY(!model.setData(model.index(row, 1), "x", Qt::EditRole));
    QVERIFY(!model.setData(model.index(row, 0), int(Qt::Unchecked), Qt::EditRole));
    QVERIFY(!model.setData(model.index(row, 2), int(Qt::Unchecked), Qt::CheckStateRole));
    QVERIFY(!model.setData(model.index(row, 3), "text", Qt::EditRole));
    QCOMPARE(recorder.order, QStringList(4, "checkForMissingToolsRequest"));
    QVERIFY(rig.version("plain")->selected());

    // Invalid indexes and rows outside the list answer false and stay silent.
    recorder.clear();
    QStandardItemModel other(10, 4);
    QVERIFY(!model.setData(QModelIndex(), int(Qt::Checked), Qt::CheckStateRole));
    QVERIFY(!model.setData(other.index(7, 0), int(Qt::Checked), Qt::CheckStateRole));
    QVERIFY(recorder.order.isEmpty());
}

void TestLmtToolSelectModel::keysUseFullTextsOnlyForBuildHeads()
{
    // A head with a build number: colliding builds are told apart by their full texts.
    SelectRig rig(Lines, true);
    LmtToolSelectModel &model = rig.model();
    const int builds = rowOfTool(model, "Runtime");
    auto row = model.rows().at(builds);
    QCOMPARE(row->currentVersion(), rig.version("b200"));
    QCOMPARE(row->versionKeys(), QStringList({ "3.1.0.200", "3.1.0.100" }));
    QCOMPARE(model.index(builds, 2).data(Qt::UserRole).toStringList(), row->versionKeys());
    QCOMPARE(model.index(builds, 2).data(Qt::EditRole).toString(), "3.1.0.200");

    // A short text picks the first entry in key order with that major.minor.patch.
    QVERIFY(row->selectVersion("3.1.0"));
    QCOMPARE(row->currentVersion(), rig.version("b100"));
    QCOMPARE(row->currentKey(), "3.1.0.100");
    QVERIFY(!row->selectVersion("3.1.0.100"));
    QVERIFY(!row->selectVersion("4.0.0"));
    QCOMPARE(row->currentVersion(), rig.version("b100"));

    // A head without build: the builds share the short key and the later one wins.
    const int shared = rowOfTool(model, "Shared");
    row = model.rows().at(shared);
    QCOMPARE(row->currentVersion(), rig.version("head"));
    QCOMPARE(row->versionKeys(), QStringList({ "3.1.1", "3.1.0" }));
    QCOMPARE(row->versionForKey("3.1.0"), rig.version("later"));
    QCOMPARE(row->versions(),
        QList<std::shared_ptr<LmtToolVersion>>({ rig.version("later"), rig.version("head") }));
    QCOMPARE(row->versionForKey("3.1.0.100"), nullptr);

    // An external tool's row spans its lines, shows the newest installed one and keys all.
    SelectRig external(Lines, false);
    const auto probe = external.model().rows().at(rowOfTool(external.model(), "Probe"));
    QCOMPARE(probe->currentVersion(), external.version("current"));
    QCOMPARE(probe->versionKeys(), QStringList({ "3.0.0", "2.1.5", "2.1.3", "1.0.0" }));

    // The keys are worked out once, but an entry added afterwards counts.
    row->addVersion("3.2.0", lmttest::addOnline(rig.version("head")->tool(), "3.2.0"));
    QCOMPARE(row->versionKeys(), QStringList({ "3.2.0", "3.1.1", "3.1.0" }));
    QCOMPARE(model.index(shared, 2).data(Qt::UserRole).toStringList(), row->versionKeys());
}

void TestLmtToolSelectModel::thirdPartyToolHasNoDropDown()
{
    SelectRig rig(Lines, true);
    LmtToolSelectModel &model = rig.model();
    const int editor = rowOfTool(model, "Zeta Editor");
    auto row = model.rows().at(editor);
    QCOMPARE(row->versions().size(), 2);
    QVERIFY(!row->hasVersionChoice());
    // The remembered key is not applied without a drop-down.
    QCOMPARE(row->currentKey(), "5.4.0");
    const QModelIndex version = model.index(editor, LmtToolSelectModel::ColumnVersion);
    QCOMPARE(version.data(Qt::DisplayRole).toString(), "5.4.0");
    QVERIFY(!version.data(Qt::UserRole).isValid());
    QVERIFY(!model.flags(version).testFlag(Qt::ItemIsEditable));

    // Any other tool with two entries does offer the choice, painted by the drop-down.
    const int tools = rig.show("inst");
    QVERIFY(model.rows().at(tools)->hasVersionChoice());
    QVERIFY(!model.index(tools, 2).data(Qt::DisplayRole).isValid());
    QVERIFY(model.flags(model.index(tools, 2)).testFlag(Qt::ItemIsEditable));
}

void TestLmtToolSelectModel::upgradeKindFollowsKeyOrder()
{
    SelectRig rig("views/select-upgrades.json", false);
    LmtToolSelectModel &model = rig.model();
    QCOMPARE(rowNames(model), QStringList({ "A Pack 2.0.0", "B Pack 9.0.0", "C Pack 4.0.0" }));

    // 2.1.0 comes before 3.0.0 in key order and decides.
    QCOMPARE(model.rows().at(0)->upgradeKind(), LmtToolSelectRow::MinorOrPatch);
    // "10.0.0" sorts before "9.1.0".
    QCOMPARE(model.rows().at(1)->upgradeKind(), LmtToolSelectRow::Major);
    QCOMPARE(model.rows().at(2)->upgradeKind(), LmtToolSelectRow::None);
    QCOMPARE(model.rows().at(1)->versionKeys(), QStringList({ "10.0.0", "9.1.0", "9.0.0" }));

    const QIcon minor = model.index(0, 2).data(Qt::DecorationRole).value<QIcon>();
    const QIcon major = model.index(1, 2).data(Qt::DecorationRole).value<QIcon>();
    QVERIFY(!minor.pixmap(16, 16).isNull());
    QVERIFY(!major.pixmap(16, 16).isNull());
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

void TestLmtToolSelectModel::rowsAreSortedSplitAndFiltered()
{
    const QString table = QStringLiteral("views/select-table.json");
    SelectRig base(table, true);
    QCOMPARE(rowNames(base.model()),
        QStringList({ "Lumetra Tools 3.2.0", "Lumetra Patch 3.1.4", "Lumetra Tools 3.1.0",
            "Alpha Editor 1.0.0", "Zeta Editor 5.3.0" }));
    QCOMPARE(base.model().columnCount(), 4);
    QCOMPARE(base.model().rowCount(base.model().index(0, 0)), 0);

    // Versions without a package for this platform are dropped, installed ones stay; a head
    // that is dropped remains the shown version. A key that no longer exists shows the head.
    SelectRig additional(table, false);
    LmtToolSelectModel &model = additional.model();
    QCOMPARE(rowNames(model),
        QStringList({ "Misc 0.1.0", "Probe 2.0.0", "Kept 0.9.0", "Mixed 1.1.0", "Pack A 1.1.0",
            "Pack B 1.0.0", "Pack C 1.0.0" }));
    // The remembered drop-down choice is shown again, without selecting anything.
    QCOMPARE(model.index(rowOfTool(model, "Pack C"), 2).data(Qt::EditRole).toString(), "1.0.0");
    QVERIFY(!additional.version("chosen")->selected());
    QCOMPARE(model.rows().at(rowOfTool(model, "Pack A"))->currentVersion(),
        additional.version("packHead"));
    const auto mixed = model.rows().at(rowOfTool(model, "Mixed"));
    QCOMPARE(mixed->currentVersion(), additional.version("unusable"));
    QCOMPARE(mixed->versionKeys(), QStringList { "1.0.0" });
    QCOMPARE(
        mixed->versions(), QList<std::shared_ptr<LmtToolVersion>> { additional.version("usable") });
    QVERIFY(!mixed->hasVersionChoice());
    QCOMPARE(model.rows().at(rowOfTool(model, "Kept"))->versions(),
        QList<std::shared_ptr<LmtToolVersion>> { additional.version("kept") });

    // A refresh replaces the rows in one reset.
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    model.updateToolsData(std::make_shared<LmtCoreToolModel>());
    QCOMPARE(reset.count(), 1);
    QCOMPARE(model.rowCount(), 0);
}

void TestLmtToolSelectModel::bothScopesOfOneVersionKeepARowEach_data()
{
    QTest::addColumn<QString>("unticked");
    QTest::newRow("current user") << "user";
    QTest::newRow("all users") << "all";
}

// Whichever of two installations of one version is unticked, it keeps a row of its own that
// says it will be uninstalled, and the other one is neither hidden nor touched.
void TestLmtToolSelectModel::bothScopesOfOneVersionKeepARowEach()
{
    QFETCH(QString, unticked);
    SelectRig rig("views/select-scopes.json", true);
    LmtToolSelectModel &model = rig.model();
    const auto gone = rig.version(unticked);
    const auto kept = rig.version(unticked == "all" ? "user" : "all");
    const auto rowShowing = [&model](const std::shared_ptr<LmtToolVersion> &version) {
        for (int i = 0; i < model.rowCount(); ++i) {
            if (model.rows().at(i)->currentVersion() == version)
                return i;
        }
        return -1;
    };
    const auto verifyRows = [&] {
        QCOMPARE(model.rowCount(), 2);
        for (const auto &installation : { gone, kept }) {
            const int row = rowShowing(installation);
            QVERIFY(row >= 0);
            // The drop-down's entry of the shown version is that very installation.
            const auto &selectRow = model.rows().at(row);
            QCOMPARE(selectRow->versionForKey(selectRow->currentKey()), installation);
        }
        QCOMPARE(model.index(rowShowing(rig.version("user")), 1).data().toString(),
            QString("Lumetra Tools (Current user)"));
        QCOMPARE(model.index(rowShowing(rig.version("all")), 1).data().toString(),
            QString("Lumetra Tools (All users)"));
    };
    verifyRows();
    if (QTest::currentTestFailed())
        return;

    model.uncheckRow(rowShowing(gone));
    QVERIFY(!gone->selected());
    QVERIFY(kept->selected());
    rig.run("reload");
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

void TestLmtToolSelectModel::flagsAndDataFollowWhatCanBeDone()
{
    SelectRig rig("views/select-flags.json", true);
    LmtToolSelectModel &model = rig.model();
    const auto checkFlags = [&model](const QString &name) {
        return model.flags(model.index(rowOfTool(model, name), 0));
    };
    // 3rd-party tools: a silent installer or an uninstaller makes the check box usable.
    QVERIFY(checkFlags("A Editor").testFlag(Qt::ItemIsEnabled));
    QVERIFY(!checkFlags("B Editor").testFlag(Qt::ItemIsEnabled));
    QVERIFY(checkFlags("C Editor").testFlag(Qt::ItemIsEnabled));
    QVERIFY(!checkFlags("D Editor").testFlag(Qt::ItemIsEnabled));
    QVERIFY(checkFlags("D Editor").testFlag(Qt::ItemIsUserCheckable));

    const int allRow = rig.show("all");
    const auto has = [&](int column, Qt::ItemFlag flag) {
        return model.flags(model.index(allRow, column)).testFlag(flag);
    };
    QVERIFY(has(0, Qt::ItemIsEnabled) && has(0, Qt::ItemIsUserCheckable));
    QVERIFY(has(3, Qt::ItemIsEditable));
    QVERIFY(!has(2, Qt::ItemIsEditable) && !has(1, Qt::ItemIsEditable));
    QVERIFY(!has(1, Qt::ItemIsUserCheckable));
    // Rows outside the list get nothing added.
    QStandardItemModel other(10, 4);
    const QModelIndex outside = other.index(9, 3);
    QCOMPARE(model.flags(outside), model.QAbstractTableModel::flags(outside));

    // Data answers only its roles and columns.
    QCOMPARE(model.index(allRow, 1).data().toString(), "Lumetra Tools (All users)");
    QCOMPARE(model.index(allRow, 2).data().toString(), "3.1.0");
    for (const auto &[column, role] : { std::pair { 0, Qt::DisplayRole }, { 3, Qt::DisplayRole },
             { 1, Qt::EditRole }, { 1, Qt::CheckStateRole }, { 0, Qt::DecorationRole },
             { 1, Qt::UserRole }, { 1, Qt::FontRole } })
        QVERIFY(!model.index(allRow, column).data(role).isValid());
    QVERIFY(!model.data(outside, Qt::DisplayRole).isValid());
    QVERIFY(!model.data(QModelIndex(), Qt::DisplayRole).isValid());

    // The error icon marks the row whose shown version has an unmet dependency.
    const auto dependent = rig.version("dependent");
    const int dependentRow = rig.show("dependent");
    QVERIFY(!model.index(dependentRow, 1).data(Qt::DecorationRole).isValid());
    model.setMissingDependencies({ { dependent, nullptr } });
    const QIcon error = model.index(dependentRow, 1).data(Qt::DecorationRole).value<QIcon>();
    QVERIFY(!error.pixmap(16, 16).isNull());
    QCOMPARE(model.index(dependentRow, 1).data(Qt::DecorationRole).value<QIcon>().cacheKey(),
        error.cacheKey());
    QVERIFY(!model.index(allRow, 1).data(Qt::DecorationRole).isValid());
    // An equal but distinct version object does not count.
    model.setMissingDependencies({ { LmtOnlineToolVersion::create("3.2.0", 0, 1), nullptr } });
    QVERIFY(!model.index(dependentRow, 1).data(Qt::DecorationRole).isValid());
}

QTEST_MAIN(TestLmtToolSelectModel)
#include "tst_LmtToolSelectModel.moc"

void TestLmtToolSelectModel::changedRowsAreAnnouncedInRuns_data()
{
    // One letter per row of the table: x changed.
    QTest::addColumn<QString>("changed");
    QTest::addColumn<QString>("announced");
    QTest::newRow("nothing") << "-------"
                             << "";
    QTest::newRow("one row") << "---x---"
                             << "3-3";
    QTest::newRow("runs at both ends") << "xx---xx"
                                       << "0-1 5-6";
    QTest::newRow("every row") << "xxxxxxx"
                               << "0-6";
    QTest::newRow("every other row") << "x-x-x-x"
                                     << "0-0 2-2 4-4 6-6";
}

void TestLmtToolSelectModel::changedRowsAreAnnouncedInRuns()
{
    QFETCH(QString, changed);
    QFETCH(QString, announced);
    SelectRig rig(QStringLiteral("views/select-table.json"), false);
    LmtToolSelectModel &model = rig.model();
    QCOMPARE(model.rowCount(), changed.size());
    QStringList runs;
    QObject::connect(&model, &QAbstractItemModel::dataChanged, &model,
        [&runs](const QModelIndex &from, const QModelIndex &to) {
            const bool wholeRows = from.column() == LmtToolSelectModel::ColumnCheck
                && to.column() == LmtToolSelectModel::ColumnInfo;
            runs << QStringLiteral("%1-%2%3")
                        .arg(from.row())
                        .arg(to.row())
                        .arg(wholeRows ? "" : "?");
        });
    model.announceRowChanges([&](const LmtToolSelectRow &row) {
        for (int i = 0; i < model.rows().size(); ++i) {
            if (model.rows().at(i).get() == &row)
                return changed.at(i) == QLatin1Char('x');
        }
        return false;
    });
    QCOMPARE(runs.join(' '), announced);
}
