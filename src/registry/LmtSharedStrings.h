#pragma once

#include <QSet>
#include <QString>

namespace zendrel::lmt::setup {

// Hands out one shared copy of each distinct text. A registry repeats the same few words in
// every package and dependency (operating system, kind, file type, the feature id depended
// on); each parsed JSON string is a copy of its own, and tens of thousands of those add up.
class LmtSharedStrings
{
public:
    // The first text equal to text that was handed out, which shares its characters.
    QString shared(const QString &text);
    void clear() { m_texts.clear(); }

private:
    QSet<QString> m_texts;
};

} // namespace zendrel::lmt::setup
