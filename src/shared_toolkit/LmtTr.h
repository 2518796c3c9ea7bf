#pragma once

#include <QString>

#include <string>
#include <type_traits>
#include <utility>

namespace zendrel::lmt::shared_toolkit {

// A text that the window shows in the user's language while the log file keeps it in English:
// users' scripts and the tests read the log, and a support engineer reads it whatever language
// the user runs. It converts to the English text, which is what signals, exceptions and the log
// carry; converting notes the translation, and shownText() gives it back where the text is shown
// (the log panel, a message box). With no translation loaded nothing is noted.
class LmtLogText
{
public:
    LmtLogText(const char *context, const char *source);

    // Fills the placeholders of both texts; a text argument that has a translation of its own
    // goes into the translated text translated.
    template<typename... Args>
    LmtLogText arg(const Args &...args) const
    {
        LmtLogText filled;
        filled.m_english = m_english.arg(english(args)...);
        // Formatting twice is only worth it when something is translated.
        if (!m_shown.isNull() || (mayBeTranslated(args) || ...)) {
            filled.m_shown = (m_shown.isNull() ? m_english : m_shown).arg(shown(args)...);
            if (filled.m_shown == filled.m_english)
                filled.m_shown = QString();
        }
        return filled;
    }

    // The English text; notes its translation for shownText().
    QString english() const;
    operator QString() const { return english(); }
    std::string toStdString() const { return english().toStdString(); }

private:
    LmtLogText() = default;
    static QString english(const LmtLogText &text) { return text.english(); }
    static QString shown(const LmtLogText &text)
    {
        return text.m_shown.isNull() ? text.m_english : text.m_shown;
    }
    static QString shown(const QString &text);
    static bool mayBeTranslated(const LmtLogText &text) { return !text.m_shown.isNull(); }
    static bool mayBeTranslated(const QString &text);
    template<typename T, typename = std::enable_if_t<!std::is_convertible_v<T, QString>>>
    static bool mayBeTranslated(const T &)
    {
        return false;
    }
    template<typename T>
    static const T &english(const T &value)
    {
        return value;
    }
    template<typename T, typename = std::enable_if_t<!std::is_convertible_v<T, QString>>>
    static const T &shown(const T &value)
    {
        return value;
    }

    QString m_english;
    QString m_shown; // null when it reads as the English text
};

// How the window shows a text: the translation noted for it by LmtLogText, else the text itself.
QString shownText(const QString &text);

} // namespace zendrel::lmt::shared_toolkit

// Declares the translation context of a class: its own name, without the namespace, as the
// translation files name it (the loaded translator looks up Q_OBJECT's qualified contexts by the
// plain name too). It also gives the class trLog() for texts that go to the log file as well as
// to the window. lupdate reads it as Q_DECLARE_TR_FUNCTIONS and trLog() as tr().
#define LMT_TR_CONTEXT(Name)                                                                       \
public:                                                                                            \
    static ::zendrel::lmt::shared_toolkit::LmtLogText trLog(const char *source)                    \
    {                                                                                              \
        return ::zendrel::lmt::shared_toolkit::LmtLogText(#Name, source);                          \
    }                                                                                              \
                                                                                                   \
private:
