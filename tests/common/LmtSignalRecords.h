#pragma once

#include "services/LmtServiceTypes.h"

#include <QList>
#include <QSignalSpy>
#include <QStringList>

#include <tuple>

// Readable views of what a QSignalSpy recorded, for comparing whole sequences at once.
namespace lmttest {

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
