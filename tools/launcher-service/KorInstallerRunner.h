#pragma once

#include <QString>
#include <QStringList>

namespace zendrel::lmt::korservice {

// Runs a downloaded package's installer with the switches the application chose and waits for
// it. Packages are native installers on Windows and self-extracting shell scripts elsewhere.
class KorInstallerRunner
{
public:
    // The program and arguments that run the package with the switches.
    static QStringList commandLine(const QString &packagePath, const QStringList &switches);

    // The installer's exit code; 1 when it could not be started or crashed.
    int run(const QString &packagePath, const QStringList &switches) const;
};

} // namespace zendrel::lmt::korservice
