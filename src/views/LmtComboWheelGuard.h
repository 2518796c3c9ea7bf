#pragma once

#include <QObject>

class QComboBox;

namespace zendrel::lmt::setup {

// Keeps the mouse wheel from changing a drop-down that sits inside a scrolled table: a user
// scrolling the page over it would switch its value without noticing. A closed drop-down
// without keyboard focus leaves the wheel to its parents, so the table scrolls; once the
// user has given it focus (a click, the keyboard) the wheel steps through its items as usual.
class LmtComboWheelGuard : public QObject
{
    Q_OBJECT

public:
    // Guards the combo box for its lifetime (the guard is its child).
    static void install(QComboBox *comboBox);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit LmtComboWheelGuard(QComboBox *comboBox);
};

} // namespace zendrel::lmt::setup
