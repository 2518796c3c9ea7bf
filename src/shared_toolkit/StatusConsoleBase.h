#pragma once

#include "shared_toolkit/ConsoleMessageType.h"

#include <QColor>
#include <QMap>
#include <QMutex>
#include <QString>

#include <memory>

class QFile;
class QTextStream;

namespace zendrel::lmt::shared_toolkit {

// The logic of a log panel, independent of the widget that shows it: "ERROR:"/"WARNING:"
// prefixes, classification of lines by keywords, splitting of multi-line texts, per-type
// counters and a transcript of everything shown. Subclasses supply the text operations.
class StatusConsoleBase
{
public:
    // Bits of the flags argument of appendMessage().
    enum AppendFlag {
        ClearFirst = 1, // clear the panel first (otherwise continue at the end)
        EmptyLineBefore = 2,
        EmptyLineAfter = 4, // also ends the transcript entry with a line break
        NotInTranscript = 8,
    };
    // How appendMessage() shows the text.
    enum AppendMode {
        InsertAtCursor = 0,
        ReplaceAll = 1,
        AppendParagraph = 2, // a trailing line break is dropped first
    };

    StatusConsoleBase();
    virtual ~StatusConsoleBase();
    StatusConsoleBase(const StatusConsoleBase &) = delete;
    StatusConsoleBase &operator=(const StatusConsoleBase &) = delete;

    virtual void clear() = 0;
    virtual void scrollToEnd() = 0;
    virtual void append(const QString &text) = 0;
    virtual void insertPlainText(const QString &text) = 0;
    virtual void setPlainText(const QString &text) = 0;
    // Chooses the colour of the text that follows; the base class has no colour to set.
    virtual void setTextColor(ConsoleMessageType type);
    virtual void appendMessage(const QString &text, ConsoleMessageType type, int flags, int mode);
    virtual bool isErrorLine(const QString &text) const;
    virtual bool isWarningLine(const QString &text) const;
    virtual bool isSuccessLine(const QString &text) const;
    // The text without the parts in which keywords must not count: the phrase "for any
    // warnings or errors", paths, URLs and quoted strings.
    virtual QString cleanText(const QString &text) const;

    // Whether Auto and ErrorOutput texts are classified line by line (on after construction).
    bool lineSplitting() const { return m_lineSplitting; }
    void setLineSplitting(bool on) { m_lineSplitting = on; }

    // Number of non-empty messages shown with that type.
    int messageCount(ConsoleMessageType type) const { return m_counters.value(type, 0); }
    // Everything shown so far, unaffected by clearing the panel.
    QString transcript() const;
    // Also writes every transcript entry to this file (appending). False if it cannot be opened.
    bool openTranscriptFile(const QString &path);

    // The colour a message type is shown in on a light or a dark background.
    static QColor textColor(ConsoleMessageType type, bool lightPalette);

protected:
    enum class Prefix { None, Error, Warning, Info };
    // Which "ERROR:", "FATAL:", "WARNING:" or "INFO:" prefix the text starts with, if any.
    static Prefix prefixOf(const QString &text);

private:
    void showText(const QString &text, int mode);
    void record(const QString &text, int flags);

    QString m_transcript;
    std::unique_ptr<QFile> m_transcriptFile;
    std::unique_ptr<QTextStream> m_transcriptStream;
    mutable QMutex m_transcriptMutex;
    bool m_lineSplitting = true;
    QMap<ConsoleMessageType, int> m_counters;
};

} // namespace zendrel::lmt::shared_toolkit
