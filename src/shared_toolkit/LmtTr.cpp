#include "shared_toolkit/LmtTr.h"

#include <QCoreApplication>
#include <QHash>
#include <QMutex>

#include <atomic>

namespace zendrel::lmt::shared_toolkit {

namespace {

// English text → translated text, for the texts converted so far. Filled from any thread (the
// services and the controller run on their own), read where texts are shown. A text is usually
// shown once, soon after it was made; a refresh of a large catalogue announces tens of thousands
// of lines, so the notes are dropped wholesale past a bound rather than kept for the run.
class ShownTexts
{
public:
    static constexpr qsizetype MaxNotes = 50000;

    void note(const QString &english, const QString &shown)
    {
        const QMutexLocker lock(&m_mutex);
        if (m_notes.size() >= MaxNotes)
            m_notes.clear();
        m_notes.insert(english, shown);
        m_any.store(true, std::memory_order_release);
    }

    bool any() const { return m_any.load(std::memory_order_acquire); }

    QString shown(const QString &english) const
    {
        // Without a translation nothing is ever noted; spare the untranslated program the lock.
        if (!any())
            return english;
        const QMutexLocker lock(&m_mutex);
        return m_notes.value(english, english);
    }

private:
    mutable QMutex m_mutex;
    QHash<QString, QString> m_notes;
    std::atomic<bool> m_any { false };
};

ShownTexts &shownTexts()
{
    static ShownTexts texts;
    return texts;
}

} // namespace

LmtLogText::LmtLogText(const char *context, const char *source)
    : m_english(QString::fromUtf8(source))
    , m_shown(QCoreApplication::translate(context, source))
{
    if (m_shown == m_english)
        m_shown = QString();
}

QString LmtLogText::english() const
{
    if (!m_shown.isNull())
        shownTexts().note(m_english, m_shown);
    return m_english;
}

QString LmtLogText::shown(const QString &text)
{
    return shownTexts().shown(text);
}

bool LmtLogText::mayBeTranslated(const QString &)
{
    return shownTexts().any();
}

QString shownText(const QString &text)
{
    return shownTexts().shown(text);
}

} // namespace zendrel::lmt::shared_toolkit
