#pragma once

#include <QList>
#include <QMap>
#include <QTimer>
#include <QWidget>

class QTableView;

namespace zendrel::lmt::setup {

// Base of the pages that stack several tables: keeps their column widths and row heights
// equal so that the stacked tables line up like one table.
class LmtSyncedTableView : public QWidget
{
    Q_OBJECT

public:
    explicit LmtSyncedTableView(QWidget *parent = nullptr);

    // The table stays owned by its parent widget.
    void addTable(QTableView *table);
    // Extra pixels added to a column's widest content.
    void setColumnPadding(int column, int pixels);

    // Sizes every table to its contents, then gives all of them the widest width per column
    // and the tallest row height. The rows in view are measured at once; the others in slices
    // over the following turns of the event loop, widening columns and raising the height of
    // all rows where they need more (a long catalogue would otherwise hold the window for a
    // visible moment).
    virtual void syncTables();
    // True while rows out of view are still being measured.
    bool measuringRows() const { return m_rowMeasuring.isActive(); }

protected:
    const QList<QTableView *> &tables() const { return m_tables; }

private:
    void measureRowHeights(int table, int first, int last);
    static int contentWidth(const QTableView *table, int row, int column);
    void measureMoreRows();
    void applyRowHeight(int height);
    void widenColumns();

    QList<QTableView *> m_tables;
    QMap<int, int> m_columnPadding;
    // The tallest row and widest cell per column found so far and, per table, the next row to
    // measure.
    int m_rowHeight = 0;
    QList<int> m_contentWidths;
    QList<int> m_nextRow;
    QTimer m_rowMeasuring;
};

} // namespace zendrel::lmt::setup
