#include "services/LmtVendorSite.h"

namespace zendrel::lmt::setup {

QString vendorSiteBaseUrl()
{
    return QStringLiteral("https://tools.zendrel-tech.example");
}

QString defaultOnlineRegistryUrl()
{
    return vendorSiteBaseUrl() + QStringLiteral("/api/v1/tools/");
}

QString vendorToolPageUrl(const QString &featureId)
{
    return vendorSiteBaseUrl() + QStringLiteral("/tools/%1").arg(featureId);
}

QString offlineInstallationPageUrl()
{
    return vendorSiteBaseUrl() + QStringLiteral("/lumetra/offline-installation");
}

QString setupUserGuideUrl()
{
    return vendorSiteBaseUrl() + QStringLiteral("/docs/lumetra-setup/user-guide");
}

QString toolsInstallationGuideUrl()
{
    return vendorSiteBaseUrl() + QStringLiteral("/docs/lumetra-tools/installation-guide");
}

} // namespace zendrel::lmt::setup
