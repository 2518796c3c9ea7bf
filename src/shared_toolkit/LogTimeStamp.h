#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <limits>

namespace zendrel::lmt::shared_toolkit {

// The local time of a log line as "yyyy-MM-dd HH:mm:ss.zzz", without asking the time-zone
// database for every line: the date and time of day are worked out once per second, the
// milliseconds are written into the cached text, and within one millisecond the text is
// reused as it is. Not thread-safe; the log guards it with its lock.
class LogTimeStamp
{
public:
    // The text for msecs since the epoch; valid until the next call.
    QByteArrayView text(qint64 msecsSinceEpoch);

private:
    // No time at all yet: every real time differs from it.
    qint64 m_second = std::numeric_limits<qint64>::min();
    qint64 m_msecs = std::numeric_limits<qint64>::min();
    QByteArray m_text;
};

} // namespace zendrel::lmt::shared_toolkit
