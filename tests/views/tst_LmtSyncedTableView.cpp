#include "views/LmtSpinnerWidget.h"
#include "views/LmtSyncedTableView.h"

#include <QHeaderView>
#include <QImage>
#include <QStandardItemModel>
#include <QTableView>
#include <QTest>

using namespace zendrel::lmt::setup;

class tst_LmtSyncedTableView : public QObject
{
    Q_OBJECT

    static void fill(QStandardItemModel &model, const QList<QStringList> &rows)
    {
        for (const QStringList &texts : rows) {
            QList<QStandardItem *> items;
            for (const QString &text : texts)
                items << new QStandardItem(text);
            model.appendRow(items);
        }
    }

private Q_SLOTS:
    void tablesShareWidthsAndRowHeight()
    {
        LmtSyncedTableView page;
        QTableView upper(&page);
        QTableView lower(&page);
        QStandardItemModel upperModel;
        QStandardItemModel lowerModel;
        fill(upperModel, { { "a very very long first column text", "b", "c" } });
        fill(lowerModel,
            { { "x", "a much much longer second column text", "z" }, { "x2", "y2", "z2" } });
        upperModel.item(0, 2)->setFont(QFont("Sans", 30)); // a tall row in the upper table
        upper.setModel(&upperModel);
        lower.setModel(&lowerModel);

        // What each table needs on its own.
        QList<int> needed;
        for (int column = 0; column < 3; ++column) {
            upper.resizeColumnToContents(column);
            lower.resizeColumnToContents(column);
            needed << std::max(upper.columnWidth(column), lower.columnWidth(column));
        }
        upper.resizeRowsToContents();
        lower.resizeRowsToContents();
        const int tallest = upper.rowHeight(0);
        // Measured before the sync: otherwise the heights compared below are equal anyway.
        QVERIFY(tallest > lower.rowHeight(0));

        // Nothing registered: nothing happens.
        upper.setColumnWidth(0, 60);
        page.syncTables();
        QCOMPARE(upper.columnWidth(0), 60);

        page.addTable(&upper);
        page.addTable(&lower);
        page.setColumnPadding(1, 20);
        page.setColumnPadding(1, 30); // replaces
        page.syncTables();
        for (int column = 0; column < 3; ++column) {
            QCOMPARE(upper.columnWidth(column), lower.columnWidth(column));
            QCOMPARE(upper.columnWidth(column), needed.at(column) + (column == 1 ? 30 : 0));
        }
        QCOMPARE(lower.rowHeight(0), tallest);
        QCOMPARE(lower.rowHeight(1), tallest);
        QCOMPARE(upper.rowHeight(0), tallest);
    }

    // The spinner of a running job; whether it follows the job's state is checked with the
    // install view.
    void spinnerTurnsAndLeavesAHoleFromSevenPixels()
    {
        LmtSpinnerWidget spinner;
        for (int i = 1; i <= 8; ++i) {
            spinner.onTimeout();
            QCOMPARE(spinner.angle(), 45 * i % 360);
        }
        // The timer turns it by itself.
        QTRY_VERIFY_WITH_TIMEOUT(spinner.angle() != 0, 5000);

        // The spokes start 1 pixel from the centre; the hole, of a seventh of the height, cuts
        // into the centre's pixels only from 7 pixels up. The corners lie outside every spoke.
        // Painted: the pixels of the centre, of the middle column, of the whole widget.
        const auto painted = [&spinner](int side, int from, int to, bool column) {
            spinner.resize(side, side);
            const QImage image = spinner.grab().toImage();
            for (int y = from; y < to; ++y) {
                for (int x = column ? side / 2 : from; x < (column ? side / 2 + 1 : to); ++x) {
                    if (image.pixelColor(x, y) != image.pixelColor(0, 0))
                        return true;
                }
            }
            return false;
        };
        QVERIFY(painted(6, 2, 4, false));
        QVERIFY(!painted(28, 13, 15, false));
        QVERIFY(painted(28, 0, 28, true));
        // Disabled: nothing is drawn.
        spinner.setEnabled(false);
        QVERIFY(!painted(28, 0, 28, false));
    }
};

QTEST_MAIN(tst_LmtSyncedTableView)
#include "tst_LmtSyncedTableView.moc"
