// kor-launcher-service: the companion program that signs the user in, downloads and installs
// packages for the setup application.
//
//   kor-launcher-service                 start this user's service (if not running) and return
//   kor-launcher-service -port           print the port of the running service
//   kor-launcher-service -stop           stop the running service
//   kor-launcher-service -kor.service "downloadOnly <featureId>:<version> <registry URL>"
//   kor-launcher-service -kor.service "installOnly <featureId>:<version> <registry URL>" -- ...
//   kor-launcher-service -kor.service "checkUpdate <featureId> <registry URL> -silent"
//
// For tests only: with KOR_TEST_DISK_FREE_BYTES=<n> in its environment, "downloadOnly" acts as
// if the disk held only n free bytes: the write past them fails with "No space left on device".

#include "KorConsole.h"
#include "KorPaths.h"
#include "KorServiceControl.h"
#include "KorToolCommands.h"
#include "shared_toolkit/Log.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace zendrel::lmt;

namespace {

// One log file shared by every run; the previous generation is kept once it grows large.
const qint64 kLogRotateBytes = 4 * 1024 * 1024;

void openLog()
{
    const QString path = korservice::paths::logFile();
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (QFileInfo(path).size() > kLogRotateBytes) {
        QFile::remove(path + QStringLiteral(".1"));
        QFile::rename(path, path + QStringLiteral(".1"));
    }
    shared_toolkit::Log &log = shared_toolkit::Log::instance();
    log.open(path);
    log.setEchoToConsole(false);
}

int usage()
{
    korservice::printError(QStringLiteral(
        "Usage: kor-launcher-service [-port | -stop | -kor.service \"<verb> <operands>\" "
        "[-- <installer switches>]]"));
    return 2;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kor-launcher-service"));
    openLog();

    QStringList arguments = QCoreApplication::arguments().mid(1);
    qCInfo(lmtLocal).noquote() << "[kor-launcher-service]"
                               << "pid" << QCoreApplication::applicationPid()
                               << "arguments:" << arguments.join(QLatin1Char(' '));
    const korservice::KorServiceControl control;
    if (arguments.isEmpty())
        return control.start();
    const QString command = arguments.takeFirst();
    if (command == QLatin1String("--serve") && arguments.isEmpty())
        return control.serve();
    if (command == QLatin1String("-port") && arguments.isEmpty())
        return control.printPort();
    if (command == QLatin1String("-stop") && arguments.isEmpty())
        return control.stop();
    if (command == QLatin1String("-kor.service")) {
        QString error;
        const auto verb = korservice::KorVerb::parse(arguments, &error);
        if (!verb) {
            korservice::printError(error);
            return usage();
        }
        return korservice::KorToolCommands().run(*verb);
    }
    return usage();
}
