#include "KorInstallerRunner.h"

#include "shared_toolkit/Log.h"

#include <QProcess>

namespace zendrel::lmt::korservice {

QStringList KorInstallerRunner::commandLine(const QString &packagePath, const QStringList &switches)
{
#ifdef Q_OS_WIN
    return QStringList { packagePath } + switches;
#else
    // Run through the shell so that a package needs no execute permission.
    return QStringList { QStringLiteral("sh"), packagePath } + switches;
#endif
}

int KorInstallerRunner::run(const QString &packagePath, const QStringList &switches) const
{
    QStringList command = commandLine(packagePath, switches);
    const QString program = command.takeFirst();
    qCInfo(lmtLocal).noquote() << "[KorInstallerRunner]"
                               << "Running installer:" << program << command.join(QLatin1Char(' '));
    QProcess installer;
    // The installer's own output goes where ours goes, so the caller sees it as it comes.
    installer.setProcessChannelMode(QProcess::ForwardedChannels);
    // Silent installers read nothing; under sudo our standard input is the pipe sudo read the
    // password from, which is no business of a package's.
    installer.setStandardInputFile(QProcess::nullDevice());
    installer.start(program, command);
    if (!installer.waitForStarted(30000)) {
        qCCritical(lmtLocal).noquote() << "[KorInstallerRunner]"
                                       << "Installer did not start:" << installer.errorString();
        return 1;
    }
    installer.waitForFinished(-1);
    if (installer.exitStatus() != QProcess::NormalExit) {
        qCCritical(lmtLocal).noquote() << "[KorInstallerRunner]"
                                       << "Installer crashed";
        return 1;
    }
    qCInfo(lmtLocal).noquote() << "[KorInstallerRunner]"
                               << "Installer exited with code" << installer.exitCode();
    return installer.exitCode();
}

} // namespace zendrel::lmt::korservice
