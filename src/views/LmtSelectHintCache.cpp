#include "views/LmtSelectHintCache.h"

#include "model/LmtToolVersion.h"
#include "views/LmtSelectHintTexts.h"

namespace zendrel::lmt::setup {

bool LmtSelectHintCache::RowState::operator==(const RowState &other) const
{
    return shown == other.shown && currentKey == other.currentKey
        && missingCandidates == other.missingCandidates;
}

void LmtSelectHintCache::clear()
{
    m_entries.clear();
}

void LmtSelectHintCache::setMissingDependencies(const LmtMissingDependencies &missing)
{
    m_missing = missing;
    m_candidatesByVersion.clear();
    for (const auto &entry : missing)
        m_candidatesByVersion[entry.version.get()].append(entry.candidate.get());
}

bool LmtSelectHintCache::hasMissingDependency(const LmtToolVersion &version) const
{
    return m_candidatesByVersion.contains(&version);
}

LmtSelectHintCache::RowState LmtSelectHintCache::stateOf(const LmtToolSelectRow &row) const
{
    RowState state;
    state.shown = row.shownState();
    state.currentKey = row.currentKey();
    state.missingCandidates = m_candidatesByVersion.value(state.shown.current);
    return state;
}

QString LmtSelectHintCache::informationText(const LmtToolSelectRow &row)
{
    RowState state = stateOf(row);
    auto found = m_entries.find(&row);
    if (found != m_entries.end() && found->state == state)
        return found->text;
    const QString text = LmtSelectHintTexts(row, m_missing).informationText();
    m_entries.insert(&row, Entry { std::move(state), text });
    return text;
}

} // namespace zendrel::lmt::setup
