#pragma once

#include <QString>

namespace zendrel::lmt::setup {

// The URL of the online tool registry, setting "LmtDownloadSettings/korOnlineUrl". An absent
// or empty stored value reads as the vendor's default registry address.
QString korOnlineUrl();
void setKorOnlineUrl(const QString &url);

} // namespace zendrel::lmt::setup
