#include "views/LmtSpinnerWidget.h"
#include "views/LmtSyncedTableView.h"
#include "views/LmtToolSpinnerDelegate.h"

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
        const auto centreIsPainted = [&spinner](int side) {
            spinner.resize(side, side);
            const QImage image = spinner.grab().toImage();
            const QColor background = image.pixelColor(0, 0);
            bool painted = false;
            for (const QPoint &pixel :
                { QPoint(side / 2 - 1, side / 2 - 1), QPoint(side / 2, side / 2 - 1),
                    QPoint(side / 2 - 1, side / 2), QPoint(side / 2, side / 2) })
                painted = painted || image.pixelColor(pixel) != background;
            return painted;
        };
        QVERIFY(centreIsPainted(6));
        QVERIFY(!centreIsPainted(28));
        const QImage big = spinner.grab().toImage();
        bool spokePainted = false;
        for (int y = 0; y < 28 && !spokePainted; ++y)
            spokePainted = big.pixelColor(14, y) != big.pixelColor(0, 0);
        QVERIFY(spokePainted);

        // Disabled: nothing is drawn.
        spinner.setEnabled(false);
        const QImage disabled = spinner.grab().toImage();
        for (int y = 0; y < 28; ++y)
            for (int x = 0; x < 28; ++x)
                QCOMPARE(disabled.pixelColor(x, y), disabled.pixelColor(0, 0));
    }

    void spinnerDelegateFollowsRunningFlag()
    {
        QStandardItemModel model(2, 1);
        model.setData(model.index(0, 0), true, Qt::UserRole);
        model.setData(model.index(1, 0), false, Qt::UserRole);
        QTableView table;
        LmtToolSpinnerDelegate delegate;
        table.setItemDelegate(&delegate);
        table.setModel(&model);
        table.openPersistentEditor(model.index(0, 0));
        table.openPersistentEditor(model.index(1, 0));
        auto *running = qobject_cast<LmtSpinnerWidget *>(table.indexWidget(model.index(0, 0)));
        auto *waiting = qobject_cast<LmtSpinnerWidget *>(table.indexWidget(model.index(1, 0)));
        QVERIFY(running && waiting);
        QVERIFY(running->isEnabled());
        QVERIFY(!waiting->isEnabled());
        model.setData(model.index(0, 0), false, Qt::UserRole);
        QVERIFY(!running->isEnabled());
    }
};

QTEST_MAIN(tst_LmtSyncedTableView)
#include "tst_LmtSyncedTableView.moc"
