#pragma once

#include <QString>
#include <QStringList>

class QUrl;

namespace zendrel::lmt::vendorservice {

// The path of a request, split into percent-decoded segments. A path is refused (valid false)
// when any segment decodes to "." or "..", or smuggles a separator, a backslash or a NUL
// through percent-encoding, or when it holds an empty segment other than a trailing slash:
// such paths never name a catalogue resource and are the usual shapes of traversal attempts.
class RequestPath
{
public:
    static RequestPath fromUrl(const QUrl &url);

    bool isValid() const { return m_valid; }
    const QStringList &segments() const { return m_segments; }
    bool hasTrailingSlash() const { return m_trailingSlash; }
    // "/" + segments joined by "/" (+ "/" when the request ended with one).
    QString text() const;

private:
    bool m_valid = false;
    bool m_trailingSlash = false;
    QStringList m_segments;
};

} // namespace zendrel::lmt::vendorservice
