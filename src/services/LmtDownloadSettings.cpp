#include "services/LmtDownloadSettings.h"

#include "base/LmtSettings.h"
#include "services/LmtVendorSite.h"

#include <QSettings>

namespace zendrel::lmt::setup {

namespace {
const QString kGroup = QStringLiteral("LmtDownloadSettings");
const QString kKorOnlineUrl = QStringLiteral("korOnlineUrl");
} // namespace

QString korOnlineUrl()
{
    QSettings &settings = applicationSettings();
    settings.beginGroup(kGroup);
    const QString stored = settings.value(kKorOnlineUrl).toString();
    settings.endGroup();
    return stored.isEmpty() ? defaultOnlineRegistryUrl() : stored;
}

void setKorOnlineUrl(const QString &url)
{
    QSettings &settings = applicationSettings();
    settings.beginGroup(kGroup);
    settings.setValue(kKorOnlineUrl, url);
    settings.endGroup();
}

} // namespace zendrel::lmt::setup
