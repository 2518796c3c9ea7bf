#pragma once

#include "common/LmtTestSupport.h"

#include <QtTest>

#include <functional>

namespace lmttest {

// Plays one section ("== name") of a scenario file below tests/data, whose lines read
// "step => expectation" (either may be empty; lines starting with "#" are comments). Each step
// goes to act; each expectation is awaited for up to 5 s through holds, except one whose first
// word ends in "-" (something did not happen), which is checked once. "\n" and "\s" in an
// expectation stand for a newline and a blank. Returns the first line whose expectation does
// not come true, with the states after its step, or nothing when all do.
inline QString playScenario(const QString &file, const QString &section,
    const std::function<void(const QString &)> &act,
    const std::function<bool(const QString &)> &holds, const std::function<QString()> &state)
{
    const QStringList lines = QString::fromUtf8(fixture(file)).split('\n');
    const int first = lines.indexOf("== " + section);
    if (first < 0)
        return "no section " + section;
    for (int i = first + 1; i < lines.size() && !lines[i].startsWith("=="); ++i) {
        if (lines[i].startsWith('#') || lines[i].isEmpty())
            continue;
        const QString expected
            = lines[i].section("=>", 1).trimmed().replace("\\n", "\n").replace("\\s", " ");
        act(lines[i].section("=>", 0, 0).trimmed());
        const QString atFirst = state();
        const bool once = expected.section(' ', 0, 0).endsWith('-');
        if (!expected.isEmpty()
            && !(once ? holds(expected) : QTest::qWaitFor([&] { return holds(expected); }, 5000)))
            return QString("line %1 '%2': at first '%3', now '%4'")
                .arg(i + 1)
                .arg(lines[i], atFirst, state());
    }
    return QString();
}

} // namespace lmttest
