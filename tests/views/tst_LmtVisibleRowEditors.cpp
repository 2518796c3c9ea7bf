#include "views/LmtVisibleRowEditors.h"

#include <QHeaderView>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QTableView>
#include <QTest>

using namespace zendrel::lmt::setup;

// A real table with a real model: which rows have editors depends on the view's own geometry
// and scrolling, which a fake could not have.
class tst_LmtVisibleRowEditors : public QObject
{
    Q_OBJECT

    static constexpr int Rows = 400;

    QStandardItemModel m_model { Rows, 2 };
    QTableView m_table;

    // The rows whose cell in the column has an open editor, as "first-last" runs.
    QString openRows(int column) const
    {
        QStringList runs;
        int start = -1;
        for (int row = 0; row <= Rows; ++row) {
            const bool open
                = row < Rows && m_table.isPersistentEditorOpen(m_model.index(row, column));
            if (open && start < 0)
                start = row;
            if (!open && start >= 0) {
                runs << QStringLiteral("%1-%2").arg(start).arg(row - 1);
                start = -1;
            }
        }
        return runs.join(QLatin1Char(' '));
    }

private Q_SLOTS:
    void editorsFollowTheRowsInReach()
    {
        for (int row = 0; row < Rows; ++row)
            m_model.setItem(row, 1, new QStandardItem(QString::number(row)));
        // Every tenth row of column 0 cannot be edited and gets no editor.
        for (int row = 0; row < Rows; ++row) {
            auto *item = new QStandardItem(QString::number(row));
            item->setEditable(row % 10 != 0);
            m_model.setItem(row, 0, item);
        }
        m_table.setModel(&m_model);
        m_table.verticalHeader()->setDefaultSectionSize(20);
        auto *editors = new LmtVisibleRowEditors(&m_table);

        // Not shown yet: nothing is in view, the first rows open over the next turns.
        editors->follow(1);
        QCOMPARE(openRows(1), QString());
        QTRY_COMPARE(openRows(1), QStringLiteral("0-49"));

        // 10 rows in view: those and a screenful below (none above the top).
        m_table.resize(300,
            200 + 2 * m_table.frameWidth() + m_table.horizontalScrollBar()->sizeHint().height());
        m_table.show();
        QVERIFY(QTest::qWaitForWindowExposed(&m_table));
        const int inView = m_table.rowAt(m_table.viewport()->height() - 1) + 1;
        QTRY_COMPARE(openRows(1), QStringLiteral("0-%1").arg(2 * inView - 1));

        editors->follow(0);
        QVERIFY(!m_table.isPersistentEditorOpen(m_model.index(0, 0)));
        QVERIFY(m_table.isPersistentEditorOpen(m_model.index(1, 0)));

        // Scrolled to the middle: a screenful either side; the top rows are closed again but
        // for the one being typed in.
        m_table.indexWidget(m_model.index(5, 1))->setFocus();
        m_table.scrollTo(m_model.index(200, 1), QAbstractItemView::PositionAtTop);
        QCOMPARE(openRows(1), QStringLiteral("5-5 200-%1").arg(200 + inView - 1)); // in view
        QTRY_COMPARE(
            openRows(1), QStringLiteral("5-5 %1-%2").arg(200 - inView).arg(200 + 2 * inView - 1));
        QCOMPARE(m_table.rowAt(0), 200);
        m_table.setFocus();
        m_table.verticalScrollBar()->setValue(m_table.verticalScrollBar()->maximum());
        QTRY_COMPARE(openRows(1), QStringLiteral("%1-%2").arg(Rows - 2 * inView).arg(Rows - 1));
        QTRY_COMPARE(openRows(0), QStringLiteral("381-389 391-399")); // 390 cannot be edited

        // A taller view reaches more rows.
        m_table.resize(m_table.width(), m_table.height() + 200);
        QTRY_COMPARE(openRows(1), QStringLiteral("%1-%2").arg(Rows - 4 * inView).arg(Rows - 1));

        // After a reset the old rows' editors are gone and nothing is followed until asked.
        m_model.clear();
        m_model.setRowCount(Rows);
        m_model.setColumnCount(2);
        m_table.verticalScrollBar()->setValue(0);
        QCOMPARE(openRows(1), QString());
    }
};

QTEST_MAIN(tst_LmtVisibleRowEditors)
#include "tst_LmtVisibleRowEditors.moc"
