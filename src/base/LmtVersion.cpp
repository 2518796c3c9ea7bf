#include "base/LmtVersion.h"

#include <QStringList>

#include <stdexcept>

namespace zendrel::lmt::setup {

namespace {

bool isValidVersion(qint64 major, qint64 minor, qint64 patch, qint64 build)
{
    bool absentSeen = false;
    for (qint64 part : { major, minor, patch, build }) {
        if (part == -1) {
            absentSeen = true;
            continue;
        }
        if (part < 0 || absentSeen)
            return false;
    }
    return major >= 0;
}

} // namespace

LmtVersion::LmtVersion(qint64 major, qint64 minor, qint64 patch, qint64 build)
    : m_major(major)
    , m_minor(minor)
    , m_patch(patch)
    , m_build(build)
{
    if (!isValidVersion(major, minor, patch, build))
        throw std::runtime_error("Invalid version");
}

QString LmtVersion::toString() const
{
    QStringList parts;
    for (qint64 part : { m_major, m_minor, m_patch, m_build }) {
        if (part < 0)
            break;
        parts << QString::number(part);
    }
    return parts.join(QLatin1Char('.'));
}

QString LmtVersion::shortText() const
{
    return QStringLiteral("%1.%2").arg(m_major).arg(qMax<qint64>(m_minor, 0));
}

} // namespace zendrel::lmt::setup
