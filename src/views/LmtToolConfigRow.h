#pragma once

#include "views/LmtToolConfigData.h"
#include "views/LmtToolLinksData.h"

#include <memory>

namespace zendrel::lmt::setup {

class LmtToolVersion;
class LmtOnlineToolVersion;
class LmtLocalToolVersion;

// One row of a configuration table: a version with its links and its install choices.
class LmtToolConfigRow
{
public:
    explicit LmtToolConfigRow(std::shared_ptr<LmtToolVersion> version);
    virtual ~LmtToolConfigRow();

    // Takes over the chosen scope and directory of data.
    virtual void applyConfig(const LmtToolConfigData &data);

    const std::shared_ptr<LmtToolVersion> &version() const { return m_version; }
    const QString &name() const { return m_name; }
    const QString &versionText() const { return m_versionText; }
    const LmtToolLinksData &linksData() const { return m_linksData; }
    const LmtToolConfigData &configData() const { return m_configData; }

protected:
    std::shared_ptr<LmtToolVersion> m_version;
    QString m_name;
    QString m_versionText;
    LmtToolLinksData m_linksData;
    LmtToolConfigData m_configData;
};

// A version to be installed or updated: links to its documents on the vendor's site and,
// where its installer allows it, a choice of scope and directory.
class LmtOnlineToolConfigRow : public LmtToolConfigRow
{
public:
    explicit LmtOnlineToolConfigRow(std::shared_ptr<LmtOnlineToolVersion> version);

    // Also writes the choice into the offered version, where the installer reads it.
    void applyConfig(const LmtToolConfigData &data) override;

    // The hint shown when a tools package leaves its defaults.
    static QString toolsPackageNote();

private:
    std::shared_ptr<LmtOnlineToolVersion> m_onlineVersion;
};

// A version to be uninstalled: nothing to link or configure.
class LmtLocalToolConfigRow : public LmtToolConfigRow
{
public:
    explicit LmtLocalToolConfigRow(std::shared_ptr<LmtLocalToolVersion> version);

private:
    std::shared_ptr<LmtLocalToolVersion> m_localVersion;
};

} // namespace zendrel::lmt::setup
