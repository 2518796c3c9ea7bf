#include "ui/LmtAbout.h"

#include "base/LmtIdentity.h"
#include "shared_toolkit/Log.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QStandardPaths>

namespace zendrel::lmt::setup {

namespace {

const QString kFirstYear = QStringLiteral("2023");
const QString kLauncherServiceLog = QStringLiteral(
    "Zendrel_Technologies_AG/Launcher-Service/resources/logs/launcher-service.log");

// Gives the texts below a translation context of their own.
struct LmtAbout {
    Q_DECLARE_TR_FUNCTIONS(LmtAbout)
};

} // namespace

QString buildDate()
{
    return QStringLiteral(__DATE__);
}

QString aboutYearRange(const QString &buildDate)
{
    const QString year = buildDate.right(4);
    if (year == kFirstYear)
        return kFirstYear;
    return LmtAbout::tr("%1-%2").arg(kFirstYear, year);
}

QString aboutText()
{
    QString text
        = LmtAbout::tr("<h3>%1</h3><p>Version %2</p>"
                       "<p>Copyright &copy; %3 Zendrel Technologies AG. All rights reserved.</p>"
                       "<p><a href=\"https://www.zendrel-tech.example/\">"
                       "www.zendrel-tech.example</a></p>")
              .arg(productName(), productVersion().toString(), aboutYearRange(buildDate()));
    const QString launcherLog = QStandardPaths::locate(
        QStandardPaths::GenericDataLocation, kLauncherServiceLog, QStandardPaths::LocateFile);
    const QString logFile = shared_toolkit::Log::instance().fileName();
    if (!logFile.isEmpty())
        text += LmtAbout::tr("<p>Log(s): <a href=\"file:///%1\">%1</a>").arg(logFile);
    if (!launcherLog.isEmpty())
        text += LmtAbout::tr("<p>KOR Launcher Service Log(s): <a href=\"file:///%1\">%1</a>")
                    .arg(launcherLog);
    return text;
}

void showAbout(QWidget *parent)
{
    QMessageBox::about(parent, LmtAbout::tr("About"), aboutText());
}

} // namespace zendrel::lmt::setup
