#pragma once

#include "services/LmtServiceTypes.h"

#include <QMap>
#include <QMetaType>
#include <QString>

namespace zendrel::lmt::setup {

// What the user may change about one installation: the scope and the directory. Carried by
// value from the configuration model to its cell and dialog and back, so that an edit reaches
// the catalogue only when the dialog is accepted.
struct LmtToolConfigData {
    LmtToolInstallScope recommendedScope = LmtToolInstallScope::CurrentUser;
    LmtToolInstallScope installScope = LmtToolInstallScope::CurrentUser;
    // The offered default directory per scope; the keys are the scopes the user may choose.
    QMap<LmtToolInstallScope, QString> defaultDirectories;
    QString installDirectory;
    // Rich-text hint shown when the user leaves the defaults; usually empty.
    QString note;

    // The default directory of the scope, empty when the scope offers none.
    QString defaultDirectoryFor(LmtToolInstallScope scope) const
    {
        return defaultDirectories.value(scope);
    }
    // Something to choose: a directory for the chosen scope, or two scopes.
    bool isCustomizable() const;
    // The choice differs from the defaults (directories compared case-sensitively).
    bool isCustom() const;
};

bool operator==(const LmtToolConfigData &a, const LmtToolConfigData &b);
inline bool operator!=(const LmtToolConfigData &a, const LmtToolConfigData &b)
{
    return !(a == b);
}

// The combo-box text of a scope ("Install only for current user", "Install for all users").
QString installScopeText(LmtToolInstallScope scope);

} // namespace zendrel::lmt::setup

Q_DECLARE_METATYPE(zendrel::lmt::setup::LmtToolConfigData)
