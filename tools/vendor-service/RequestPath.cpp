#include "RequestPath.h"

#include <QUrl>

namespace zendrel::lmt::vendorservice {

namespace {

bool isSafeSegment(const QString &segment)
{
    if (segment.isEmpty() || segment == QLatin1String(".") || segment == QLatin1String(".."))
        return false;
    for (const QChar c : segment) {
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c.unicode() == 0)
            return false;
    }
    return true;
}

} // namespace

RequestPath RequestPath::fromUrl(const QUrl &url)
{
    RequestPath result;
    const QString encoded = url.path(QUrl::FullyEncoded);
    if (!encoded.startsWith(QLatin1Char('/')))
        return result;

    QStringList parts = encoded.mid(1).split(QLatin1Char('/'));
    if (parts.size() > 1 && parts.last().isEmpty()) {
        result.m_trailingSlash = true;
        parts.removeLast();
    } else if (parts.size() == 1 && parts.first().isEmpty()) {
        result.m_valid = true; // "/"
        return result;
    }
    for (const QString &part : parts) {
        const QString decoded = QUrl::fromPercentEncoding(part.toUtf8());
        if (!isSafeSegment(decoded))
            return result;
        result.m_segments.append(decoded);
    }
    result.m_valid = true;
    return result;
}

QString RequestPath::text() const
{
    QString path = QLatin1Char('/') + m_segments.join(QLatin1Char('/'));
    if (m_trailingSlash && !m_segments.isEmpty())
        path += QLatin1Char('/');
    return path;
}

} // namespace zendrel::lmt::vendorservice
