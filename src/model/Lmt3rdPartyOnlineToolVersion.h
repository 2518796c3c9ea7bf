#pragma once

#include "model/LmtOnlineToolVersion.h"

#include <QUrl>

namespace zendrel::lmt::setup {

// The offered version of a 3rd-party tool: it cannot be downloaded by this program; the user
// obtains it from the tool's own page (externalUrl).
//
// It deliberately has no enable_shared_from_this of its own: a second such base would be
// ambiguous, leave both unset and make addPackage() fail.
class Lmt3rdPartyOnlineToolVersion : public LmtOnlineToolVersion
{
public:
    static std::shared_ptr<Lmt3rdPartyOnlineToolVersion> create(const QString &version);
    ~Lmt3rdPartyOnlineToolVersion() override;

    QUrl externalUrl() const { return m_externalUrl; }
    void setExternalUrl(const QUrl &url) { m_externalUrl = url; }

protected:
    explicit Lmt3rdPartyOnlineToolVersion(const QString &version);

private:
    QUrl m_externalUrl;
};

} // namespace zendrel::lmt::setup
