#include "views/LmtToolConfigRow.h"

#include "model/LmtLocalToolVersion.h"
#include "model/LmtOnlineToolVersion.h"
#include "model/LmtTool.h"
#include "services/LmtDownloadSettings.h"
#include "services/LmtVendorSite.h"

#include <QCoreApplication>

namespace zendrel::lmt::setup {

LmtToolConfigRow::LmtToolConfigRow(std::shared_ptr<LmtToolVersion> version)
    : m_version(std::move(version))
{
    if (m_version) {
        m_name = m_version->displayName();
        m_versionText = m_version->displayVersion();
    }
    m_linksData.name = m_name;
}

LmtToolConfigRow::~LmtToolConfigRow() = default;

void LmtToolConfigRow::applyConfig(const LmtToolConfigData &data)
{
    m_configData.installScope = data.installScope;
    m_configData.installDirectory = data.installDirectory;
}

LmtOnlineToolConfigRow::LmtOnlineToolConfigRow(std::shared_ptr<LmtOnlineToolVersion> version)
    : LmtToolConfigRow(version)
    , m_onlineVersion(std::move(version))
{
    if (!m_onlineVersion)
        return;
    const std::shared_ptr<LmtTool> tool = m_onlineVersion->tool();

    m_linksData.version = m_versionText;
    if (tool && tool->id() >= 0 && m_onlineVersion->id() >= 0) {
        QString site = korOnlineUrl();
        if (!site.endsWith(QLatin1Char('/')))
            site += QLatin1Char('/');
        const QString base = QStringLiteral("%1%2/versions/%3/")
                                 .arg(site)
                                 .arg(tool->id())
                                 .arg(m_onlineVersion->id());
        m_linksData.releaseNotesUrl = base + QStringLiteral("release-note/");
        m_linksData.licenseUrl = base + QStringLiteral("license/");
    }

    const LmtToolType type = m_onlineVersion->toolType();
    if (!m_onlineVersion->silentInstall() || type == LmtToolType::Patch)
        return;
    // An update goes where the installation it replaces is, so there is nothing to choose.
    if (!m_onlineVersion->replacedLocalVersion()) {
        m_configData.recommendedScope = m_onlineVersion->recommendedScope();
        m_configData.installScope = m_onlineVersion->installScope();
        for (LmtToolInstallScope scope : m_onlineVersion->supportedScopes())
            m_configData.defaultDirectories.insert(
                scope, m_onlineVersion->installDirectoryFor(scope));
        m_configData.installDirectory = m_onlineVersion->installDirectory();
    }
    if (type == LmtToolType::ToolsPackage)
        m_configData.note = toolsPackageNote();
}

QString LmtOnlineToolConfigRow::toolsPackageNote()
{
    return QCoreApplication::translate("LmtOnlineToolConfigRow",
        "Note: the selected options require the ZR_TOOLS_PATHS variable to be set.<br/>"
        "Please refer to the %1 for more information")
        .arg(QStringLiteral("<a href=\"%1\">%2</a>")
                 .arg(toolsInstallationGuideUrl(),
                     QCoreApplication::translate("LmtOnlineToolConfigRow", "Installation guide")));
}

void LmtOnlineToolConfigRow::applyConfig(const LmtToolConfigData &data)
{
    LmtToolConfigRow::applyConfig(data);
    if (!m_onlineVersion)
        return;
    m_onlineVersion->setInstallScope(data.installScope);
    m_onlineVersion->setInstallDirectory(data.installDirectory);
}

LmtLocalToolConfigRow::LmtLocalToolConfigRow(std::shared_ptr<LmtLocalToolVersion> version)
    : LmtToolConfigRow(version)
    , m_localVersion(std::move(version))
{
}

} // namespace zendrel::lmt::setup
