#include "model/LmtCoreToolModel.h"

#include "model/LmtInstallOrder.h"
#include "model/LmtLocalToolVersion.h"
#include "model/LmtOnlineToolVersion.h"
#include "shared_toolkit/Log.h"

#include <algorithm>
#include <stdexcept>

namespace zendrel::lmt::setup {

namespace {

template<typename Target>
QList<std::shared_ptr<Target>> castAll(const LmtToolVersionList &versions)
{
    QList<std::shared_ptr<Target>> result;
    result.reserve(versions.size());
    for (const std::shared_ptr<LmtToolVersion> &version : versions) {
        if (auto cast = std::dynamic_pointer_cast<Target>(version))
            result.append(std::move(cast));
    }
    return result;
}

// Selected offered versions, in model order, that do (or do not) replace an installation.
LmtToolVersionList selectedOnlineVersions(const LmtToolList &tools, bool withCounterpart)
{
    LmtToolVersionList result;
    for (const std::shared_ptr<LmtTool> &tool : tools) {
        for (const std::shared_ptr<LmtToolVersion> &version : tool->onlineVersions()) {
            if (version->selected() && version->hasCounterpart() == withCounterpart)
                result.append(version);
        }
    }
    return result;
}

// The selected versions of the tools packages a patch applies to (same major.minor).
LmtToolVersionList toolsPackagesFor(const LmtToolList &tools, const LmtToolVersion &patch)
{
    LmtToolVersionList result;
    for (const std::shared_ptr<LmtTool> &tool : tools) {
        if (tool->type() != LmtToolType::ToolsPackage)
            continue;
        for (const std::shared_ptr<LmtToolVersion> &version : tool->allVersions()) {
            if (version->selected() && version->major() == patch.major()
                && version->minor() == patch.minor())
                result.append(version);
        }
    }
    return result;
}

} // namespace

void LmtCoreToolModel::addTool(const std::shared_ptr<LmtTool> &tool)
{
    qCInfo(lmtLocal).noquote() << "[LmtCoreToolModel]"
                               << "Add tool, featureid: " + tool->featureId()
            + ", lmttype: " + tool->typeText();
    m_tools.append(tool);
}

void LmtCoreToolModel::clear()
{
    qCInfo(lmtLocal).noquote() << "[LmtCoreToolModel]"
                               << "Clear core tool model";
    m_tools.clear();
}

std::shared_ptr<LmtTool> LmtCoreToolModel::findTool(const QString &featureId) const
{
    for (const std::shared_ptr<LmtTool> &tool : m_tools) {
        if (tool->featureId() == featureId)
            return tool;
    }
    return nullptr;
}

std::shared_ptr<LmtOnlineToolVersion> LmtCoreToolModel::findOnlineVersion(
    const QString &featureId, const QString &version) const
{
    const std::shared_ptr<LmtTool> tool = findTool(featureId);
    return tool ? tool->findOnlineVersion(version) : nullptr;
}

bool LmtCoreToolModel::hasSelectedOnlineVersions() const
{
    return std::any_of(m_tools.cbegin(), m_tools.cend(), [](const auto &tool) {
        const LmtToolVersionList &versions = tool->onlineVersions();
        return std::any_of(
            versions.cbegin(), versions.cend(), [](const auto &v) { return v->selected(); });
    });
}

bool LmtCoreToolModel::selectionRequiresLogin() const
{
    return std::any_of(m_tools.cbegin(), m_tools.cend(), [](const auto &tool) {
        const LmtToolVersionList &versions = tool->onlineVersions();
        return tool->loginRequired()
            && std::any_of(
                versions.cbegin(), versions.cend(), [](const auto &v) { return v->selected(); });
    });
}

bool LmtCoreToolModel::hasPendingChanges() const
{
    return std::any_of(m_tools.cbegin(), m_tools.cend(), [](const auto &tool) {
        const LmtToolVersionList &versions = tool->allVersions();
        return std::any_of(versions.cbegin(), versions.cend(),
            [](const auto &v) { return v->selected() == v->isOnline(); });
    });
}

LmtToolVersionList LmtCoreToolModel::updateVersions() const
{
    return selectedOnlineVersions(m_tools, true);
}

LmtToolVersionList LmtCoreToolModel::newInstallVersions() const
{
    return selectedOnlineVersions(m_tools, false);
}

LmtToolVersionList LmtCoreToolModel::versionsToUninstall() const
{
    LmtToolVersionList result;
    for (const std::shared_ptr<LmtTool> &tool : m_tools) {
        for (const std::shared_ptr<LmtToolVersion> &version : tool->localVersions()) {
            if (!version->selected() && !version->hasCounterpart())
                result.append(version);
        }
    }
    return result;
}

QList<std::shared_ptr<LmtOnlineToolVersion>> LmtCoreToolModel::installList() const
{
    return castAll<LmtOnlineToolVersion>(sortForInstall(updateVersions() + newInstallVersions()));
}

QList<std::shared_ptr<LmtLocalToolVersion>> LmtCoreToolModel::uninstallList() const
{
    LmtToolVersionList ordered = sortForInstall(versionsToUninstall());
    // A version goes before the versions it depends on.
    std::reverse(ordered.begin(), ordered.end());
    return castAll<LmtLocalToolVersion>(ordered);
}

void LmtCoreToolModel::restoreSelection(const LmtToolList &oldTools)
{
    qCDebug(lmtLocal).noquote() << "[LmtCoreToolModel]"
                                << ">> restoreSelection()";
    for (const std::shared_ptr<LmtTool> &oldTool : oldTools) {
        const std::shared_ptr<LmtTool> newTool = findTool(oldTool->featureId());
        if (!newTool)
            continue;

        for (const std::shared_ptr<LmtToolVersion> &oldVersion : oldTool->localVersions()) {
            if (oldVersion->selected())
                continue;
            // By scope too: the same version may be installed for both, and only the one the
            // user unticked is to go.
            if (const auto newVersion
                = newTool->findLocalVersion(oldVersion->version(), oldVersion->installScope()))
                newVersion->setSelected(false);
        }

        for (const std::shared_ptr<LmtToolVersion> &oldVersion : oldTool->onlineVersions()) {
            if (!oldVersion->selected())
                continue;
            const auto newVersion = newTool->findOnlineVersion(oldVersion->version());
            if (!newVersion)
                continue;
            try {
                newVersion->setSelected(true);
            } catch (const std::runtime_error &error) {
                // The earlier choice breaks the selection rules of the new catalogue: drop it
                // rather than abort the restore or keep an invalid selection.
                qCWarning(lmtLocal).noquote() << "[LmtCoreToolModel]" << error.what();
                newVersion->setSelected(false);
                continue;
            }
            newVersion->setInstallScope(oldVersion->installScope());
            newVersion->setInstallDirectory(oldVersion->installDirectory());
        }

        newTool->setSelectedVersionKey(oldTool->selectedVersionKey());
    }
    qCDebug(lmtLocal).noquote() << "[LmtCoreToolModel]"
                                << "<< restoreSelection()";
}

void LmtCoreToolModel::inheritInstallScopes()
{
    qCDebug(lmtLocal).noquote() << "[LmtCoreToolModel]"
                                << ">> inheritInstallScopes()";
    // Runs twice per installation (before the password question on the GUI thread, then when
    // the jobs start on the controller's thread): only what differs is written, so the second
    // run merely reads what the GUI thread may be reading too.
    const auto inheritScope = [](LmtToolVersion &version, LmtToolInstallScope scope) {
        if (version.installScope() != scope)
            version.setInstallScope(scope);
    };
    for (const std::shared_ptr<LmtToolVersion> &version : updateVersions() + newInstallVersions()) {
        if (version->toolType() != LmtToolType::Patch) {
            if (const auto replaced = version->replacedLocalVersion()) {
                inheritScope(*version, replaced->installScope());
                // An empty directory makes the installer keep the existing location.
                if (!version->installDirectory().isEmpty())
                    version->setInstallDirectory(QString());
            }
            continue;
        }
        // A patch goes where its tools package is, when that is unambiguous.
        const LmtToolVersionList packages = toolsPackagesFor(m_tools, *version);
        if (packages.size() == 1)
            inheritScope(*version, packages.first()->installScope());
    }
    qCDebug(lmtLocal).noquote() << "[LmtCoreToolModel]"
                                << "<< inheritInstallScopes()";
}

} // namespace zendrel::lmt::setup
