#pragma once

#include "shared_toolkit/ConsoleMessageType.h"
#include "shared_toolkit/LmtTr.h"

#include <QList>
#include <QMap>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVarLengthArray>

#include <memory>

namespace zendrel::lmt::setup {

class LmtToolVersion;

// One line of a select table: the versions of one tool that may replace one another, the
// entries of its version drop-down keyed by the text the drop-down shows, and the version the
// row currently shows. The row keeps no selection of its own; checking and unchecking write
// straight into the versions' selected flags in the shared catalogue.
class LmtToolSelectRow : public QObject
{
    Q_OBJECT
    LMT_TR_CONTEXT(LmtToolSelectRow)

public:
    // What the row's current state will do when the user proceeds.
    enum Action {
        NoChange = 0,
        Install = 1,
        Update = 2,
        Downgrade = 3,
        Uninstall = 4,
    };

    // Whether the drop-down offers something newer than the shown version.
    enum UpgradeKind {
        None = 0,
        MinorOrPatch = 1,
        Major = 2,
    };

    // The shown version and the selected flags of it (bit 0) and of every entry (in key
    // order). Apart from the unmet dependencies, which the select view follows itself, the
    // cells of a row show something else only when this differs, however it was changed.
    struct ShownState {
        const LmtToolVersion *current = nullptr;
        QVarLengthArray<quint64, 1> selected;

        bool operator==(const ShownState &other) const;
        bool operator!=(const ShownState &other) const { return !(*this == other); }
    };

    explicit LmtToolSelectRow(std::shared_ptr<LmtToolVersion> head);

    // Enters version under key (replacing an entry with that key); when version is the
    // current version, key becomes the current key.
    void addVersion(const QString &key, std::shared_ptr<LmtToolVersion> version);

    std::shared_ptr<LmtToolVersion> currentVersion() const { return m_currentVersion; }
    QString currentKey() const { return m_currentKey; }

    Qt::CheckState checkState() const;
    ShownState shownState() const;
    // Applies a check-box state to the current version and its line; true when the current
    // version's selected flag changed.
    bool setCheckState(int state);
    // Makes the entry under text (or the first entry with that short version) current; never
    // touches a selected flag. True when the current version changed.
    bool selectVersion(const QString &text);

    Action action() const;
    UpgradeKind upgradeKind() const;

    bool hasVersionChoice() const;
    // Same as a non-empty versionKeys(), without sorting them.
    bool hasVersions() const { return !m_versions.isEmpty(); }
    // The keys of all entries, newest version first. Worked out once per set of entries: every
    // change notice asks every drop-down for them.
    QStringList versionKeys() const;
    std::shared_ptr<LmtToolVersion> versionForKey(const QString &key) const;
    // The entries' versions in key order.
    QList<std::shared_ptr<LmtToolVersion>> versions() const;
    // The entries by key, without copying them into a list.
    const QMap<QString, std::shared_ptr<LmtToolVersion>> &entries() const { return m_versions; }
    QString displayName() const;

Q_SIGNALS:
    void appendUILog(QString text,
        zendrel::lmt::shared_toolkit::ConsoleMessageType type
        = zendrel::lmt::shared_toolkit::ConsoleMessageType::Auto);

private:
    // For an external tool only versions of the current version's patch line count and get
    // touched; every other tool's line is taken whole.
    bool isInCurrentLine(const std::shared_ptr<LmtToolVersion> &version) const;

    std::shared_ptr<LmtToolVersion> m_currentVersion;
    QString m_currentKey;
    // Ordered by plain string comparison of the keys ("10.0.0" before "9.1.0"); several rules
    // below depend on that order.
    QMap<QString, std::shared_ptr<LmtToolVersion>> m_versions;
    // versionKeys() as of the current entries; empty until asked for after the last addVersion.
    mutable QStringList m_versionKeys;
};

} // namespace zendrel::lmt::setup
