#include "views/LmtSelectHintCache.h"

#include "model/LmtToolVersion.h"
#include "views/LmtSelectHintTexts.h"
#include "views/LmtToolSelectRow.h"

#include <algorithm>

namespace zendrel::lmt::setup {

bool LmtSelectHintCache::RowState::operator==(const RowState &other) const
{
    return current == other.current && currentKey == other.currentKey && selected == other.selected
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
    const auto current = row.currentVersion();
    state.current = current.get();
    state.currentKey = row.currentKey();
    // The shown version need not be one of the entries (a head without a package for this
    // platform), so its flag is kept on its own.
    state.selected.resize(row.entries().size() / 64 + 1);
    std::fill(state.selected.begin(), state.selected.end(), 0);
    const auto mark = [&state](qsizetype bit, bool selected) {
        if (selected)
            state.selected[bit / 64] |= quint64(1) << (bit % 64);
    };
    mark(0, current->selected());
    qsizetype bit = 1;
    for (const auto &version : row.entries())
        mark(bit++, version->selected());
    state.missingCandidates = m_candidatesByVersion.value(current.get());
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
