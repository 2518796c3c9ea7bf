#include "views/LmtSpinnerWidget.h"
#include "views/LmtSyncedTableView.h"
#include "views/LmtToolSpinnerDelegate.h"

#include <QHeaderView>
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
        const int tallest = upper.rowHeight(0);

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
        QVERIFY(tallest > lower.rowHeight(1) / 2);
        QCOMPARE(lower.rowHeight(0), tallest);
        QCOMPARE(lower.rowHeight(1), tallest);
        QCOMPARE(upper.rowHeight(0), tallest);
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
