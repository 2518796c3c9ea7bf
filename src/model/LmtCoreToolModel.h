#pragma once

#include "model/LmtTool.h"
#include "model/LmtToolVersion.h"

#include <QList>
#include <QString>

#include <memory>

namespace zendrel::lmt::setup {

class LmtOnlineToolVersion;
class LmtLocalToolVersion;

using LmtToolList = QList<std::shared_ptr<LmtTool>>;

// The in-memory catalogue: every offered, installed and 3rd-party tool with its versions, in
// the order the registry parsers added them. The user's decisions live in the versions'
// selected flags; the queries below turn them into the lists of work to do.
//
// Plain data without a lock: the controller fills it on its worker thread while the views are
// not looking, and the views read it afterwards on the GUI thread.
class LmtCoreToolModel
{
public:
    LmtCoreToolModel() = default;

    void addTool(const std::shared_ptr<LmtTool> &tool);
    void clear();
    const LmtToolList &tools() const { return m_tools; }

    // First tool with exactly this feature id, or null.
    std::shared_ptr<LmtTool> findTool(const QString &featureId) const;
    std::shared_ptr<LmtOnlineToolVersion> findOnlineVersion(
        const QString &featureId, const QString &version) const;

    bool hasSelectedOnlineVersions() const;
    // Whether a selected offered version belongs to a tool that needs a signed-in user.
    bool selectionRequiresLogin() const;
    // Whether anything is to be installed or removed.
    bool hasPendingChanges() const;

    // Selected offered versions that replace an installed version of their line.
    LmtToolVersionList updateVersions() const;
    // Selected offered versions that replace nothing.
    LmtToolVersionList newInstallVersions() const;
    // Unselected installed versions that no selected offered version replaces.
    LmtToolVersionList versionsToUninstall() const;
    // Updates and new installs, dependencies first.
    QList<std::shared_ptr<LmtOnlineToolVersion>> installList() const;
    // Versions to uninstall, dependents first.
    QList<std::shared_ptr<LmtLocalToolVersion>> uninstallList() const;

    // Carries the user's choices from the tools of an earlier catalogue over to this freshly
    // parsed one; tools and versions that no longer exist are skipped.
    void restoreSelection(const LmtToolList &oldTools);
    // Makes every update keep the scope (and location) of the installation it replaces, and
    // every patch follow the scope of the single tools package it belongs to.
    void inheritInstallScopes();

private:
    LmtToolList m_tools;
};

} // namespace zendrel::lmt::setup
