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
        // Only the rows in view now (a table not shown yet: its first rows); the others follow.
        QHeaderView *header = table->horizontalHeader();
        const int precision = header->resizeContentsPrecision();
        header->setResizeContentsPrecision(table->isVisible() ? 0 : RowsMeasuredBeforeShown);
        table->resizeColumnsToContents();
        header->setResizeContentsPrecision(precision);
        if (!table->model())
            continue;
        // A stretched last section takes the rest of the width; forcing it would fight that.
        int count = table->model()->columnCount();
        if (table->horizontalHeader()->stretchLastSection())
            --count;
        columns = std::max(columns, count);
    }

    m_contentWidths = QList<int>(columns, 0);
    for (int column = 0; column < columns; ++column) {
        for (QTableView *table : std::as_const(m_tables))
            m_contentWidths[column] = std::max(m_contentWidths[column], table->columnWidth(column));
        for (QTableView *table : std::as_const(m_tables))
            table->setColumnWidth(
                column, m_contentWidths[column] + m_columnPadding.value(column, 0));
    }

    m_rowHeight = 0;
    m_nextRow = QList<int>(m_tables.size(), 0);
    for (int i = 0; i < m_tables.size(); ++i) {
        const QTableView *table = m_tables.at(i);
        const int rows = table->model() ? table->model()->rowCount() : 0;
        const int viewHeight = table->viewport()->height();
        if (!table->isVisible() || viewHeight <= 0) {
            measureRowHeights(i, 0, std::min(rows, RowsMeasuredBeforeShown) - 1);
            continue;
        }
        const int last = table->rowAt(viewHeight - 1);
        measureRowHeights(i, std::max(0, table->rowAt(0)), last < 0 ? rows - 1 : last);
    }
    if (m_rowHeight > 0)
        applyRowHeight(m_rowHeight);
    m_rowMeasuring.start();
}

void LmtSyncedTableView::measureRowHeights(int table, int first, int last)
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

// What QTableView::resizeColumnToContents() counts for one cell: its open editor's wish within
// the editor's limits, the delegate's size and the grid line.
int LmtSyncedTableView::contentWidth(const QTableView *table, int row, int column)
{
    const QModelIndex index = table->model()->index(row, column);
    int width = 0;
    if (const QWidget *editor = table->indexWidget(index)) {
        width = qBound(editor->minimumWidth(), editor->sizeHint().width(), editor->maximumWidth());
    }
    width = std::max(width, table->sizeHintForIndex(index).width());
    return table->showGrid() ? width + 1 : width;
}

void LmtSyncedTableView::measureMoreRows()
{
    const int heightBefore = m_rowHeight;
    bool wider = false;
    QElapsedTimer slice;
    slice.start();
    bool done = true;
    // Tables added after the last sync wait for the next one.
    for (int i = 0; i < m_nextRow.size(); ++i) {
        const QTableView *table = m_tables.at(i);
        const int rows = table->model() ? table->model()->rowCount() : 0;
        int &next = m_nextRow[i];
        for (; next < rows && !slice.hasExpired(MeasuringSliceMs); ++next) {
            if (table->isRowHidden(next))
                continue;
            measureRowHeights(i, next, next);
            for (int column = 0; column < m_contentWidths.size(); ++column) {
                const int width
                    = table->isColumnHidden(column) ? 0 : contentWidth(table, next, column);
                if (width > m_contentWidths[column]) {
                    m_contentWidths[column] = width;
                    wider = true;
                }
            }
        }
        done = done && next >= rows;
    }
    if (m_rowHeight != heightBefore)
        applyRowHeight(m_rowHeight);
    if (wider)
        widenColumns();
    if (done)
        m_rowMeasuring.stop();
}

void LmtSyncedTableView::widenColumns()
{
    // Only ever wider: a change of selection may have widened a column meanwhile.
    for (int column = 0; column < m_contentWidths.size(); ++column) {
        const int width = m_contentWidths[column] + m_columnPadding.value(column, 0);
        for (QTableView *table : std::as_const(m_tables)) {
            if (table->columnWidth(column) < width)
                table->setColumnWidth(column, width);
        }
    }
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
