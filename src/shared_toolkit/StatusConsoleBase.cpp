#include "shared_toolkit/StatusConsoleBase.h"

#include <QCoreApplication>
#include <QFile>
#include <QMutexLocker>
#include <QRegularExpression>
#include <QStringList>
#include <QTextStream>

namespace zendrel::lmt::shared_toolkit {

namespace {

const QStringList kErrorKeywords = { QStringLiteral("error"), QStringLiteral("fatal"),
    QStringLiteral("fail"), QStringLiteral("mistake"), QStringLiteral("corrupt"),
    QStringLiteral("Can't find a valid super-manifest.") };
const QStringList kSuccessPhrases = { QStringLiteral("Successfully acquired the information."),
    QStringLiteral("created successfully."), QStringLiteral("was successfully exported to"),
    QStringLiteral("Successfully created") };

bool containsAny(const QString &text, const QStringList &keywords)
{
    for (const QString &keyword : keywords) {
        if (text.contains(keyword))
            return true;
    }
    return false;
}

// One line of a multi-line Auto text as it is shown: trimmed, without one pair of
// surrounding double quotes, escaped quotes unescaped, ending in a line break.
QString cleanedAutoLine(const QString &part)
{
    QString line = part.trimmed();
    if (line.size() >= 2 && line.startsWith(QLatin1Char('"')) && line.endsWith(QLatin1Char('"')))
        line = line.mid(1, line.size() - 2);
    line.replace(QStringLiteral("\\\""), QStringLiteral("\""));
    return line + QLatin1Char('\n');
}

} // namespace

StatusConsoleBase::StatusConsoleBase() = default;

StatusConsoleBase::~StatusConsoleBase()
{
    QMutexLocker lock(&m_transcriptMutex);
    m_transcriptStream.reset();
    if (m_transcriptFile)
        m_transcriptFile->close();
}

void StatusConsoleBase::setTextColor(ConsoleMessageType)
{
}

QColor StatusConsoleBase::textColor(ConsoleMessageType type, bool lightPalette)
{
    switch (type) {
    case Warning:
        return QColor(230, 172, 0);
    case Error:
        return QColor(204, 51, 0);
    case Success:
        return QColor(0, 100, 0);
    default:
        return QColor(lightPalette ? QStringLiteral("black") : QStringLiteral("white"));
    }
}

StatusConsoleBase::Prefix StatusConsoleBase::prefixOf(const QString &text)
{
    static const QRegularExpression pattern(
        QStringLiteral("^\\s*((?<error>(%1|%2))|(?<warning>%3)|%4)\\s*:\\s*(?<textWoPrefix>.*)")
            .arg(QStringLiteral("ERROR"), QStringLiteral("FATAL"), QStringLiteral("WARNING"),
                QStringLiteral("INFO")),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return Prefix::None;
    if (!match.captured(QStringLiteral("error")).isEmpty())
        return Prefix::Error;
    if (!match.captured(QStringLiteral("warning")).isEmpty())
        return Prefix::Warning;
    return Prefix::Info;
}

bool StatusConsoleBase::isErrorLine(const QString &text) const
{
    if (!containsAny(text, kErrorKeywords))
        return false;
    const Prefix prefix = prefixOf(text);
    return prefix != Prefix::Warning && prefix != Prefix::Info;
}

bool StatusConsoleBase::isWarningLine(const QString &text) const
{
    if (!text.contains(QStringLiteral("warning")))
        return false;
    const Prefix prefix = prefixOf(text);
    return prefix != Prefix::Error && prefix != Prefix::Info;
}

bool StatusConsoleBase::isSuccessLine(const QString &text) const
{
    return containsAny(text, kSuccessPhrases);
}

QString StatusConsoleBase::cleanText(const QString &text) const
{
    static const QRegularExpression path(QStringLiteral("(\\/[a-zA-Z0-9_\\-\\.]+)+"));
    // Host labels are matched possessively: written as a repeated "label, optional dot" the
    // pattern split a long label in exponentially many ways whenever the URL did not end the
    // text, until the regex engine gave up - after some 50 ms per line, and leaving the URL
    // (and any keyword in it) in place.
    static const QRegularExpression url(QStringLiteral(
        "((https?|ftp)://(-\\.)?[^\\s/?.#-]++(\\.[^\\s/?.#-]++)*+\\.?(/[^\\s]*)?$)"));
    static const QRegularExpression quoted(QStringLiteral("(\"[^\"]*\")|('[^']*')"));
    QString cleaned = text;
    cleaned.remove(QStringLiteral("for any warnings or errors"));
    cleaned.remove(path);
    cleaned.remove(url);
    cleaned.remove(quoted);
    return cleaned;
}

void StatusConsoleBase::appendMessage(
    const QString &text, ConsoleMessageType type, int flags, int mode)
{
    if (type == ErrorOutput && m_lineSplitting) {
        for (const QString &part : text.split(QLatin1Char('\n'))) {
            const QString line = part.trimmed() + QLatin1Char('\n');
            // An empty line is kept as an empty line; labelling it "ERROR:" would report
            // an error that is not there.
            const ConsoleMessageType lineType = part.trimmed().isEmpty() ? Normal
                : isWarningLine(line)                                    ? Warning
                                                                         : Error;
            appendMessage(line, lineType, flags, mode);
        }
        return;
    }

    if (type == Auto && m_lineSplitting) {
        const QString cleaned = cleanText(text);
        if (isErrorLine(cleaned) || isWarningLine(cleaned) || isSuccessLine(cleaned)) {
            for (const QString &part : text.split(QLatin1Char('\n'))) {
                const QString line = cleanedAutoLine(part);
                const QString cleanedLine = cleanText(line);
                const ConsoleMessageType lineType = isErrorLine(cleanedLine) ? Error
                    : isWarningLine(cleanedLine)                             ? Warning
                    : isSuccessLine(cleanedLine)                             ? Success
                                                                             : Normal;
                appendMessage(line, lineType, flags, mode);
            }
            return;
        }
    } else if (type == Auto && isSuccessLine(text)) {
        for (const QString &part : text.split(QLatin1Char('\n'))) {
            appendMessage(
                part + QLatin1Char('\n'), isSuccessLine(part) ? Success : Normal, flags, mode);
        }
        return;
    }

    if (!text.isEmpty())
        ++m_counters[type];
    setTextColor(type);
    QString shown = text;
    if (type == Warning && prefixOf(text) != Prefix::Warning)
        shown.prepend(QCoreApplication::translate("StatusConsole", "WARNING:"));
    else if (type == Error && prefixOf(text) != Prefix::Error)
        shown.prepend(QCoreApplication::translate("StatusConsole", "ERROR:"));
    showText(shown, mode);
    if (!(flags & NotInTranscript))
        record(text, flags);
}

void StatusConsoleBase::showText(const QString &text, int mode)
{
    switch (mode) {
    case InsertAtCursor:
        insertPlainText(text);
        break;
    case ReplaceAll:
        setPlainText(text);
        break;
    default: {
        QString paragraph = text;
        if (paragraph.endsWith(QLatin1Char('\n')))
            paragraph.chop(1);
        append(paragraph);
        break;
    }
    }
}

void StatusConsoleBase::record(const QString &text, int flags)
{
    const QString entry = (flags & EmptyLineAfter) ? text + QLatin1Char('\n') : text;
    QMutexLocker lock(&m_transcriptMutex);
    m_transcript += entry;
    if (m_transcriptStream) {
        *m_transcriptStream << entry;
        m_transcriptStream->flush();
    }
}

QString StatusConsoleBase::transcript() const
{
    QMutexLocker lock(&m_transcriptMutex);
    return m_transcript;
}

bool StatusConsoleBase::openTranscriptFile(const QString &path)
{
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text))
        return false;
    QMutexLocker lock(&m_transcriptMutex);
    m_transcriptStream = std::make_unique<QTextStream>(file.get());
    m_transcriptFile = std::move(file);
    return true;
}

} // namespace zendrel::lmt::shared_toolkit
