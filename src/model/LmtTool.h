#pragma once

#include "model/LmtToolType.h"
#include "model/LmtToolVersion.h"

#include <QList>
#include <QMap>
#include <QString>

#include <memory>

namespace zendrel::lmt::setup {

class LmtOnlineToolVersion;
class LmtLocalToolVersion;

// Head version of a line -> the versions of that line (head included). Keyed by object
// identity, so the iteration order carries no meaning.
using LmtVersionGroups = QMap<std::shared_ptr<LmtToolVersion>, LmtToolVersionList>;

// A tool of the catalogue with its offered and installed versions. Always owned by a
// shared_ptr (see create()), because its versions keep a weak reference to it.
class LmtTool : public std::enable_shared_from_this<LmtTool>
{
public:
    static std::shared_ptr<LmtTool> create(
        const QString &featureId, LmtToolType type, const QString &name, bool loginRequired = true);
    virtual ~LmtTool();

    const QString &featureId() const { return m_featureId; }
    LmtToolType type() const { return m_type; }
    QString typeText() const { return toolTypeText(m_type); }
    const QString &name() const { return m_name; }
    void setName(const QString &name) { m_name = name; }
    QString shortName() const { return m_shortName; }
    void setShortName(const QString &shortName) { m_shortName = shortName; }
    // The online registry's numeric id; -1 until set.
    qint64 id() const { return m_id; }
    void setId(qint64 id) { m_id = id; }
    bool loginRequired() const { return m_loginRequired; }
    bool isPatchVersionUpdatable() const { return m_isPatchVersionUpdatable; }
    void setIsPatchVersionUpdatable(bool updatable) { m_isPatchVersionUpdatable = updatable; }
    // Whether a newer patch level replaces an installed one: only External tools can opt out.
    bool isPatchUpdatable() const;
    // The version key last chosen for this tool in the select view.
    QString selectedVersionKey() const { return m_selectedVersionKey; }
    void setSelectedVersionKey(const QString &key) { m_selectedVersionKey = key; }

    const LmtToolVersionList &onlineVersions() const { return m_onlineVersions; }
    const LmtToolVersionList &localVersions() const { return m_localVersions; }
    const LmtToolVersionList &allVersions() const { return m_allVersions; }

    // Attaches the version to this tool. Throws std::bad_weak_ptr when this tool is not owned
    // by a shared_ptr.
    void addVersion(const std::shared_ptr<LmtToolVersion> &version);
    bool hasVersion(const QString &version) const;
    std::shared_ptr<LmtOnlineToolVersion> findOnlineVersion(const QString &version) const;
    std::shared_ptr<LmtLocalToolVersion> findLocalVersion(const QString &version) const;
    // The installation of this version in that scope: one version may be installed for both.
    std::shared_ptr<LmtLocalToolVersion> findLocalVersion(
        const QString &version, LmtToolInstallScope scope) const;
    // The offered versions whose major, minor and patch equal the arguments.
    LmtToolVersionList onlineVersionsWith(quint32 major, quint32 minor, quint32 patch) const;

    // Splits the versions into the lines shown as rows of the select view, each under its
    // head version: the newest selected version of a line, else (nothing selected) the newest
    // one, where installed versions head a line before offered ones.
    LmtVersionGroups versionGroups() const;

protected:
    LmtTool(const QString &featureId, LmtToolType type, const QString &name, bool loginRequired);

private:
    Q_DISABLE_COPY_MOVE(LmtTool)

    QString m_featureId;
    LmtToolType m_type;
    QString m_name;
    QString m_shortName;
    qint64 m_id = -1;
    LmtToolVersionList m_onlineVersions;
    LmtToolVersionList m_localVersions;
    LmtToolVersionList m_allVersions;
    QString m_selectedVersionKey;
    bool m_loginRequired;
    bool m_isPatchVersionUpdatable = true;
};

} // namespace zendrel::lmt::setup
