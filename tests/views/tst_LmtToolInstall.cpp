#include "views/LmtSpinnerWidget.h"
#include "views/LmtSyncedTableView.h"
#include "views/LmtToolInstallModel.h"
#include "views/LmtToolInstallView.h"
#include "views/LmtVisibleRowEditors.h"
#include "views/SelectTestCatalogue.h"

using namespace zendrel::lmt::setup;

// The install page over two offered versions to install and one installed version to remove,
// and the widgets the pages share: tables that line up, editors on the rows in reach and the
// spinner of a running job.
class tst_LmtToolInstall : public QObject
{
    Q_OBJECT

    selecttest::Catalogue m_catalogue { "views/install.json" };

private Q_SLOTS:
    void tablesShareWidthsAndRowHeight()
    {
        LmtSyncedTableView page;
        QTableView upper(&page), lower(&page);
        QStandardItemModel upperModel(1, 3), lowerModel(2, 3);
        // The first column's long text above, the second's longer one below, a tall row above.
        for (int i = 0; i < 9; ++i)
            (i < 3 ? upperModel : lowerModel)
                .setItem(std::max(i / 3 - 1, 0), i % 3,
                    new QStandardItem(QString(i == 0 ? 30
                            : i == 4                 ? 40
                                                     : 2,
                        QChar('a' + i))));
        upperModel.item(0, 2)->setFont(QFont("Sans", 30));
        upper.setModel(&upperModel);
        lower.setModel(&lowerModel);

        // What each table needs on its own.
        for (QTableView *table : { &upper, &lower })
            table->resizeColumnsToContents(), table->resizeRowsToContents();
        QList<int> needed;
        for (int column = 0; column < 3; ++column)
            needed << std::max(upper.columnWidth(column), lower.columnWidth(column));
        const int tallest = upper.rowHeight(0);
        // Measured before the sync: otherwise the heights compared below are equal anyway.
        QVERIFY(tallest > lower.rowHeight(0));

        page.addTable(&upper);
        page.addTable(&lower);
        page.setColumnPadding(1, 20);
        page.setColumnPadding(1, 30); // replaces
        page.syncTables();
        QList<int> widths;
        for (int column = 0; column < 3; ++column)
            widths << upper.columnWidth(column) - needed.at(column)
                   << lower.columnWidth(column) - needed.at(column);
        QCOMPARE(widths, QList<int>({ 0, 0, 30, 30, 0, 0 }));
        QCOMPARE(QList<int>({ lower.rowHeight(0), lower.rowHeight(1), upper.rowHeight(0) }),
            QList<int>(3, tallest));
    }

    // Rows out of view are measured over the next turns: a tall, wide one there raises every row
    // and widens its column, in every table.
    void aTallWideRowOutOfViewResizesEveryTableLater()
    {
        LmtSyncedTableView page;
        QTableView table(&page), other(&page);
        QStandardItemModel model(200, 2), otherModel(1, 2);
        for (int row = 0; row < model.rowCount(); ++row)
            model.setItem(row, 0, new QStandardItem(QStringLiteral("x")));
        model.setItem(199, 0, new QStandardItem(QString(40, QChar('w'))));
        model.item(199, 0)->setFont(QFont("Sans", 30));
        otherModel.setItem(0, 0, new QStandardItem(QStringLiteral("y")));
        table.setModel(&model);
        other.setModel(&otherModel);
        table.resizeRowToContents(199);
        table.resizeColumnToContents(0);
        const QList<int> large { table.rowHeight(199), table.columnWidth(0) + 5 };
        table.resizeRowToContents(0);
        const int plainHeight = table.rowHeight(0);

        page.addTable(&table);
        page.addTable(&other);
        page.setColumnPadding(0, 5);
        page.syncTables();
        const auto sizes = [&] {
            return QList<int> { table.rowHeight(100), other.rowHeight(0), table.columnWidth(0),
                other.columnWidth(0) };
        };
        QCOMPARE(sizes().first(), plainHeight);
        QVERIFY(sizes().at(2) < large.at(1));
        QTRY_VERIFY(!page.measuringRows());
        QCOMPARE(sizes(), (QList<int> { large.at(0), large.at(0), large.at(1), large.at(1) }));
    }

