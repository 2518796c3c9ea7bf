#include "views/LmtComboWheelGuard.h"

#include <QComboBox>
#include <QEvent>

namespace zendrel::lmt::setup {

LmtComboWheelGuard::LmtComboWheelGuard(QComboBox *comboBox)
    : QObject(comboBox)
{
}

void LmtComboWheelGuard::install(QComboBox *comboBox)
{
    // A combo box takes the focus from the wheel by default, and would then take the wheel
    // too: only a click or the keyboard may give it focus.
    comboBox->setFocusPolicy(Qt::StrongFocus);
    comboBox->installEventFilter(new LmtComboWheelGuard(comboBox));
}

bool LmtComboWheelGuard::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::Wheel)
        return false;
    const auto *comboBox = qobject_cast<QComboBox *>(watched);
    if (!comboBox || comboBox->hasFocus())
        return false;
    // Ignored and not delivered: the application hands the wheel on to the parents, where
    // the table's scroll area takes it.
    event->ignore();
    return true;
}

} // namespace zendrel::lmt::setup
