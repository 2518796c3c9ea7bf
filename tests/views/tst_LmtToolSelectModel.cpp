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
using zendrel::lmt::shared_toolkit::ConsoleMessageType;

namespace {

const QString Lines = QStringLiteral("views/select-lines.json");

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
    void modelFollowsTheSteps_data();
    void modelFollowsTheSteps();
    void hintsSayWhatWillHappen_data();
    void hintsSayWhatWillHappen();
    void upgradeIconsAndTips();
    void dataAnswersOnlyItsRolesAndColumns();
    void changedRowsAreAnnouncedInRuns_data();
    void changedRowsAreAnnouncedInRuns();
};

void TestLmtToolSelectModel::modelFollowsTheSteps_data()
{
    lmttest::rowsFrom("views/select-steps.json", "given");
}

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

// The information text of a row and the tool tip of its check box and name, after steps.
void TestLmtToolSelectModel::hintsSayWhatWillHappen_data()
{
    lmttest::rowsFrom("views/hints-cases.json", "given");
}

void TestLmtToolSelectModel::hintsSayWhatWillHappen()
{
    modelFollowsTheSteps();
}

void TestLmtToolSelectModel::upgradeIconsAndTips()
{
    SelectRig rig("views/select-upgrades.json", false);
    LmtToolSelectModel &model = rig.model();
    // Rows: a minor, a major upgrade, none.
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

void TestLmtToolSelectModel::dataAnswersOnlyItsRolesAndColumns()
{
    SelectRig rig("views/select-flags.json", true);
    LmtToolSelectModel &model = rig.model();
    const int allRow = rig.show("all");
    // Rows outside the list get nothing added.
    QStandardItemModel other(10, 4);
    const QModelIndex outside = other.index(9, 3);
    QCOMPARE(model.flags(outside), model.QAbstractTableModel::flags(outside));
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    QVERIFY(!model.setData(other.index(7, 0), int(Qt::Checked), Qt::CheckStateRole));
    QCOMPARE(changed.count(), 0);

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

    QCOMPARE(model.columnCount(), 4);
    QCOMPARE(model.rowCount(model.index(0, 0)), 0);
    // A refresh replaces the rows in one reset.
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    model.updateToolsData(std::make_shared<LmtCoreToolModel>());
    QCOMPARE(reset.count(), 1);
    QCOMPARE(model.rowCount(), 0);
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