    // A real table with a real model: which rows have editors depends on the view's own
    // geometry and scrolling, which a fake could not have.
    void editorsFollowTheRowsInReach()
    {
        constexpr int Rows = 400;
        QStandardItemModel model(Rows, 2);
        QTableView table;
        // The rows whose cell in the column has an open editor, as "first-last" runs.
        const auto openRows = [&](int column) {
            QStringList runs;
            for (int row = 0, start = -1; row <= Rows; ++row) {
                const bool open
                    = row < Rows && table.isPersistentEditorOpen(model.index(row, column));
                if (open && start < 0)
                    start = row;
                if (!open && start >= 0)
                    runs << QStringLiteral("%1-%2").arg(start).arg(row - 1), start = -1;
            }
            return runs.join(' ');
        };
        for (int row = 0; row < Rows; ++row) {
            model.setItem(row, 1, new QStandardItem(QString::number(row)));
            // Every tenth row of column 0 cannot be edited and gets no editor.
            auto *item = new QStandardItem(QString::number(row));
            item->setEditable(row % 10 != 0);
            model.setItem(row, 0, item);
        }
        table.setModel(&model);
        table.verticalHeader()->setDefaultSectionSize(20);
        auto *editors = new LmtVisibleRowEditors(&table);

        // Not shown yet: nothing is in view, the first rows open over the next turns.
        editors->follow(1);
        QCOMPARE(openRows(1), QString());
        QTRY_COMPARE(openRows(1), QStringLiteral("0-49"));

        // 10 rows in view: those and a screenful below (none above the top).
        table.resize(
            300, 200 + 2 * table.frameWidth() + table.horizontalScrollBar()->sizeHint().height());
        table.show();
        QVERIFY(QTest::qWaitForWindowExposed(&table));
        const int inView = table.rowAt(table.viewport()->height() - 1) + 1;
        QTRY_COMPARE(openRows(1), QStringLiteral("0-%1").arg(2 * inView - 1));

        editors->follow(0);
        QVERIFY(!table.isPersistentEditorOpen(model.index(0, 0)));
        QVERIFY(table.isPersistentEditorOpen(model.index(1, 0)));

        // Scrolled to the middle: a screenful either side; the top rows are closed again but
        // for the one being typed in.
        table.indexWidget(model.index(5, 1))->setFocus();
        table.scrollTo(model.index(200, 1), QAbstractItemView::PositionAtTop);
        QCOMPARE(openRows(1), QStringLiteral("5-5 200-%1").arg(200 + inView - 1)); // in view
        QTRY_COMPARE(
            openRows(1), QStringLiteral("5-5 %1-%2").arg(200 - inView).arg(200 + 2 * inView - 1));
        QCOMPARE(table.rowAt(0), 200);
        table.setFocus();
        table.verticalScrollBar()->setValue(table.verticalScrollBar()->maximum());
        QTRY_COMPARE(openRows(1), QStringLiteral("%1-%2").arg(Rows - 2 * inView).arg(Rows - 1));
        QTRY_COMPARE(openRows(0), QStringLiteral("381-389 391-399")); // 390 cannot be edited

        // A taller view reaches more rows.
        table.resize(table.width(), table.height() + 200);
        QTRY_COMPARE(openRows(1), QStringLiteral("%1-%2").arg(Rows - 4 * inView).arg(Rows - 1));

        // After a reset the old rows' editors are gone and nothing is followed until asked.
        model.clear();
        model.setRowCount(Rows);
        model.setColumnCount(2);
        table.verticalScrollBar()->setValue(0);
        QCOMPARE(openRows(1), QString());
    }
    // The spinner of a running job; whether it follows the job's state is checked with the
    // install view.
    void spinnerTurnsAndLeavesAHoleFromSevenPixels()
    {
        LmtSpinnerWidget spinner;
        QList<int> angles;
        for (int i = 1; i <= 8; ++i)
            spinner.onTimeout(), angles << spinner.angle();
        QCOMPARE(angles, QList<int>({ 45, 90, 135, 180, 225, 270, 315, 0 }));
        // The timer turns it by itself.
        QTRY_VERIFY_WITH_TIMEOUT(spinner.angle() != 0, 5000);

        // The spokes start 1 pixel from the centre; the hole, of a seventh of the height, cuts
        // into the centre's pixels only from 7 pixels up. The corners lie outside every spoke.
        // Painted: the pixels of the centre, of the middle column, of the whole widget.
        const auto painted = [&spinner](int side, int from, int to, bool column) {
            spinner.resize(side, side);
            const QImage image = spinner.grab().toImage();
            for (int y = from; y < to; ++y)
                for (int x = column ? side / 2 : from; x < (column ? side / 2 + 1 : to); ++x)
                    if (image.pixelColor(x, y) != image.pixelColor(0, 0))
                        return true;
            return false;
        };
        QVERIFY(painted(6, 2, 4, false) && !painted(28, 13, 15, false) && painted(28, 0, 28, true));
        // Disabled: nothing is drawn.
        spinner.setEnabled(false);
        QVERIFY(!painted(28, 0, 28, false));
    }

