#include "views/LmtSyncedTableView.h"

#include <QHeaderView>
#include <QTableView>

#include <algorithm>

namespace zendrel::lmt::setup {

LmtSyncedTableView::LmtSyncedTableView(QWidget *parent)
    : QWidget(parent)
{
}

void LmtSyncedTableView::addTable(QTableView *table)
{
    m_tables.append(table);
}

void LmtSyncedTableView::setColumnPadding(int column, int pixels)
{
    m_columnPadding.insert(column, pixels);
}

void LmtSyncedTableView::syncTables()
{
    int columns = 0;
    for (QTableView *table : std::as_const(m_tables)) {
        table->resizeColumnsToContents();
        table->resizeRowsToContents();
        if (!table->model())
            continue;
        // A stretched last section takes the rest of the width; forcing it would fight that.
        int count = table->model()->columnCount();
        if (table->horizontalHeader()->stretchLastSection())
            --count;
        columns = std::max(columns, count);
    }

    for (int column = 0; column < columns; ++column) {
        int width = 0;
        for (QTableView *table : std::as_const(m_tables))
            width = std::max(width, table->columnWidth(column) + m_columnPadding.value(column, 0));
        for (QTableView *table : std::as_const(m_tables))
            table->setColumnWidth(column, width);
    }

    int rowHeight = 0;
    for (QTableView *table : std::as_const(m_tables)) {
        if (!table->model())
            continue;
        for (int row = 0; row < table->model()->rowCount(); ++row)
            rowHeight = std::max(rowHeight, table->rowHeight(row));
    }
    for (QTableView *table : std::as_const(m_tables)) {
        if (!table->model())
            continue;
        for (int row = 0; row < table->model()->rowCount(); ++row)
            table->setRowHeight(row, rowHeight);
    }
}

} // namespace zendrel::lmt::setup
