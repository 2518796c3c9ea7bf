#pragma once

#include <QString>

class QWidget;

namespace zendrel::lmt::setup {

// The date this program was built, as the compiler prints it ("Dec 17 2024").
QString buildDate();

// "2023" when the date (its last four characters are the year) lies in 2023, otherwise
// "2023-<year>".
QString aboutYearRange(const QString &buildDate);

// The About text, built anew each time: identity, copyright years, the current log file and,
// when it exists, the launcher service's log.
QString aboutText();

// Shows the About box over parent.
void showAbout(QWidget *parent);

} // namespace zendrel::lmt::setup
