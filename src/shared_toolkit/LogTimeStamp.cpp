#include "shared_toolkit/LogTimeStamp.h"

#include <QDateTime>

namespace zendrel::lmt::shared_toolkit {

QByteArrayView LogTimeStamp::text(qint64 msecsSinceEpoch)
{
    if (msecsSinceEpoch == m_msecs)
        return m_text;
    // Whole seconds towards the past, so that times before 1970 keep a positive millisecond.
    const qint64 second
        = msecsSinceEpoch >= 0 ? msecsSinceEpoch / 1000 : -((-msecsSinceEpoch + 999) / 1000);
    if (second != m_second) {
        // Time-zone offsets and their changes fall on whole seconds, so one conversion serves
        // every line of this second.
        m_text = QDateTime::fromMSecsSinceEpoch(second * 1000)
                     .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.000"))
                     .toUtf8();
        m_second = second;
    }
    const int millisecond = int(msecsSinceEpoch - second * 1000);
    char *digits = m_text.data() + m_text.size() - 3;
    digits[0] = char('0' + millisecond / 100);
    digits[1] = char('0' + millisecond / 10 % 10);
    digits[2] = char('0' + millisecond % 10);
    m_msecs = msecsSinceEpoch;
    return m_text;
}

} // namespace zendrel::lmt::shared_toolkit
