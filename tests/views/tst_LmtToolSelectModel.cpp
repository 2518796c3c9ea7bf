#include "common/LmtTableRows.h"
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

namespace {

// A row as one line: its name, shown version and key, each key of the drop-down with the
// version behind it, the versions of the row, the upgrade it offers, the version cell's
// text/edit text and key list, the flags of the columns (enabled, checkable, writable), the
// check state and the action.
QString snapshot(const SelectRig &rig, const LmtToolSelectModel &model, int i)
{
    const auto &row = model.rows().at(i);
    QStringList keys, versions, flags;
    for (const QString &key : row->versionKeys())
        keys << key + "=" + rig.labelOf(row->versionForKey(key));
    for (const auto &version : row->versions())
        versions << rig.labelOf(version);
    for (int column = 0; column < model.columnCount(); ++column) {
        const Qt::ItemFlags f = model.flags(model.index(i, column));
        flags << QString(f & Qt::ItemIsEnabled ? "e" : "")
                + (f & Qt::ItemIsUserCheckable ? "c" : "") + (f & Qt::ItemIsEditable ? "w" : "");
    }
    const QModelIndex cell = model.index(i, LmtToolSelectModel::ColumnVersion);
    const QVariant list = cell.data(Qt::UserRole);
    static const QStringList actions { "NoChange", "Install", "Update", "Downgrade", "Uninstall" };
    return QStringList(
        { model.index(i, 1).data().toString(), rig.labelOf(row->currentVersion()),
            row->currentKey(), keys.join(','), versions.join(','),
            QString("up%1").arg(int(row->upgradeKind())),
            row->hasVersionChoice() ? "choice" : "fixed",
            cell.data(Qt::DisplayRole).toString() + "/" + cell.data(Qt::EditRole).toString(),
            list.isValid() ? (list.toStringList() == row->versionKeys() ? "list" : "?") : "-",
            flags.join('/'),
            model.index(i, 0).data(Qt::CheckStateRole).toInt() == Qt::Checked ? "on" : "off",
            actions.value(row->action()) })
        .join(' ');
}

} // namespace

class TestLmtToolSelectModel : public QObject
{
    Q_OBJECT

    lmttest::Sandbox m_sandbox;

private Q_SLOTS:
    void modelFollowsTheSteps_data() { lmttest::rowsFrom("views/select-steps.json", "given"); }
    void modelFollowsTheSteps();
    // The information text of a row and the tool tip of its check box and name, after steps.
    void hintsSayWhatWillHappen_data() { lmttest::rowsFrom("views/hints-cases.json", "given"); }
    void hintsSayWhatWillHappen() { modelFollowsTheSteps(); }
    void upgradeIconsAndTips();
    void dataAnswersOnlyItsRolesAndColumns();
    // One letter per row of the table (x: changed), and the runs of rows announced.
    void changedRowsAreAnnouncedInRuns_data()
    {
        lmttest::rowsFrom("views/select-runs.txt", { "changed", "announced" });
    }
    void changedRowsAreAnnouncedInRuns();
};

// A catalogue (select-lines unless named), the steps of SelectRig, then, when given, every
// row of the table as a snapshot line, in order.
void TestLmtToolSelectModel::modelFollowsTheSteps()
{
    QFETCH(QJsonObject, given);
    SelectRig rig(
        "views/" + given["fixture"].toString("select-lines") + ".json", given["base"].toBool(true));
    rig.runAll(given["steps"]);
    QStringList rows, expected;
    for (int i = 0; i < rig.model().rowCount() && given.contains("rows"); ++i)
        rows << snapshot(rig, rig.model(), i);
    for (const QJsonValue &line : given["rows"].toArray())
        expected << line.toString();
    QCOMPARE(rows, expected);
}

