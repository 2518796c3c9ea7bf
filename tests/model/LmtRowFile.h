#pragma once

#include "common/LmtTestSupport.h"

#include <QtTest>

namespace lmttest {

// Adds one QtTest row per line of a table below tests/data/: cells are separated by " | "
// (kept exactly, blanks included), the first names the row and the others fill the given
// text columns. Blank lines and lines starting with "#" (the table's header) are skipped.
inline void rowsFrom(const QString &table, const QList<const char *> &columns)
{
    for (const char *column : columns)
        QTest::addColumn<QString>(column);
    for (const QString &line : QString::fromUtf8(fixture(table)).split('\n')) {
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const QStringList cells = line.split(QStringLiteral(" | "));
        QTestData &row = QTest::newRow(qPrintable(cells.first()));
        for (qsizetype i = 1; i <= columns.size(); ++i)
            row << cells.value(i);
    }
}

} // namespace lmttest
