#include "KorPackageDownloader.h"

#include "KorHttpClient.h"
#include "shared_toolkit/Log.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QNetworkReply>
#include <QRegularExpression>

#include <cerrno>

namespace zendrel::lmt::korservice {

namespace {

// A stalled connection is given up after this long without data; the next run resumes.
const int kStallTimeoutMs = 60000;

// "bytes <first>-<last>/<total>" -> first and total (total -1 when "*").
bool parseContentRange(const QByteArray &header, qint64 *first, qint64 *total)
{
    static const QRegularExpression pattern(QStringLiteral("^bytes (\\d+)-(\\d+)/(\\d+|\\*)$"));
    const QRegularExpressionMatch match = pattern.match(QString::fromLatin1(header.trimmed()));
    if (!match.hasMatch())
        return false;
    *first = match.captured(1).toLongLong();
    *total = match.captured(3) == QLatin1String("*") ? -1 : match.captured(3).toLongLong();
    return true;
}

} // namespace

KorPackageDownloader::KorPackageDownloader(QObject *parent)
    : QObject(parent)
{
}

KorPackageDownloader::~KorPackageDownloader()
{
    releaseReply();
}

QString KorPackageDownloader::partialPath(const QString &targetPath)
{
    return targetPath + QStringLiteral(".part");
}

QByteArray KorPackageDownloader::sha256Of(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!hash.addData(&file))
        return {};
    return hash.result().toHex();
}

void KorPackageDownloader::start(const Job &job)
{
    m_job = job;
    QDir().mkpath(QFileInfo(job.targetPath).absolutePath());

    if (!job.sha256.isEmpty() && QFileInfo::exists(job.targetPath)
        && sha256Of(job.targetPath) == job.sha256) {
        qCInfo(lmtLocal).noquote()
            << "[KorPackageDownloader]" << job.targetPath << "is already complete and verified";
        Q_EMIT progress(100.0);
        m_done = true;
        Q_EMIT finished(true, QString());
        return;
    }

    // Two downloads into one partial file would interleave their bytes.
    m_lock = std::make_unique<QLockFile>(job.targetPath + QStringLiteral(".lock"));
    m_lock->setStaleLockTime(0);
    if (!m_lock->tryLock(0)) {
        // A lock that cannot even be written (full disk, no rights) is not another download.
        fail(m_lock->error() == QLockFile::LockFailedError
                ? QStringLiteral("%1 is being downloaded by another process").arg(job.targetPath)
                : QStringLiteral("Cannot create the lock file %1.lock").arg(job.targetPath));
        return;
    }
    request();
}

void KorPackageDownloader::request()
{
    m_part.setFileName(partialPath(m_job.targetPath));
    m_offset = m_part.exists() ? m_part.size() : 0;
    m_written = 0;
    m_total = -1;
    m_bodyStarted = false;

    QNetworkRequest request
        = KorHttpClient::makeRequest(m_job.url, m_job.bearerToken, kStallTimeoutMs);
    if (m_offset > 0) {
        request.setRawHeader("Range", "bytes=" + QByteArray::number(m_offset) + '-');
        qCInfo(lmtLocal).noquote() << "[KorPackageDownloader]"
                                   << "Resuming" << m_job.url.toString() << "at byte" << m_offset;
    } else {
        qCInfo(lmtLocal).noquote()
            << "[KorPackageDownloader]"
            << "Downloading" << m_job.url.toString() << "to" << m_part.fileName();
    }
    m_reply = m_network.get(request);
    connect(m_reply, &QNetworkReply::readyRead, this, &KorPackageDownloader::onReadyRead);
    connect(m_reply, &QNetworkReply::finished, this, &KorPackageDownloader::onFinished);
}

// Decides from the status line how the body relates to the partial file. False when the
// download cannot go on with this reply (it has then been ended or restarted).
bool KorPackageDownloader::beginBody()
{
    if (m_bodyStarted)
        return true;
    const int status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    // Unbuffered: every chunk reaches the disk at once, and a failed write says why.
    QIODevice::OpenMode mode = QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered;
    if (status == 206) {
        qint64 first = -1;
        qint64 total = -1;
        if (!parseContentRange(m_reply->rawHeader("Content-Range"), &first, &total)
            || first != m_offset) {
            restartFromZero(QStringLiteral("the server resumed at another position"));
            return false;
        }
        m_total = total;
        mode = QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered;
    } else if (status == 416 && m_offset > 0) {
        restartFromZero(QStringLiteral("the server refused to resume"));
        return false;
    } else if (status == 401 || status == 403) {
        fail(QStringLiteral("Access to %1 denied (HTTP %2): sign in with an account that may "
                            "download this tool")
                 .arg(m_job.url.toString())
                 .arg(status));
        return false;
    } else if (status != 200 && status != 0) {
        fail(QStringLiteral("Download of %1 failed: HTTP status %2")
                 .arg(m_job.url.toString())
                 .arg(status));
        return false;
    } else {
        // A full answer: whatever the partial file held is replaced.
        m_offset = 0;
        const QVariant length = m_reply->header(QNetworkRequest::ContentLengthHeader);
        m_total = length.isValid() ? length.toLongLong() : -1;
    }
    if (!m_part.open(mode)) {
        fail(QStringLiteral("Cannot write %1: %2").arg(m_part.fileName(), m_part.errorString()));
        return false;
    }
    m_bodyStarted = true;
    return true;
}

