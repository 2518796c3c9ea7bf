#pragma once

#include <QMessageBox>
#include <QObject>
#include <QStringList>
#include <QTimer>

namespace lmttest {

// Answers the modal message boxes a widget under test opens (they would block the test
// otherwise): while alive it looks for a visible QMessageBox every few milliseconds, records
// its text and presses the chosen button (or the box's default or escape button if it has no
// such button).
class MessageBoxWatcher : public QObject
{
    Q_OBJECT

public:
    explicit MessageBoxWatcher(QMessageBox::StandardButton answer = QMessageBox::Ok);

    void setAnswer(QMessageBox::StandardButton answer) { m_answer = answer; }
    // Presses the button with this caption instead (for boxes with buttons of their own, such
    // as "Continue"); an empty caption goes back to the standard answer.
    void setAnswerCaption(const QString &caption) { m_answerCaption = caption; }
    QStringList texts() const { return m_texts; }
    QList<QMessageBox::Icon> icons() const { return m_icons; }
    QString lastText() const { return m_texts.isEmpty() ? QString() : m_texts.last(); }
    int count() const { return m_texts.size(); }
    void clear() { m_texts.clear(), m_icons.clear(); }

private:
    void poll();

    QTimer m_timer;
    QMessageBox::StandardButton m_answer;
    QString m_answerCaption;
    QStringList m_texts;
    QList<QMessageBox::Icon> m_icons;
};

} // namespace lmttest