    // Steps "download|install|uninstall Status featureId version", "progress percent
    // featureId version" or "reload", each followed, when given, by every row ("table": name,
    // version, "*" while its spinner turns or "-", status and the colour it is shown in, if
    // not the usual one, progress) and the rows and columns
    // announced ("announced"); always by the completions the view announced ("complete") and
    // its log lines ("log"), both empty unless given.
    void viewFollowsTheJobs_data() { lmttest::rowsFrom("views/install-steps.json", "given"); }

    void viewFollowsTheJobs()
    {
        QFETCH(QJsonObject, given);
        LmtToolInstallView view;
        QStringList complete, log, announced;
        connect(&view, &LmtToolInstallView::allJobsComplete, this,
            [&complete](bool success) { complete << (success ? "success" : "failure"); });
        connect(&view, qOverload<QString, ConsoleMessageType>(&LmtToolInstallView::appendUILog),
            this, [&log](const QString &text, ConsoleMessageType type) {
                log << text + (type == ConsoleMessageType::Auto ? "" : " (typed)");
            });
        const QAbstractItemModel *model = view.table()->model();
        connect(model, &QAbstractItemModel::dataChanged, this,
            [&announced](const QModelIndex &from, const QModelIndex &to) {
                announced << QString::asprintf(
                    "%d.%d-%d.%d", from.row(), from.column(), to.row(), to.column());
            });
        // Empty, it has finished at once and has no range to announce.
        QVERIFY(view.model()->allFinished() && view.model()->allSucceeded());
        view.model()->setStatus("x", "1.0.0", Succeeded, LmtToolInstallRow::Install);
        QVERIFY(announced.isEmpty());
        view.updateToolsData(m_catalogue.model);
        // Only its columns and roles answer.
        QVERIFY(!model->index(0, 0).data(Qt::UserRole).isValid()
            && !model->index(3, 0).data().isValid());
        for (const QJsonValue &entry : given["steps"].toArray()) {
            const QStringList step = entry["do"].toString().split(' ');
            if (step[0] == "reload")
                view.updateToolsData(m_catalogue.model);
            else if (step[0] == "progress")
                view.onDownloadProgressChanged(step.at(1).toFloat(), step.at(2), step.at(3));
            else // "download" goes to onDownloadStatusChanged(), and so on
                QVERIFY(QMetaObject::invokeMethod(&view,
                    qPrintable("on" + step[0].left(1).toUpper() + step[0].mid(1) + "StatusChanged"),
                    Q_ARG(LmtOperationStatus,
                        LmtOperationStatus(QMetaEnum::fromType<LmtOperationStatus>().keyToValue(
                            qPrintable(step.at(1))))),
                    Q_ARG(QString, step.at(2)), Q_ARG(QString, step.at(3))));
            QStringList rows;
            for (int row = 0; row < model->rowCount() && entry["table"].isArray(); ++row) {
                const QVariant colour = model->index(row, 3).data(Qt::ForegroundRole);
                rows << QStringList(
                    { model->index(row, 0).data().toString(),
                        model->index(row, 1).data().toString(),
                        view.table()->indexWidget(model->index(row, 2))->isEnabled() ? "*" : "-",
                        model->index(row, 3).data().toString()
                            + (colour.isValid() ? " " + colour.value<QBrush>().color().name() : ""),
                        QString::number(view.model()->rows().at(row)->progress) })
                            .join(" | ");
            }
            QCOMPARE(rows, QVariant(entry["table"].toArray().toVariantList()).toStringList());
            if (entry["announced"].isString())
                QCOMPARE(announced.join(' '), entry["announced"].toString());
            QCOMPARE(complete.join(' '), entry["complete"].toString());
            QCOMPARE(log.join(" | "), entry["log"].toString());
            if (QTest::currentTestFailed())
                QFAIL(qPrintable("after " + entry["do"].toString()));
            complete.clear(), log.clear(), announced.clear();
        }
    }
};

QTEST_MAIN(tst_LmtToolInstall)
#include "tst_LmtToolInstall.moc"
