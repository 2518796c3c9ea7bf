#pragma once

#include "model/LmtToolVersion.h"

#include <memory>

namespace zendrel::lmt::setup {

// A version found installed on this machine. It starts selected ("keep"); unselecting it
// means "remove it".
class LmtLocalToolVersion : public LmtToolVersion
{
public:
    static std::shared_ptr<LmtLocalToolVersion> create(
        const QString &version, quint64 versionNumeric);
    ~LmtLocalToolVersion() override;

    bool isOnline() const override { return false; }
    // The directory the tool is installed in, derived from the registered path: the
    // directory of an existing file (one level above a "dashboard" program), or the path
    // itself when it is not an existing file.
    virtual QString installLocation() const;

    QString path() const { return m_path; }
    void setPath(const QString &path) { m_path = path; }
    QString entryName() const { return m_entryName; }
    void setEntryName(const QString &entryName) { m_entryName = entryName; }
    QString uninstallPath() const { return m_uninstallPath; }
    void setUninstallPath(const QString &uninstallPath) { m_uninstallPath = uninstallPath; }
    bool hasUninstallPath() const { return !m_uninstallPath.isEmpty(); }
    // The registered entry name, or the tool's name when there is none.
    QString entryNameOrToolName() const;

protected:
    LmtLocalToolVersion(const QString &version, quint64 versionNumeric);

private:
    QString m_path;
    QString m_entryName;
    QString m_uninstallPath;
};

} // namespace zendrel::lmt::setup
