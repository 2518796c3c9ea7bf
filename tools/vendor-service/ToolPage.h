#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>

namespace zendrel::lmt::vendorservice {

// The public page of a tool ("/tools/<featureId>"): its name and the versions on offer, each
// with links to its release note and licence.
class ToolPage
{
public:
    static QByteArray render(const QJsonObject &tool, const QString &registryPath);
    static QByteArray renderNotFound(const QString &featureId);
};

} // namespace zendrel::lmt::vendorservice
