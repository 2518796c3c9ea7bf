#pragma once

#include "model/LmtToolDependency.h"
#include "model/LmtToolInstallScope.h"
#include "model/LmtToolType.h"

#include <QList>
#include <QString>

#include <memory>

namespace zendrel::lmt::setup {

class LmtTool;
class LmtToolVersion;

using LmtToolVersionList = QList<std::shared_ptr<LmtToolVersion>>;

// One version of a tool: either offered by the online registry (isOnline() true) or found
// installed. The user's decision is the selected flag: a selected offered version is to be
// installed, an unselected installed version is to be removed.
class LmtToolVersion
{
public:
    virtual ~LmtToolVersion();
    virtual bool isOnline() const = 0;
    // Called after every change of the selected flag; may throw std::runtime_error.
    virtual void validateSelection();

    // Null when the owning tool is gone (or the version was never added to a tool).
    std::shared_ptr<LmtTool> tool() const { return m_tool.lock(); }
    void setTool(std::weak_ptr<LmtTool> tool);
    // The tool's feature id, empty without tool.
    QString featureId() const;
    // The tool's type, Other without tool.
    LmtToolType toolType() const;

    bool selected() const { return m_selected; }
    // Logs the change, stores the flag and then validates it (the flag stays stored even when
    // validation throws).
    void setSelected(bool selected);

    QString version() const { return m_version; }
    // "major.minor.patch", empty when the version text did not parse.
    QString displayVersion() const { return m_displayVersion; }
    quint64 versionNumeric() const { return m_versionNumeric; }
    quint32 major() const { return m_major; }
    quint32 minor() const { return m_minor; }
    quint32 patch() const { return m_patch; }
    quint32 build() const { return m_build; }
    void versionParts(quint32 &major, quint32 &minor, quint32 &patch, quint32 &build) const;

    const QList<std::shared_ptr<LmtToolDependency>> &dependencies() const { return m_dependencies; }
    void addDependency(
        const QString &targetFeatureId, quint64 minVersionNumeric, quint64 maxVersionNumeric);

    LmtToolInstallScope installScope() const { return m_installScope; }
    void setInstallScope(LmtToolInstallScope scope);
    QString installDirectory() const { return m_installDirectory; }
    // Stores the directory with its placeholders expanded.
    void setInstallDirectory(const QString &directory);

    // -1, 0 or 1 by major, minor, patch and build; nothing else takes part.
    static int compare(const LmtToolVersion &a, const LmtToolVersion &b);
    // True for exactly "x.y.z" with decimal digits.
    static bool isValidVersionText(const QString &text);
    // Replaces "{sd}", "{username}" and "{%USERPROFILE}" in an install directory by the
    // system drive (default "C:"), the user name and the user profile directory. A text
    // without "{" is returned untouched.
    static QString expandPlaceholders(const QString &text);

    // Whether other belongs to the same update line as this version. With forSelection the
    // lines are those of the select view: all versions of an External tool form one line, and
    // two installed versions never share one (except, for an External tool, two of different
    // version texts).
    bool isSameLine(const LmtToolVersion &other, bool forSelection) const;
    // The versions of this tool in this version's selection line, in the tool's order, this
    // version included.
    LmtToolVersionList relatedVersions() const;
    // Whether a version of the other kind (offered/installed) with the opposite selected flag
    // exists in this line, i.e. this version takes part in an update.
    bool hasCounterpart() const;
    // The first installed, unselected version of this line: the one an install replaces.
    std::shared_ptr<LmtToolVersion> replacedLocalVersion() const;
    // For an installed version: whether an installation of the same line exists in the other
    // install scope.
    bool hasSiblingInOtherScope() const;
    // Same tool and, for patch-updatable tools, the same major.minor; otherwise the same
    // major.minor.patch.
    bool isSamePatchLine(const LmtToolVersion &other) const;
    // The tool name, with the scope added when the same line is installed in both scopes.
    QString displayName() const;

protected:
    LmtToolVersion(const QString &version, quint64 versionNumeric);

private:
    Q_DISABLE_COPY_MOVE(LmtToolVersion)

    static bool sameLine(const LmtToolVersion &self, const LmtTool *selfTool,
        const LmtToolVersion &other, const LmtTool *otherTool, bool forSelection);

    std::weak_ptr<LmtTool> m_tool;
    bool m_selected = false;
    QString m_version;
    QString m_displayVersion;
    quint64 m_versionNumeric = 0;
    quint32 m_major = 0;
    quint32 m_minor = 0;
    quint32 m_patch = 0;
    quint32 m_build = 0;
    QList<std::shared_ptr<LmtToolDependency>> m_dependencies;
    LmtToolInstallScope m_installScope = LmtToolInstallScope::CurrentUser;
    QString m_installDirectory;
};

// Same version text, same kind (offered/installed) and the same tool (by feature id).
bool operator==(const LmtToolVersion &a, const LmtToolVersion &b);
bool operator!=(const LmtToolVersion &a, const LmtToolVersion &b);
// Order by major, minor, patch, build.
bool operator<(const LmtToolVersion &a, const LmtToolVersion &b);
bool operator>(const LmtToolVersion &a, const LmtToolVersion &b);
bool operator<=(const LmtToolVersion &a, const LmtToolVersion &b);
bool operator>=(const LmtToolVersion &a, const LmtToolVersion &b);

// The order in which versions are presented: tools packages and patches first (newest
// first), then other tools by name, content packs last.
bool displayOrderLess(const LmtToolVersion &a, const LmtToolVersion &b);
bool displayOrderLess(
    const std::shared_ptr<LmtToolVersion> &a, const std::shared_ptr<LmtToolVersion> &b);

} // namespace zendrel::lmt::setup
