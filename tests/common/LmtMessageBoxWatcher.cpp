#include "common/LmtMessageBoxWatcher.h"

#include <QAbstractButton>
#include <QApplication>
#include <QPushButton>

namespace lmttest {

MessageBoxWatcher::MessageBoxWatcher(QMessageBox::StandardButton answer)
    : m_answer(answer)
{
    m_timer.setInterval(10);
    connect(&m_timer, &QTimer::timeout, this, &MessageBoxWatcher::poll);
    m_timer.start();
}

void MessageBoxWatcher::poll()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        auto *box = qobject_cast<QMessageBox *>(widget);
        // A box that was answered is hidden at once, so each box is recorded once.
        if (!box || !box->isVisible())
            continue;
        m_texts << box->text();
        m_icons << box->icon();
        QAbstractButton *button = box->button(m_answer);
        for (QAbstractButton *candidate : box->buttons())
            if (!m_answerCaption.isEmpty() && candidate->text().remove('&') == m_answerCaption)
                button = candidate;
        button = button ? button : box->defaultButton();
        button = button ? button : box->escapeButton();
        if (button)
            button->click();
        else
            box->done(m_answer);
    }
}

} // namespace lmttest
