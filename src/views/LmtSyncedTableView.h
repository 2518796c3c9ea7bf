#pragma once

#include <QList>
#include <QMap>
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
    // and the tallest row height.
    virtual void syncTables();

protected:
    const QList<QTableView *> &tables() const { return m_tables; }

private:
    QList<QTableView *> m_tables;
    QMap<int, int> m_columnPadding;
};

} // namespace zendrel::lmt::setup
