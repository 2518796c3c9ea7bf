#pragma once

#include <QMetaType>
#include <QString>

namespace zendrel::lmt::setup {

// The name of a package with the addresses of its release notes and licence; an empty URL
// means the document is not offered.
struct LmtToolLinksData {
    QString name;
    QString version;
    QString releaseNotesUrl;
    QString licenseUrl;
};

inline bool operator==(const LmtToolLinksData &a, const LmtToolLinksData &b)
{
    return a.name == b.name && a.version == b.version && a.releaseNotesUrl == b.releaseNotesUrl
        && a.licenseUrl == b.licenseUrl;
}
inline bool operator!=(const LmtToolLinksData &a, const LmtToolLinksData &b)
{
    return !(a == b);
}

} // namespace zendrel::lmt::setup

Q_DECLARE_METATYPE(zendrel::lmt::setup::LmtToolLinksData)
