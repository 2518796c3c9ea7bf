#pragma once

#include <QByteArray>
#include <QFile>
#include <QLockFile>
#include <QNetworkAccessManager>
#include <QObject>
#include <QString>
#include <QUrl>

#include <memory>

class QNetworkReply;

namespace zendrel::lmt::korservice {

// Downloads one package so that its final name only ever holds a complete, verified file.
// Bytes go to "<target>.part" as they arrive; a later run finds that file and asks the server
// for the rest only (HTTP range request). When the transfer ends, the size is checked against
// what the server announced, and the SHA-256 against the registry's, if it gave one; only
// then is the file renamed to its final name. A corrupt partial file is removed so that the
// next run starts over, and so is one whose write failed (a full disk wants its space back).
class KorPackageDownloader : public QObject
{
    Q_OBJECT
public:
    struct Job {
        QUrl url;
        QString targetPath;
        QByteArray bearerToken; // sent when not empty
        QByteArray sha256; // lower-case hex; not checked when empty
        // For tests: the disk is full after this many bytes of the transfer; -1 for no limit.
        qint64 diskFreeBytes = -1;
    };

    explicit KorPackageDownloader(QObject *parent = nullptr);
    ~KorPackageDownloader() override;

    void start(const Job &job);

    static QString partialPath(const QString &targetPath);
    // Lower-case hex SHA-256 of a file; empty when it cannot be read.
    static QByteArray sha256Of(const QString &path);

Q_SIGNALS:
    void progress(double percent);
    void finished(bool ok, const QString &error);

private:
    void request();
    bool beginBody();
    void onReadyRead();
    void onFinished();
    bool writeAvailable();
    void restartFromZero(const QString &reason);
    void releaseReply();
    void complete();
    void fail(const QString &error);
    void emitProgress();

    QNetworkAccessManager m_network;
    Job m_job;
    std::unique_ptr<QLockFile> m_lock;
    QFile m_part;
    QNetworkReply *m_reply = nullptr;
    qint64 m_offset = 0; // bytes already on disk when the request was sent
    qint64 m_written = 0; // bytes written by this request
    qint64 m_total = -1; // size of the whole file, -1 when the server did not say
    bool m_bodyStarted = false;
    bool m_restarted = false;
    bool m_done = false;
};

} // namespace zendrel::lmt::korservice
