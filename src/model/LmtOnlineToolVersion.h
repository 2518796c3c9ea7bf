#pragma once

#include "model/LmtToolPackage.h"
#include "model/LmtToolVersion.h"

#include <QList>
#include <QMap>

#include <memory>

namespace zendrel::lmt::setup {

// A version offered by the online registry, with its download packages and the scopes and
// directories it may be installed in.
class LmtOnlineToolVersion : public LmtToolVersion,
                             public std::enable_shared_from_this<LmtOnlineToolVersion>
{
public:
    static std::shared_ptr<LmtOnlineToolVersion> create(
        const QString &version, quint64 versionNumeric, qint64 id);
    ~LmtOnlineToolVersion() override;

    bool isOnline() const override { return true; }
    // No two offered versions of one tool with the same major.minor.patch may be selected at
    // once; breaking that throws std::runtime_error (after the flag was stored).
    void validateSelection() override;

    qint64 id() const { return m_id; }

    const QList<std::shared_ptr<LmtToolPackage>> &packages() const { return m_packages; }
    // Throws std::bad_weak_ptr when this version is not owned by a shared_ptr.
    void addPackage(const std::shared_ptr<LmtToolPackage> &package);
    // The first package for the running operating system (by exact name), or null.
    std::shared_ptr<LmtToolPackage> packageForCurrentOs() const;
    bool hasPackageForCurrentOs() const { return packageForCurrentOs() != nullptr; }

    bool silentInstall() const { return m_silentInstall; }
    void setSilentInstall(bool silent) { m_silentInstall = silent; }
    LmtToolInstallScope recommendedScope() const { return m_recommendedScope; }
    void setRecommendedScope(LmtToolInstallScope scope) { m_recommendedScope = scope; }

    // The default directory for a scope (placeholders already expanded); empty when the
    // version cannot be installed in that scope.
    QString installDirectoryFor(LmtToolInstallScope scope) const;
    void setInstallDirectoryFor(LmtToolInstallScope scope, const QString &directory);
    const QMap<LmtToolInstallScope, QString> &installDirectories() const
    {
        return m_installDirectories;
    }
    // The scopes the version may be installed in, in ascending order.
    QList<LmtToolInstallScope> supportedScopes() const { return m_installDirectories.keys(); }

protected:
    LmtOnlineToolVersion(const QString &version, quint64 versionNumeric, qint64 id);

private:
    qint64 m_id;
    QList<std::shared_ptr<LmtToolPackage>> m_packages;
    bool m_silentInstall = true;
    LmtToolInstallScope m_recommendedScope = LmtToolInstallScope::CurrentUser;
    QMap<LmtToolInstallScope, QString> m_installDirectories;
};

} // namespace zendrel::lmt::setup
