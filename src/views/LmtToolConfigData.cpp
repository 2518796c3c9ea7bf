#include "views/LmtToolConfigData.h"

#include <QCoreApplication>

namespace zendrel::lmt::setup {

bool LmtToolConfigData::isCustomizable() const
{
    return !defaultDirectoryFor(installScope).isEmpty() || defaultDirectories.size() >= 2;
}

bool LmtToolConfigData::isCustom() const
{
    return installScope != recommendedScope
        || installDirectory.compare(defaultDirectoryFor(installScope), Qt::CaseSensitive) != 0;
}

bool operator==(const LmtToolConfigData &a, const LmtToolConfigData &b)
{
    return a.recommendedScope == b.recommendedScope && a.installScope == b.installScope
        && a.defaultDirectories == b.defaultDirectories && a.installDirectory == b.installDirectory
        && a.note == b.note;
}

QString installScopeText(LmtToolInstallScope scope)
{
    switch (scope) {
    case LmtToolInstallScope::CurrentUser:
        return QCoreApplication::translate("LmtToolConfigDialog", "Install only for current user");
    case LmtToolInstallScope::AllUsers:
        return QCoreApplication::translate("LmtToolConfigDialog", "Install for all users");
    }
    return {};
}

} // namespace zendrel::lmt::setup
