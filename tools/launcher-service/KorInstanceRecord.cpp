#include "KorInstanceRecord.h"

#include "KorHttpClient.h"
#include "KorPaths.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

namespace zendrel::lmt::korservice {

KorInstanceRecord KorInstanceRecord::load(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QJsonObject object = QJsonDocument::fromJson(file.readAll()).object();
    const qint64 port = object.value(QStringLiteral("port")).toInteger();
    KorInstanceRecord record;
    if (port > 0 && port <= 65535)
        record.port = static_cast<quint16>(port);
    record.pid = object.value(QStringLiteral("pid")).toInteger();
    return record;
}

bool KorInstanceRecord::save(const QString &path) const
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QJsonObject object { { QStringLiteral("port"), port }, { QStringLiteral("pid"), pid } };
    file.write(QJsonDocument(object).toJson(QJsonDocument::Compact));
    return file.commit();
}

void KorInstanceRecord::removeIfOwnedBy(const QString &path, qint64 pid)
{
    if (load(path).pid == pid)
        QFile::remove(path);
}

KorInstanceProbe::KorInstanceProbe(int timeoutMs)
    : m_timeoutMs(timeoutMs)
{
}

quint16 KorInstanceProbe::runningPort() const
{
    const KorInstanceRecord record = KorInstanceRecord::load(paths::instanceFile());
    if (!record.isValid() || !answers(record.port, record.pid))
        return 0;
    return record.port;
}

bool KorInstanceProbe::answers(quint16 port, qint64 pid) const
{
    KorHttpClient client(m_timeoutMs);
    const KorHttpResult result
        = client.get(QUrl(QStringLiteral("http://127.0.0.1:%1/kor-service/status").arg(port)));
    if (!result.ok())
        return false;
    const QJsonObject status = QJsonDocument::fromJson(result.body).object();
    return status.value(QStringLiteral("service")).toString()
        == QLatin1String("kor-launcher-service")
        && status.value(QStringLiteral("pid")).toInteger() == pid;
}

} // namespace zendrel::lmt::korservice
