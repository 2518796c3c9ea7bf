#include "app/LmtApplication.h"

#include <QApplication>
#include <QFont>
#include <QIcon>
#include <QLocale>

namespace zendrel::lmt::setup {

void applicationSetup(const LmtVersionNumbers &numbers)
{
    QCoreApplication::setApplicationVersion(QStringLiteral("%1.%2.%3.%4")
                                                .arg(numbers.major)
                                                .arg(numbers.minor)
                                                .arg(numbers.patch)
                                                .arg(numbers.build));
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    const LmtVersion version(numbers.major, numbers.minor, numbers.patch, numbers.build);
    QCoreApplication::setApplicationName(productName());
    QGuiApplication::setApplicationDisplayName(
        QStringLiteral("%1 %2").arg(productName(), version.shortText()));
    const QIcon icon(QStringLiteral(":images/setup"));
    if (!icon.isNull())
        QApplication::setWindowIcon(icon);
    QApplication::setFont(QApplication::font("QMenu"));
}

} // namespace zendrel::lmt::setup
