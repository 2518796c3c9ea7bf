#include "model/LmtToolPackage.h"

#include <QRegularExpression>

#include <cmath>

namespace zendrel::lmt::setup {

namespace {

QString downloadNameOf(const QString &urlText)
{
    const qsizetype marker = urlText.indexOf(QLatin1String("/download"));
    const QString head = marker >= 0 ? urlText.left(marker) : urlText;
    const qsizetype slash = head.lastIndexOf(QLatin1Char('/'));
    return slash >= 0 ? head.mid(slash) : head;
}

} // namespace

LmtToolPackage::LmtToolPackage(const QString &os, const QUrl &url, const QString &kind,
    const QString &fileType, qint64 fileSize)
    : m_os(os)
    , m_url(url)
    , m_kind(kind)
    , m_fileType(fileType)
    , m_fileSize(static_cast<quint32>(static_cast<quint64>(fileSize)))
    , m_downloadName(downloadNameOf(url.toString()))
{
}

qint64 LmtToolPackage::bytesFromMegabytes(double megabytes)
{
    const double bytes = std::trunc(megabytes * 1024.0 * 1024.0);
    // A value outside the 64-bit range (or not a number) has no meaningful byte count.
    if (!std::isfinite(bytes) || std::fabs(bytes) >= 9.2e18)
        return 0;
    return static_cast<qint64>(bytes);
}

void LmtToolPackage::setVersion(std::weak_ptr<LmtOnlineToolVersion> version)
{
    m_version = std::move(version);
}

QString LmtToolPackage::fileName() const
{
    static const QRegularExpression withDownload(QStringLiteral(".*/(?<filename>.*)/download$"));
    static const QRegularExpression plain(QStringLiteral(".*/(?<filename>.*)$"));

    const QString path = m_url.path(QUrl::FullyDecoded);
    QRegularExpressionMatch match = withDownload.match(path);
    if (!match.hasMatch())
        match = plain.match(path);
    return match.hasMatch() ? match.captured(QStringLiteral("filename")) : QString();
}

} // namespace zendrel::lmt::setup
