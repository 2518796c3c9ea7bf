#include "views/LmtSyncedTableView.h"

#include <QElapsedTimer>
#include <QHeaderView>
#include <QTableView>

#include <algorithm>

namespace zendrel::lmt::setup {

namespace {

// Rows measured at once in a table that is not shown yet (it has no view to measure).
constexpr int RowsMeasuredBeforeShown = 50;
// The share of a turn of the event loop that measuring may take.
constexpr qint64 MeasuringSliceMs = 8;

} // namespace

LmtSyncedTableView::LmtSyncedTableView(QWidget *parent)
    : QWidget(parent)
{
    m_rowMeasuring.setInterval(0);
    connect(&m_rowMeasuring, &QTimer::timeout, this, &LmtSyncedTableView::measureMoreRows);
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

    m_rowHeight = 0;
    m_nextRow = QList<int>(m_tables.size(), 0);
    for (int i = 0; i < m_tables.size(); ++i) {
        const QTableView *table = m_tables.at(i);
        const int rows = table->model() ? table->model()->rowCount() : 0;
        const int viewHeight = table->viewport()->height();
        if (!table->isVisible() || viewHeight <= 0) {
            measureRows(i, 0, std::min(rows, RowsMeasuredBeforeShown) - 1);
            continue;
        }
        const int last = table->rowAt(viewHeight - 1);
        measureRows(i, std::max(0, table->rowAt(0)), last < 0 ? rows - 1 : last);
    }
    if (m_rowHeight > 0)
        applyRowHeight(m_rowHeight);
    m_rowMeasuring.start();
}

void LmtSyncedTableView::measureRows(int table, int first, int last)
{
    QAbstractItemView *view = m_tables.at(table);
    const QHeaderView *header = m_tables.at(table)->verticalHeader();
    for (int row = first; row <= last; ++row) {
        m_rowHeight = std::max(m_rowHeight, view->sizeHintForRow(row));
        // A hidden header's row labels take no room.
        if (!header->isHidden())
            m_rowHeight = std::max(m_rowHeight, header->sectionSizeHint(row));
    }
}

void LmtSyncedTableView::measureMoreRows()
{
    const int before = m_rowHeight;
    QElapsedTimer slice;
    slice.start();
    bool done = true;
    // Tables added after the last sync wait for the next one.
    for (int i = 0; i < m_nextRow.size(); ++i) {
        const QAbstractItemModel *model = m_tables.at(i)->model();
        const int rows = model ? model->rowCount() : 0;
        int &next = m_nextRow[i];
        for (; next < rows && !slice.hasExpired(MeasuringSliceMs); ++next)
            measureRows(i, next, next);
        done = done && next >= rows;
    }
    if (m_rowHeight != before)
        applyRowHeight(m_rowHeight);
    if (done)
        m_rowMeasuring.stop();
}

void LmtSyncedTableView::applyRowHeight(int height)
{
    // Every row gets the same height: the header sizes them all in one pass, bounded by its
    // minimum and maximum section size as a row sized to its contents would be.
    for (QTableView *table : std::as_const(m_tables)) {
        if (table->model())
            table->verticalHeader()->setDefaultSectionSize(height);
    }
}

} // namespace zendrel::lmt::setup