void TestLmtToolSelectModel::upgradeIconsAndTips()
{
    SelectRig rig("views/select-upgrades.json", false);
    const QAbstractItemModel &model = rig.model();
    // Rows: a minor, a major upgrade, none; each kind's icon is built once for every row.
    const auto icon
        = [&model](int row) { return model.index(row, 2).data(Qt::DecorationRole).value<QIcon>(); };
    QVERIFY(!icon(0).pixmap(16, 16).isNull() && !icon(1).pixmap(16, 16).isNull());
    QVERIFY(icon(0).cacheKey() != icon(1).cacheKey() && icon(0).cacheKey() == icon(0).cacheKey());
    QCOMPARE(QStringList({ model.index(0, 2).data(Qt::ToolTipRole).toString(),
                 model.index(1, 2).data(Qt::ToolTipRole).toString(),
                 model.index(2, 2).data(Qt::ToolTipRole).isValid() ? "a tip" : "none" }),
        QStringList({ "There is a new minor or patch version available.",
            "There is a new major version available.", "none" }));
    // Without upgrade a transparent 16x16 placeholder keeps the column's layout.
    const QImage image = model.index(2, 2).data(Qt::DecorationRole).value<QPixmap>().toImage();
    QCOMPARE(image.size(), QSize(16, 16));
    QCOMPARE(qAlpha(image.pixel(8, 8)), 0);
}

void TestLmtToolSelectModel::dataAnswersOnlyItsRolesAndColumns()
{
    SelectRig rig("views/select-flags.json", true);
    LmtToolSelectModel &model = rig.model();
    const int allRow = rig.show("all");
    // Indexes of another model get nothing added and change nothing.
    QStandardItemModel other(10, 4);
    QCOMPARE(model.flags(other.index(9, 3)), model.QAbstractTableModel::flags(other.index(9, 3)));
    QVERIFY(!model.setData(other.index(7, 0), int(Qt::Checked), Qt::CheckStateRole));
    QVERIFY(!model.data(other.index(9, 3), Qt::DisplayRole).isValid());
    QVERIFY(!model.data(QModelIndex(), Qt::DisplayRole).isValid());
    for (const auto &[column, role] : { std::pair { 0, Qt::DisplayRole }, { 3, Qt::DisplayRole },
             { 1, Qt::EditRole }, { 1, Qt::CheckStateRole }, { 0, Qt::DecorationRole },
             { 1, Qt::UserRole }, { 1, Qt::FontRole }, { 1, Qt::DecorationRole } })
        QVERIFY(!model.index(allRow, column).data(role).isValid());
    QCOMPARE(model.columnCount() + model.rowCount(model.index(0, 0)), 4);

    // The error icon marks the row whose shown version has an unmet dependency, by identity:
    // an equal but distinct version object does not count.
    const int dependentRow = rig.show("dependent");
    const auto error = [&] { return model.index(dependentRow, 1).data(Qt::DecorationRole); };
    rig.run("missing dependent=");
    QVERIFY(!error().value<QIcon>().pixmap(16, 16).isNull());
    QCOMPARE(error().value<QIcon>().cacheKey(), error().value<QIcon>().cacheKey());
    model.setMissingDependencies({ { LmtOnlineToolVersion::create("3.2.0", 0, 1), nullptr } });
    QVERIFY(!error().isValid());
    // A refresh replaces the rows in one reset.
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    model.updateToolsData(std::make_shared<LmtCoreToolModel>());
    QCOMPARE(reset.count() + model.rowCount(), 1);
}

QTEST_MAIN(TestLmtToolSelectModel)
#include "tst_LmtToolSelectModel.moc"

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
            runs << QStringLiteral("%1.%2-%3.%4")
                        .arg(from.row())
                        .arg(from.column())
                        .arg(to.row())
                        .arg(to.column());
        });
    model.announceRowChanges([&](const LmtToolSelectRow &row) {
        for (int i = 0; i < model.rowCount(); ++i) {
            if (model.rows().at(i).get() == &row)
                return changed.at(i) == 'x';
        }
        return false;
    });
    QCOMPARE(runs.join(' '), announced);
}
