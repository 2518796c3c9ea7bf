#include "registry/LmtSharedStrings.h"

namespace zendrel::lmt::setup {

QString LmtSharedStrings::shared(const QString &text)
{
    const auto found = m_texts.constFind(text);
    if (found != m_texts.constEnd())
        return *found;
    m_texts.insert(text);
    return text;
}

} // namespace zendrel::lmt::setup
