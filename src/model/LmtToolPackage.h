#pragma once

#include <QString>
#include <QUrl>

#include <memory>

namespace zendrel::lmt::setup {

class LmtOnlineToolVersion;

// One downloadable file of an offered version.
class LmtToolPackage
{
public:
    // fileSize is the size in bytes; only its low 32 bits are kept (see fileSize()).
    LmtToolPackage(const QString &os, const QUrl &url, const QString &kind, const QString &fileType,
        qint64 fileSize);

    // The registry gives sizes in megabytes as a JSON number: the byte count, truncated
    // toward zero.
    static qint64 bytesFromMegabytes(double megabytes);

    void setVersion(std::weak_ptr<LmtOnlineToolVersion> version);
    std::shared_ptr<LmtOnlineToolVersion> version() const { return m_version.lock(); }

    QString os() const { return m_os; }
    QUrl url() const { return m_url; }
    QString kind() const { return m_kind; }
    QString fileType() const { return m_fileType; }
    // The size in bytes as a 32-bit value: files of 4 GiB and more wrap around.
    quint32 fileSize() const { return m_fileSize; }
    // "/" followed by the last path segment before "/download" (or of the whole URL).
    QString downloadName() const { return m_downloadName; }

    // The file name from the decoded URL path, skipping a trailing "/download" segment; empty
    // when the path has no "/".
    QString fileName() const;

private:
    std::weak_ptr<LmtOnlineToolVersion> m_version;
    QString m_os;
    QUrl m_url;
    QString m_kind;
    QString m_fileType;
    quint32 m_fileSize = 0;
    QString m_downloadName;
};

} // namespace zendrel::lmt::setup
