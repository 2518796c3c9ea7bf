#include "views/LmtVisibleRowEditors.h"

#include <QApplication>
#include <QEvent>
#include <QScrollBar>
#include <QTableView>

#include <algorithm>
#include <utility>

namespace zendrel::lmt::setup {

namespace {

// The share of a turn of the event loop that opening editors out of view may take.
constexpr int OpeningSliceMs = 8;

} // namespace

LmtVisibleRowEditors::LmtVisibleRowEditors(QTableView *table)
    : QObject(table)
    , m_table(table)
    , m_viewport(table->viewport())
{
    connect(
        table->verticalScrollBar(), &QScrollBar::valueChanged, this, &LmtVisibleRowEditors::update);
    // The reset has already closed every editor of the old rows.
    connect(table->model(), &QAbstractItemModel::modelReset, this, [this] {
        m_columns.clear();
        m_open.clear();
    });
    table->installEventFilter(this);
    m_viewport->installEventFilter(this);
    m_opening.setInterval(0);
    connect(&m_opening, &QTimer::timeout, this, &LmtVisibleRowEditors::openMore);
}

void LmtVisibleRowEditors::follow(int column)
{
    if (!m_columns.contains(column))
        m_columns.append(column);
    update();
}

bool LmtVisibleRowEditors::eventFilter(QObject *watched, QEvent *event)
{
    // Only pointers are compared: events still arrive while the table is being destroyed.
    const bool viewportResized = watched == m_viewport && event->type() == QEvent::Resize;
    const bool tableShown = watched == m_table && event->type() == QEvent::Show;
    if (viewportResized || tableShown)
        update();
    return QObject::eventFilter(watched, event);
}

// Closing the editor with the keyboard focus would hand the focus to the next cell, and the
// view scrolls back to it: the user's scrolling would undo itself.
bool LmtVisibleRowEditors::holdsFocus(const QModelIndex &index) const
{
    const QWidget *editor = m_table->indexWidget(index);
    const QWidget *focus = QApplication::focusWidget();
    return editor && focus && (editor == focus || editor->isAncestorOf(focus));
}

std::pair<int, int> LmtVisibleRowEditors::rowsInView() const
{
    const int rows = m_table->model() ? m_table->model()->rowCount() : 0;
    const int viewHeight = m_table->viewport()->height();
    if (!m_table->isVisible() || viewHeight <= 0)
        return { 0, -1 };
    const int first = m_table->rowAt(0);
    const int last = m_table->rowAt(viewHeight - 1);
    return { std::max(first, 0), last < 0 ? rows - 1 : last };
}

std::pair<int, int> LmtVisibleRowEditors::rowsInReach() const
{
    const int rows = m_table->model() ? m_table->model()->rowCount() : 0;
    const auto [first, last] = rowsInView();
    if (first > last)
        return { 0, std::min(rows, RowsBeforeShown) - 1 };
    const int screenful = last - first + 1;
    return { std::max(0, first - screenful), std::min(rows - 1, last + screenful) };
}

void LmtVisibleRowEditors::update()
{
    if (m_columns.isEmpty())
        return;
    const auto [first, last] = rowsInReach();

    const QList<QPersistentModelIndex> open = std::exchange(m_open, {});
    for (const QPersistentModelIndex &index : open) {
        if (!index.isValid())
            continue;
        if ((index.row() < first || index.row() > last) && !holdsFocus(index))
            m_table->closePersistentEditor(index);
        else
            m_open.append(index);
    }

    const auto [viewFirst, viewLast] = rowsInView();
    openRows(viewFirst, viewLast, QDeadlineTimer(QDeadlineTimer::Forever));
    m_opening.start();
}

void LmtVisibleRowEditors::openMore()
{
    const auto [first, last] = rowsInReach();
    if (openRows(first, last, QDeadlineTimer(OpeningSliceMs)))
        m_opening.stop();
}

bool LmtVisibleRowEditors::openRows(int first, int last, const QDeadlineTimer &deadline)
{
    QAbstractItemModel *model = m_table->model();
    for (int row = first; row <= last; ++row) {
        if (deadline.hasExpired())
            return false;
        for (int column : std::as_const(m_columns)) {
            const QModelIndex index = model->index(row, column);
            if (!model->flags(index).testFlag(Qt::ItemIsEditable)
                || m_table->isPersistentEditorOpen(index))
                continue;
            m_table->openPersistentEditor(index);
            m_open.append(index);
        }
    }
    return true;
}

} // namespace zendrel::lmt::setup
