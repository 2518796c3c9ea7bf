#pragma once

#include "common/LmtTestSupport.h"

#include <QtTest>

namespace lmttest {

// The rows of a QtTest table kept as a fixture file: a JSON array of objects, each naming its
// case in "case". Called from a _data() function; the test fetches each object as the column
// "row". The cases of the service and controller tests are mostly texts that a service or the
// launcher answers and the texts the user then reads, which are easiest to review as data.
inline void rowsFrom(const QString &fixtureName)
{
    QTest::addColumn<QJsonObject>("row");
    const QJsonDocument document = QJsonDocument::fromJson(fixture(fixtureName));
    if (!document.isArray() || document.array().isEmpty())
        qFatal("the fixture %s holds no rows", qPrintable(fixtureName));
    for (const QJsonValue &row : document.array())
        QTest::newRow(qPrintable(row[QLatin1String("case")].toString())) << row.toObject();
}

} // namespace lmttest
