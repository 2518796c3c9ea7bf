#pragma once

#include <QString>
#include <QtGlobal>

namespace zendrel::lmt::korservice {

// The record the running service leaves in its service directory: on which port it listens
// and which process it is. One record per user, so one service per user.
struct KorInstanceRecord {
    quint16 port = 0;
    qint64 pid = 0;

    bool isValid() const { return port != 0 && pid > 0; }

    // Reads the record; an invalid record when the file is missing or unreadable.
    static KorInstanceRecord load(const QString &path);
    // Replaces the file atomically.
    bool save(const QString &path) const;
    // Removes the file only while it still names this process, so a successor's record
    // survives a late shutdown of its predecessor.
    static void removeIfOwnedBy(const QString &path, qint64 pid);
};

// Finds the service of this user that is really running: the record must name a port on
// which a launcher service answers with the recorded process id.
class KorInstanceProbe
{
public:
    explicit KorInstanceProbe(int timeoutMs = 3000);

    // The port of the running service, or 0.
    quint16 runningPort() const;
    // Whether the service on port answers as process pid.
    bool answers(quint16 port, qint64 pid) const;

private:
    int m_timeoutMs;
};

} // namespace zendrel::lmt::korservice
