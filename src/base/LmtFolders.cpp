#include "base/LmtFolders.h"

#include "platform/LmtPlatform.h"

namespace zendrel::lmt::setup {

namespace {

QDir toolboxBelow(const QString &environmentVariable)
{
    return QDir(platform::environmentVariable(environmentVariable)
        + QStringLiteral("/Zendrel_Technologies_AG/Zendrel-Toolbox"));
}

} // namespace

QDir currentUserToolboxDirectory()
{
    return toolboxBelow(QStringLiteral("LOCALAPPDATA"));
}

QDir allUsersToolboxDirectory()
{
    return toolboxBelow(QStringLiteral("ALLUSERSPROFILE"));
}

QDir downloadsDirectory()
{
    QDir directory = currentUserToolboxDirectory();
    if (directory.exists(QStringLiteral("Tools")))
        directory.cd(QStringLiteral("Tools"));
    return QDir(directory.absolutePath());
}

QString fileUrlPrefix()
{
    return platform::fileUrlPrefix();
}

} // namespace zendrel::lmt::setup
