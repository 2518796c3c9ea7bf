#pragma once

#include "common/LmtTestSupport.h"

#include <QDir>
#include <QtTest>

namespace lmttest {

// The rows of a QtTest table kept as a fixture file, called from a _data() function. This one
// reads a JSON array of objects, each naming its case in "case"; the test fetches each object
// as the given column. Texts a service answers and the texts the user then reads are easiest
// to review as data.
inline void rowsFrom(const QString &fixtureName, const char *column = "row")
{
    QTest::addColumn<QJsonObject>(column);
    const QJsonDocument document = QJsonDocument::fromJson(fixture(fixtureName));
    if (!document.isArray() || document.array().isEmpty())
        qFatal("the fixture %s holds no rows", qPrintable(fixtureName));
    for (const QJsonValue &row : document.array())
        QTest::newRow(qPrintable(row[QLatin1String("case")].toString())) << row.toObject();
}

// This one reads a table of lines whose cells are separated by " | " (kept exactly, blanks
// included): the first names the row and the others fill the given text columns. Blank lines
// and lines starting with "#" (the table's header) are skipped.
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

// One row per fixture file of a folder whose name ends in suffix, fetched as the column "name"
// (the file name without the suffix). A folder that holds none ends the test program: a table
// without rows would pass unseen.
inline void rowsPerFile(const QString &folder, const QString &suffix)
{
    QTest::addColumn<QString>("name");
    const QStringList files = QDir(fixturePath(folder)).entryList({ QLatin1Char('*') + suffix });
    if (files.isEmpty())
        qFatal("the fixture folder %s holds no *%s file", qPrintable(folder), qPrintable(suffix));
    for (const QString &file : files)
        QTest::newRow(qPrintable(file.chopped(suffix.size()))) << file.chopped(suffix.size());
}

} // namespace lmttest
