#pragma once

#include <QMessageBox>
#include <QObject>
#include <QStringList>
#include <QTimer>

namespace lmttest {

// Answers the message boxes a widget under test opens modally: while alive it looks for the
// active modal QMessageBox every few milliseconds, records its text and clicks the button
// given for it. Answers are used in order; when they run out, the last one is repeated.
class ModalAnswerer : public QObject
{
    Q_OBJECT

public:
    explicit ModalAnswerer(QMessageBox::StandardButton answer = QMessageBox::No);

    void setAnswers(const QList<QMessageBox::StandardButton> &answers);
    // Texts of the boxes answered so far, in order.
    QStringList texts() const { return m_texts; }
    int count() const { return m_texts.size(); }
    void clear() { m_texts.clear(); }

private:
    void poll();

    QTimer m_timer;
    QList<QMessageBox::StandardButton> m_answers;
    QStringList m_texts;
};

} // namespace lmttest
