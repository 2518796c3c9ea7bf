#pragma once

// Builds small catalogues for the select-table tests: tools with offered and installed
// versions, as the registry parsers would leave them.

#include "common/LmtModelFixtures.h"
#include "model/Lmt3rdPartyLocalToolVersion.h"
#include "model/Lmt3rdPartyOnlineToolVersion.h"
#include "model/Lmt3rdPartyTool.h"
#include "model/LmtCoreToolModel.h"
#include "model/LmtLocalToolVersion.h"
#include "model/LmtOnlineToolVersion.h"
#include "model/LmtTool.h"
#include "platform/LmtPlatform.h"

#include <QUrl>

#include <memory>

namespace selecttest {

using namespace zendrel::lmt::setup;

class Catalogue
{
public:
    std::shared_ptr<LmtCoreToolModel> model = std::make_shared<LmtCoreToolModel>();

    std::shared_ptr<LmtTool> tool(const QString &featureId, LmtToolType type, const QString &name)
    {
        auto created = LmtTool::create(featureId, type, name);
        model->addTool(created);
        return created;
    }

    std::shared_ptr<Lmt3rdPartyTool> thirdPartyTool(const QString &featureId, const QString &name)
    {
        auto created = Lmt3rdPartyTool::create(featureId, name);
        model->addTool(created);
        return created;
    }

    // An offered version; os names the platform of its only package (this platform by
    // default), an empty os gives a version without packages.
    static std::shared_ptr<LmtOnlineToolVersion> offered(const std::shared_ptr<LmtTool> &tool,
        const QString &version, quint64 numeric = 0,
        const QString &os = zendrel::lmt::platform::osName())
    {
        auto created = lmttest::addOnline(tool, version, numeric);
        if (!os.isEmpty()) {
            created->addPackage(std::make_shared<LmtToolPackage>(os,
                QUrl("https://downloads.example/" + version + "/download"), "installer", "exe",
                1024));
        }
        return created;
    }

    // An installed version (selected, i.e. "keep", from the start).
    static std::shared_ptr<LmtLocalToolVersion> installed(const std::shared_ptr<LmtTool> &tool,
        const QString &version, const QString &path, quint64 numeric = 0)
    {
        auto created = lmttest::addLocal(tool, version, LmtToolInstallScope::CurrentUser, numeric);
        created->setPath(path);
        return created;
    }

    static std::shared_ptr<Lmt3rdPartyOnlineToolVersion> offered3rdParty(
        const std::shared_ptr<LmtTool> &tool, const QString &version, const QUrl &downloadPage)
    {
        auto created = Lmt3rdPartyOnlineToolVersion::create(version);
        created->setExternalUrl(downloadPage);
        tool->addVersion(created);
        return created;
    }

    static std::shared_ptr<Lmt3rdPartyLocalToolVersion> installed3rdParty(
        const std::shared_ptr<LmtTool> &tool, const QString &version, const QString &directory,
        const QString &uninstallPath = QString())
    {
        auto created = Lmt3rdPartyLocalToolVersion::create(version);
        created->setInstallDirectory(directory);
        created->setUninstallPath(uninstallPath);
        tool->addVersion(created);
        return created;
    }
};

} // namespace selecttest
