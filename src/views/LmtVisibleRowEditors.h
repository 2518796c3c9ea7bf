#pragma once

#include <QDeadlineTimer>
#include <QList>
#include <QObject>
#include <QPersistentModelIndex>
#include <QTimer>

class QTableView;

namespace zendrel::lmt::setup {

// Keeps the editors of some columns of a table open on the rows in reach of the user: the rows
// in view and a screenful above and below them. Each persistent editor is a widget of its own;
// with thousands of them every paint of the table works out which siblings hide which (cost
// growing with the square of their number) and each costs about 100 KiB, while a user only
// ever sees a screenful. Editors of rows scrolled out of reach are closed again, so a long
// table costs the same as a short one. The editor with the keyboard focus stays open.
// The rows in view get their editors at once, the others in reach over the following turns of
// the event loop, a slice at a time: opening hundreds of editors in one go holds the window.
class LmtVisibleRowEditors : public QObject
{
    Q_OBJECT

public:
    // The table has its model already.
    explicit LmtVisibleRowEditors(QTableView *table);

    // Opens the editors of the column's editable cells in reach now and as the table scrolls
    // or grows; a model reset forgets the column until it is followed again.
    void follow(int column);

    // Rows in reach while the table is not shown yet (no view to measure).
    static constexpr int RowsBeforeShown = 50;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void update();
    void openMore();
    // Opens the missing editors of the rows until the deadline; false if it came first.
    bool openRows(int first, int last, const QDeadlineTimer &deadline);
    // First and last row in reach and in view; first > last when there are none.
    std::pair<int, int> rowsInReach() const;
    std::pair<int, int> rowsInView() const;
    bool holdsFocus(const QModelIndex &index) const;

    QTableView *m_table;
    QObject *m_viewport;
    QList<int> m_columns;
    QList<QPersistentModelIndex> m_open;
    QTimer m_opening;
};

} // namespace zendrel::lmt::setup
