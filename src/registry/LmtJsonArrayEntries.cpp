#include "registry/LmtJsonArrayEntries.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>

namespace zendrel::lmt::setup {

namespace {

// Deeper documents are left to the whole-document parse, which has a nesting limit of its own.
constexpr int MaxDepth = 512;

bool isJsonSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

qsizetype skipSpace(QByteArrayView text, qsizetype at)
{
    while (at < text.size() && isJsonSpace(text[at]))
        ++at;
    return at;
}

// The end of the value that starts at begin: the position of the comma or closing bracket
// that follows it at the outermost level, or -1 when there is none.
qsizetype endOfEntry(QByteArrayView text, qsizetype begin)
{
    int depth = 0;
    bool inString = false;
    for (qsizetype at = begin; at < text.size(); ++at) {
        const char c = text[at];
        if (inString) {
            if (c == '\\')
                ++at; // the escaped character cannot end the string
            else if (c == '"')
                inString = false;
            continue;
        }
        switch (c) {
        case '"':
            inString = true;
            break;
        case '[':
        case '{':
            if (++depth > MaxDepth)
                return -1;
            break;
        case ']':
        case '}':
            if (depth == 0)
                return c == ']' ? at : -1;
            --depth;
            break;
        case ',':
            if (depth == 0)
                return at;
            break;
        default:
            break;
        }
    }
    return -1;
}

QByteArrayView trimmed(QByteArrayView text)
{
    qsizetype end = text.size();
    while (end > 0 && isJsonSpace(text[end - 1]))
        --end;
    return text.first(end);
}

} // namespace

bool LmtJsonArrayEntries::split(const QByteArray &document)
{
    m_document = document;
    m_entries.clear();
    if (findEntries())
        return true;
    // The whole-document parse takes over: nothing of the document is kept here meanwhile.
    m_entries.clear();
    m_document.clear();
    return false;
}

bool LmtJsonArrayEntries::findEntries()
{
    const QByteArrayView text(m_document);
    qsizetype at = skipSpace(text, 0);
    if (at >= text.size() || text[at] != '[')
        return false;
    at = skipSpace(text, at + 1);
    if (at < text.size() && text[at] == ']')
        return false; // an empty array: the whole-document parse says what that means
    while (true) {
        const qsizetype end = endOfEntry(text, at);
        if (end < 0)
            return false;
        m_entries.append(trimmed(text.sliced(at, end - at)));
        if (!parses(m_entries.size() - 1))
            return false;
        if (text[end] == ']')
            return skipSpace(text, end + 1) == text.size();
        at = skipSpace(text, end + 1);
    }
}

QByteArray LmtJsonArrayEntries::wrapped(qsizetype index) const
{
    // Inside brackets an entry parses exactly as it does in the document, whatever its type.
    const QByteArrayView entry = m_entries.at(index);
    QByteArray text;
    text.reserve(entry.size() + 2);
    text.append('[').append(entry).append(']');
    return text;
}

QJsonValue LmtJsonArrayEntries::at(qsizetype index) const
{
    return QJsonDocument::fromJson(wrapped(index)).array().at(0);
}

bool LmtJsonArrayEntries::parses(qsizetype index) const
{
    if (m_entries.at(index).isEmpty())
        return false;
    QJsonParseError error;
    QJsonDocument::fromJson(wrapped(index), &error);
    return error.error == QJsonParseError::NoError;
}

} // namespace zendrel::lmt::setup
