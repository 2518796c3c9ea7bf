#pragma once

#include "services/LmtServiceTypes.h"

#include <QList>
#include <QSignalSpy>
#include <QStringList>

#include <tuple>

// Readable views of what a QSignalSpy recorded, for comparing whole sequences at once.
namespace lmttest {

// (status, feature id, version) of a job status signal.
using JobStatus = std::tuple<zendrel::lmt::setup::LmtOperationStatus, QString, QString>;

inline QList<JobStatus> jobStatuses(const QSignalSpy &spy)
{
    QList<JobStatus> result;
    for (const QList<QVariant> &signal : spy)
        result << JobStatus { signal.at(0).value<zendrel::lmt::setup::LmtOperationStatus>(),
            signal.at(1).toString(), signal.at(2).toString() };
    return result;
}

// One argument of every recorded signal, as text.
inline QStringList signalTexts(const QSignalSpy &spy, int argument = 0)
{
    QStringList result;
    for (const QList<QVariant> &signal : spy)
        result << signal.at(argument).toString();
    return result;
}

// The recorded lines ("name arguments") that start with prefix, in order.
inline QStringList startingWith(const QStringList &lines, const QString &prefix)
{
    QStringList found;
    for (const QString &line : lines)
        if (line.startsWith(prefix))
            found << line;
    return found;
}

} // namespace lmttest
