#include "views/LmtToolSelectRow.h"

#include "model/LmtTool.h"
#include "model/LmtToolVersion.h"

#include <algorithm>

namespace zendrel::lmt::setup {

namespace {

QString toolName(const std::shared_ptr<LmtToolVersion> &version)
{
    const auto tool = version->tool();
    return tool ? tool->name() : QString();
}

} // namespace

LmtToolSelectRow::LmtToolSelectRow(std::shared_ptr<LmtToolVersion> head)
    : m_currentVersion(std::move(head))
    , m_currentKey(m_currentVersion->displayVersion())
{
}

void LmtToolSelectRow::addVersion(const QString &key, std::shared_ptr<LmtToolVersion> version)
{
    if (version == m_currentVersion)
        m_currentKey = key;
    m_versions.insert(key, std::move(version));
    m_versionKeys.clear();
}

Qt::CheckState LmtToolSelectRow::checkState() const
{
    return m_currentVersion->selected() ? Qt::Checked : Qt::Unchecked;
}

bool LmtToolSelectRow::ShownState::operator==(const ShownState &other) const
{
    return current == other.current && selected == other.selected;
}

LmtToolSelectRow::ShownState LmtToolSelectRow::shownState() const
{
    ShownState state;
    state.current = m_currentVersion.get();
    // The shown version need not be one of the entries (a head without a package for this
    // platform), so its flag is kept on its own.
    state.selected.resize(m_versions.size() / 64 + 1);
    std::fill(state.selected.begin(), state.selected.end(), 0);
    const auto mark = [&state](qsizetype bit, bool selected) {
        if (selected)
            state.selected[bit / 64] |= quint64(1) << (bit % 64);
    };
    mark(0, m_currentVersion->selected());
    qsizetype bit = 1;
    for (const auto &version : m_versions)
        mark(bit++, version->selected());
    return state;
}

bool LmtToolSelectRow::isInCurrentLine(const std::shared_ptr<LmtToolVersion> &version) const
{
    if (m_currentVersion->toolType() != LmtToolType::External)
        return true;
    return m_currentVersion->isSamePatchLine(*version);
}

bool LmtToolSelectRow::setCheckState(int state)
{
    const bool old = m_currentVersion->selected();
    const QString name = toolName(m_currentVersion);
    const QString version = m_currentVersion->version();

    if (state == Qt::Checked) {
        if (m_currentVersion->isOnline())
            Q_EMIT appendUILog(
                trLog("'%1' version %2 was selected for installation").arg(name, version));
        else
            Q_EMIT appendUILog(trLog("Selected '%1' version %2").arg(name, version));
        // The versions of the line are replaced by the checked one; deselecting them first
        // also keeps two offered builds of one major.minor.patch from being selected together.
        for (const auto &related : m_currentVersion->relatedVersions()) {
            if (related->selected() && isInCurrentLine(related))
                related->setSelected(false);
        }
        m_currentVersion->setSelected(true);
    } else if (state == Qt::Unchecked) {
        if (m_currentVersion->isOnline()) {
            // Nothing replaces the installed versions of the line any more: keep them.
            for (const auto &related : m_currentVersion->relatedVersions()) {
                if (!related->isOnline() && isInCurrentLine(related))
                    related->setSelected(true);
            }
            Q_EMIT appendUILog(trLog("Unselected '%1' version %2").arg(name, version));
        } else {
            Q_EMIT appendUILog(
                trLog("'%1' version %2 was selected for uninstallation").arg(name, version));
        }
        m_currentVersion->setSelected(false);
    } else {
        return false;
    }
    return old != m_currentVersion->selected();
}

bool LmtToolSelectRow::selectVersion(const QString &text)
{
    if (text == m_currentKey)
        return false;
    QString key = text;
    if (!m_versions.contains(key)) {
        for (const auto &version : std::as_const(m_versions)) {
            if (version->displayVersion() == text) {
                key = version->version();
                break;
            }
        }
    }
    const auto found = m_versions.constFind(key);
    if (found == m_versions.constEnd())
        return false;
    m_currentVersion = found.value();
    m_currentKey = key;
    return true;
}

LmtToolSelectRow::Action LmtToolSelectRow::action() const
{
    if (!m_currentVersion->isOnline())
        return m_currentVersion->selected() ? NoChange : Uninstall;
    if (!m_currentVersion->selected())
        return NoChange;

    Action result = Install;
    for (const auto &version : std::as_const(m_versions)) {
        if (version->isOnline() || !isInCurrentLine(version))
            continue;
        if (*m_currentVersion >= *version)
            return Update;
        result = Downgrade;
    }
    return result;
}

LmtToolSelectRow::UpgradeKind LmtToolSelectRow::upgradeKind() const
{
    // Key order decides, not version order: "10.0.0" is looked at before "9.1.0".
    for (const auto &version : std::as_const(m_versions)) {
        if (version->major() > m_currentVersion->major())
            return Major;
        if (*version > *m_currentVersion)
            return MinorOrPatch;
    }
    return None;
}

bool LmtToolSelectRow::hasVersionChoice() const
{
    if (m_currentVersion->toolType() == LmtToolType::ThirdParty)
        return false;
    return m_versions.size() > 1;
}

QStringList LmtToolSelectRow::versionKeys() const
{
    if (!m_versionKeys.isEmpty() || m_versions.isEmpty())
        return m_versionKeys;
    QList<std::shared_ptr<LmtToolVersion>> sorted;
    sorted.reserve(m_versions.size());
    for (const auto &version : std::as_const(m_versions)) {
        int position = sorted.size();
        while (position > 0 && *version >= *sorted.at(position - 1))
            --position;
        sorted.insert(position, version);
    }

    QStringList keys;
    keys.reserve(sorted.size());
    for (const auto &version : std::as_const(sorted)) {
        for (auto it = m_versions.constBegin(); it != m_versions.constEnd(); ++it) {
            if (it.value() == version) {
                keys.append(it.key());
                break;
            }
        }
    }
    m_versionKeys = keys;
    return keys;
}

std::shared_ptr<LmtToolVersion> LmtToolSelectRow::versionForKey(const QString &key) const
{
    return m_versions.value(key);
}

QList<std::shared_ptr<LmtToolVersion>> LmtToolSelectRow::versions() const
{
    return m_versions.values();
}

QString LmtToolSelectRow::displayName() const
{
    return m_currentVersion->displayName();
}

} // namespace zendrel::lmt::setup
