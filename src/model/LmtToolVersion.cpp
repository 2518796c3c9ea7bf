#include "model/LmtToolVersion.h"

#include "model/LmtTool.h"
#include "platform/LmtPlatform.h"
#include "shared_toolkit/Log.h"

#include <QRegularExpression>

namespace zendrel::lmt::setup {

namespace {

// Base-10 conversion of a captured number; a value that does not fit 32 bits becomes 0.
quint32 versionPart(const QRegularExpressionMatch &match, const char *name)
{
    bool ok = false;
    const uint value = match.captured(QLatin1String(name)).toUInt(&ok, 10);
    return ok ? value : 0;
}

int compareParts(quint32 a, quint32 b)
{
    return a < b ? -1 : (a > b ? 1 : 0);
}

bool isToolsOrPatch(LmtToolType type)
{
    return type == LmtToolType::ToolsPackage || type == LmtToolType::Patch;
}

QString toolName(const LmtToolVersion &version)
{
    const std::shared_ptr<LmtTool> tool = version.tool();
    return tool ? tool->name() : QString();
}

} // namespace

LmtToolVersion::LmtToolVersion(const QString &version, quint64 versionNumeric)
    : m_version(version)
    , m_versionNumeric(versionNumeric)
{
    static const QRegularExpression withBuild(
        QStringLiteral("^(?<major>\\d+)\\.(?<minor>\\d+)\\.(?<patch>\\d+)\\.(?<build>\\d+)$"));
    static const QRegularExpression withoutBuild(
        QStringLiteral("^(?<major>\\d+)\\.(?<minor>\\d+)\\.(?<patch>\\d+)$"));

    QRegularExpressionMatch match = withBuild.match(version);
    if (match.hasMatch()) {
        m_build = versionPart(match, "build");
    } else {
        match = withoutBuild.match(version);
        if (!match.hasMatch())
            return; // not a version text: all parts stay 0, no display text
    }
    m_major = versionPart(match, "major");
    m_minor = versionPart(match, "minor");
    m_patch = versionPart(match, "patch");
    m_displayVersion = QStringLiteral("%1.%2.%3").arg(m_major).arg(m_minor).arg(m_patch);
}

LmtToolVersion::~LmtToolVersion() = default;

void LmtToolVersion::validateSelection()
{
}

void LmtToolVersion::setTool(std::weak_ptr<LmtTool> tool)
{
    m_tool = std::move(tool);
}

QString LmtToolVersion::featureId() const
{
    const std::shared_ptr<LmtTool> owner = tool();
    return owner ? owner->featureId() : QString();
}

LmtToolType LmtToolVersion::toolType() const
{
    const std::shared_ptr<LmtTool> owner = tool();
    return owner ? owner->type() : LmtToolType::Other;
}

void LmtToolVersion::setSelected(bool selected)
{
    qCInfo(lmtLocal).noquote() << "[LmtToolVersion]"
                               << QStringLiteral("%1 version: %2")
                                      .arg(selected ? QStringLiteral("Selected")
                                                    : QStringLiteral("Unselected"),
                                          m_version);
    m_selected = selected;
    validateSelection();
}

void LmtToolVersion::versionParts(
    quint32 &major, quint32 &minor, quint32 &patch, quint32 &build) const
{
    major = m_major;
    minor = m_minor;
    patch = m_patch;
    build = m_build;
}

void LmtToolVersion::addDependency(
    const QString &targetFeatureId, quint64 minVersionNumeric, quint64 maxVersionNumeric)
{
    qCInfo(lmtLocal).noquote() << "[LmtToolVersion]"
                               << QStringLiteral("Add dependency, targetFeatureId: %1, verMin: "
                                                 "%2, verMax: %3")
                                      .arg(targetFeatureId)
                                      .arg(minVersionNumeric)
                                      .arg(maxVersionNumeric);
    m_dependencies.append(
        std::make_shared<LmtToolDependency>(targetFeatureId, minVersionNumeric, maxVersionNumeric));
}

void LmtToolVersion::setInstallScope(LmtToolInstallScope scope)
{
    m_installScope = scope;
}

void LmtToolVersion::setInstallDirectory(const QString &directory)
{
    m_installDirectory = expandPlaceholders(directory);
}

int LmtToolVersion::compare(const LmtToolVersion &a, const LmtToolVersion &b)
{
    if (int result = compareParts(a.m_major, b.m_major))
        return result;
    if (int result = compareParts(a.m_minor, b.m_minor))
        return result;
    if (int result = compareParts(a.m_patch, b.m_patch))
        return result;
    return compareParts(a.m_build, b.m_build);
}

bool LmtToolVersion::isValidVersionText(const QString &text)
{
    static const QRegularExpression shortVersion(QStringLiteral("^\\d+\\.\\d+\\.\\d+$"));
    return shortVersion.match(text).hasMatch();
}

QString LmtToolVersion::expandPlaceholders(const QString &text)
{
    if (!text.contains(QLatin1Char('{')))
        return text;

    // Each variable is read only for a placeholder that is there: a refresh expands the
    // directories of every offered version, and reading the environment is what that costs.
    // The replacements run in the same order as ever, so a value that itself holds a later
    // placeholder is expanded as before.
    QString expanded = text;
    if (expanded.contains(QLatin1String("{sd}"))) {
        QString systemDrive = platform::environmentVariable(QStringLiteral("SYSTEMDRIVE"));
        if (systemDrive.isEmpty())
            systemDrive = QStringLiteral("C:");
        expanded.replace(QLatin1String("{sd}"), systemDrive);
    }
    if (expanded.contains(QLatin1String("{username}")))
        expanded.replace(
            QLatin1String("{username}"), platform::environmentVariable(QStringLiteral("USERNAME")));
    if (expanded.contains(QLatin1String("{%USERPROFILE}")))
        expanded.replace(QLatin1String("{%USERPROFILE}"),
            platform::environmentVariable(QStringLiteral("USERPROFILE")));
    return expanded;
}

bool LmtToolVersion::isSameLine(const LmtToolVersion &other, bool forSelection) const
{
    if (this == &other)
        return true;
    return sameLine(*this, m_tool.lock().get(), other, other.m_tool.lock().get(), forSelection);
}

// The rule behind isSameLine(), with the tools already resolved: relatedVersions() asks it
// for every pair of a tool's versions, so it must not lock weak references or copy strings.
bool LmtToolVersion::sameLine(const LmtToolVersion &self, const LmtTool *selfTool,
    const LmtToolVersion &other, const LmtTool *otherTool, bool forSelection)
{
    const bool sameTool = selfTool == otherTool
        || (selfTool && otherTool && selfTool->featureId() == otherTool->featureId());
    if (!sameTool)
        return false;
    const bool bothInstalled = !self.isOnline() && !other.isOnline();
    if (self.isOnline() == other.isOnline() && self.m_version == other.m_version) {
        // One version installed for both scopes is two installations: in the select view
        // each needs a row of its own, or unticking one would hide the uninstall of it.
        return !(forSelection && bothInstalled);
    }

    const LmtToolType type = otherTool ? otherTool->type() : LmtToolType::Other;
    if (forSelection) {
        if (type == LmtToolType::External)
            return true;
        if (bothInstalled)
            return false;
    }
    if (type == LmtToolType::ContentPack || type == LmtToolType::External
        || type == LmtToolType::ThirdParty)
        return true;
    if (self.m_major != other.m_major || self.m_minor != other.m_minor)
        return false;
    return type != LmtToolType::Patch || self.m_patch == other.m_patch;
}

LmtToolVersionList LmtToolVersion::relatedVersions() const
{
    LmtToolVersionList related;
    if (const std::shared_ptr<LmtTool> owner = tool()) {
        // Every version in the tool's list refers back to that tool.
        for (const std::shared_ptr<LmtToolVersion> &candidate : owner->allVersions()) {
            if (candidate.get() == this
                || sameLine(*this, owner.get(), *candidate, owner.get(), true))
                related.append(candidate);
        }
    }
    return related;
}

bool LmtToolVersion::hasCounterpart() const
{
    for (const std::shared_ptr<LmtToolVersion> &candidate : relatedVersions()) {
        if (candidate->isOnline() == isOnline() || candidate->selected() == selected())
            continue;
        const std::shared_ptr<LmtTool> owner = candidate->tool();
        if ((owner && owner->isPatchUpdatable()) || candidate->displayVersion() == displayVersion())
            return true;
    }
    return false;
}

std::shared_ptr<LmtToolVersion> LmtToolVersion::replacedLocalVersion() const
{
    for (const std::shared_ptr<LmtToolVersion> &candidate : relatedVersions()) {
        if (!candidate->isOnline() && !candidate->selected())
            return candidate;
    }
    return nullptr;
}

bool LmtToolVersion::hasSiblingInOtherScope() const
{
    if (isOnline())
        return false;
    const std::shared_ptr<LmtTool> owner = tool();
    if (!owner)
        return false;
    for (const std::shared_ptr<LmtToolVersion> &candidate : owner->localVersions()) {
        if (candidate.get() != this && isSameLine(*candidate, false)
            && candidate->installScope() != m_installScope)
            return true;
    }
    return false;
}

bool LmtToolVersion::isSamePatchLine(const LmtToolVersion &other) const
{
    if (featureId() != other.featureId())
        return false;
    const std::shared_ptr<LmtTool> owner = tool();
    if (!owner || owner->isPatchUpdatable())
        return m_major == other.m_major && m_minor == other.m_minor;
    return m_displayVersion == other.m_displayVersion;
}

QString LmtToolVersion::displayName() const
{
    const QString name = toolName(*this);
    if (isOnline() || !hasSiblingInOtherScope())
        return name;
    return name
        + (m_installScope == LmtToolInstallScope::AllUsers ? QStringLiteral(" (All users)")
                                                           : QStringLiteral(" (Current user)"));
}

bool operator==(const LmtToolVersion &a, const LmtToolVersion &b)
{
    if (a.version() != b.version() || a.isOnline() != b.isOnline())
        return false;
    const std::shared_ptr<LmtTool> toolA = a.tool();
    const std::shared_ptr<LmtTool> toolB = b.tool();
    if (!toolA || !toolB)
        return !toolA && !toolB;
    return toolA->featureId() == toolB->featureId();
}

bool operator!=(const LmtToolVersion &a, const LmtToolVersion &b)
{
    return !(a == b);
}

bool operator<(const LmtToolVersion &a, const LmtToolVersion &b)
{
    return LmtToolVersion::compare(a, b) < 0;
}

bool operator>(const LmtToolVersion &a, const LmtToolVersion &b)
{
    return LmtToolVersion::compare(a, b) > 0;
}

bool operator<=(const LmtToolVersion &a, const LmtToolVersion &b)
{
    return LmtToolVersion::compare(a, b) <= 0;
}

bool operator>=(const LmtToolVersion &a, const LmtToolVersion &b)
{
    return LmtToolVersion::compare(a, b) >= 0;
}

bool displayOrderLess(const LmtToolVersion &a, const LmtToolVersion &b)
{
    const LmtToolType typeA = a.toolType();
    const LmtToolType typeB = b.toolType();

    // Tools packages and patches first, newest first across all of them.
    if (isToolsOrPatch(typeA) != isToolsOrPatch(typeB))
        return isToolsOrPatch(typeA);
    if (isToolsOrPatch(typeA))
        return a > b;

    // Content packs last.
    const bool packA = typeA == LmtToolType::ContentPack;
    const bool packB = typeB == LmtToolType::ContentPack;
    if (packA != packB)
        return packB;

    const QString nameA = toolName(a);
    const QString nameB = toolName(b);
    if (a.featureId() != b.featureId() && nameA != nameB)
        return nameA < nameB;
    return a > b;
}

bool displayOrderLess(
    const std::shared_ptr<LmtToolVersion> &a, const std::shared_ptr<LmtToolVersion> &b)
{
    return displayOrderLess(*a, *b);
}

} // namespace zendrel::lmt::setup