void KorPackageDownloader::onReadyRead()
{
    if (m_done || !beginBody())
        return;
    if (writeAvailable())
        emitProgress();
}

bool KorPackageDownloader::writeAvailable()
{
    const QByteArray chunk = m_reply->readAll();
    if (chunk.isEmpty())
        return true;
    // A test's pretended full disk takes what still fits and then fails the way the system does.
    const qint64 room = m_job.diskFreeBytes < 0
        ? chunk.size()
        : qBound(qint64(0), m_job.diskFreeBytes - m_written, qint64(chunk.size()));
    QString writeError;
    // A disk that fills up half-way through a chunk takes part of it without complaint; only the
    // next write tells why (Qt reports a short write as "Unknown error").
    for (qint64 done = 0; done < room && writeError.isEmpty();) {
        const qint64 written = m_part.write(chunk.constData() + done, room - done);
        if (written <= 0)
            writeError = m_part.errorString();
        done += written;
    }
    if (writeError.isEmpty() && room < chunk.size())
        writeError = qt_error_string(ENOSPC);
    if (!writeError.isEmpty()) {
        // What a failed write left is not worth resuming, and a full disk needs the space back.
        m_part.close();
        QFile::remove(m_part.fileName());
        fail(QStringLiteral("Cannot write %1: %2").arg(m_part.fileName(), writeError));
        return false;
    }
    m_written += chunk.size();
    return true;
}

void KorPackageDownloader::emitProgress()
{
    if (m_total > 0)
        Q_EMIT progress(
            100.0 * static_cast<double>(m_offset + m_written) / static_cast<double>(m_total));
}

void KorPackageDownloader::onFinished()
{
    if (m_done)
        return;
    const bool transportFailed = m_reply->error() != QNetworkReply::NoError;
    const bool answered = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid();
    // Keep whatever arrived, also from a broken transfer: the next run resumes after it.
    if ((answered || !transportFailed) && (!beginBody() || !writeAvailable()))
        return;
    m_part.close();
    if (transportFailed) {
        const qint64 onDisk = m_offset + m_written;
        fail(onDisk == 0 ? QStringLiteral("Download of %1 failed: %2")
                               .arg(m_job.url.toString(), m_reply->errorString())
                         : QStringLiteral("Download of %1 interrupted after %2 bytes: %3 - run "
                                          "it again to resume")
                               .arg(m_job.url.toString())
                               .arg(onDisk)
                               .arg(m_reply->errorString()));
        return;
    }
    releaseReply();
    complete();
}

void KorPackageDownloader::releaseReply()
{
    if (!m_reply)
        return;
    QNetworkReply *reply = m_reply;
    m_reply = nullptr;
    reply->disconnect(this);
    reply->abort();
    reply->deleteLater();
}

void KorPackageDownloader::restartFromZero(const QString &reason)
{
    releaseReply();
    m_part.close();
    QFile::remove(m_part.fileName());
    if (m_restarted) {
        fail(QStringLiteral("Download of %1 failed: %2").arg(m_job.url.toString(), reason));
        return;
    }
    qCWarning(lmtLocal).noquote() << "[KorPackageDownloader]"
                                  << "Starting over because" << reason;
    m_restarted = true;
    request();
}

void KorPackageDownloader::complete()
{
    const QString partial = m_part.fileName();
    const qint64 size = QFileInfo(partial).size();
    if (m_total >= 0 && size != m_total) {
        // More bytes than announced cannot be completed by resuming: start over next time.
        if (size > m_total)
            QFile::remove(partial);
        fail(QStringLiteral("Download of %1 is incomplete: %2 of %3 bytes%4")
                 .arg(m_job.url.toString())
                 .arg(size)
                 .arg(m_total)
                 .arg(size < m_total ? QStringLiteral(" - run it again to resume") : QString()));
        return;
    }
    if (!m_job.sha256.isEmpty()) {
        const QByteArray actual = sha256Of(partial);
        if (actual != m_job.sha256) {
            QFile::remove(partial);
            fail(QStringLiteral("Download of %1 is corrupt: SHA-256 %2 instead of %3")
                     .arg(m_job.url.toString(), QString::fromLatin1(actual),
                         QString::fromLatin1(m_job.sha256)));
            return;
        }
    } else if (m_total < 0) {
        qCWarning(lmtLocal).noquote() << "[KorPackageDownloader]"
                                      << "Neither size nor checksum "
                                         "of"
                                      << m_job.url.toString() << "known: taken as it is";
    }
    QFile::remove(m_job.targetPath);
    if (!QFile::rename(partial, m_job.targetPath)) {
        fail(QStringLiteral("Cannot rename %1 to %2").arg(partial, m_job.targetPath));
        return;
    }
    qCInfo(lmtLocal).noquote() << "[KorPackageDownloader]"
                               << "Downloaded" << m_job.targetPath << "(" << size << "bytes)";
    m_done = true;
    m_lock.reset();
    Q_EMIT progress(100.0);
    Q_EMIT finished(true, QString());
}

void KorPackageDownloader::fail(const QString &error)
{
    releaseReply();
    m_part.close();
    m_done = true;
    m_lock.reset();
    qCCritical(lmtLocal).noquote() << "[KorPackageDownloader]" << error;
    Q_EMIT finished(false, error);
}

} // namespace zendrel::lmt::korservice
