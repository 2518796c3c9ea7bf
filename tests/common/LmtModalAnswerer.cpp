#include "common/LmtModalAnswerer.h"

#include <QAbstractButton>
#include <QApplication>

namespace lmttest {

ModalAnswerer::ModalAnswerer(QMessageBox::StandardButton answer)
    : m_answers { answer }
{
    connect(&m_timer, &QTimer::timeout, this, &ModalAnswerer::poll);
    m_timer.start(10);
}

void ModalAnswerer::setAnswers(const QList<QMessageBox::StandardButton> &answers)
{
    m_answers = answers;
}

void ModalAnswerer::poll()
{
    auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
    // A box already clicked may still be on screen for a moment: answer each box only once.
    if (!box || box->property("lmttestAnswered").toBool())
        return;
    const QMessageBox::StandardButton answer
        = m_answers.size() > 1 ? m_answers.takeFirst() : m_answers.value(0, QMessageBox::No);
    QAbstractButton *button = box->button(answer);
    if (!button)
        button = box->button(QMessageBox::Ok);
    if (!button)
        return;
    box->setProperty("lmttestAnswered", true);
    m_texts << box->text();
    button->click();
}

} // namespace lmttest
