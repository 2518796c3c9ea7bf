#pragma once

#include "views/LmtMissingDependency.h"
#include "views/LmtToolSelectRow.h"

#include <QHash>
#include <QList>
#include <QString>

namespace zendrel::lmt::setup {

class LmtToolVersion;

// The information texts of one select table, each built once per state of its row. Every
// change notice asks every open information cell for its text, and the column is sized by
// measuring every row's text; on a catalogue of a thousand tools building them all anew on
// each click is what kept the window waiting. A row's text depends on nothing but the version
// it shows, the selected flags of its entries and its unmet dependencies, so the state of
// those is kept with the text and the text is built again as soon as any of them differs, by
// whatever means it was changed.
class LmtSelectHintCache
{
public:
    // Forgets every text (the rows are about to be replaced).
    void clear();
    // The unmet dependencies the texts are built with from now on.
    void setMissingDependencies(const LmtMissingDependencies &missing);
    // Whether the version is listed with an unmet dependency.
    bool hasMissingDependency(const LmtToolVersion &version) const;

    QString informationText(const LmtToolSelectRow &row);

private:
    // Everything an information text is built from that can change while the row lives.
    struct RowState {
        LmtToolSelectRow::ShownState shown;
        QString currentKey;
        QList<const LmtToolVersion *> missingCandidates;

        bool operator==(const RowState &other) const;
    };
    struct Entry {
        RowState state;
        QString text;
    };

    RowState stateOf(const LmtToolSelectRow &row) const;

    LmtMissingDependencies m_missing;
    // The candidates of each version's unmet dependencies, in list order (null for none).
    QHash<const LmtToolVersion *, QList<const LmtToolVersion *>> m_candidatesByVersion;
    QHash<const LmtToolSelectRow *, Entry> m_entries;
};

} // namespace zendrel::lmt::setup
