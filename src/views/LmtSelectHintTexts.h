#pragma once

#include "views/LmtMissingDependency.h"

#include <QCoreApplication>
#include <QString>
#include <QStringList>

namespace zendrel::lmt::setup {

class LmtToolSelectRow;

// The two texts by which a select-table row explains itself: the tool tip of its check box and
// name, and the rich-text information cell that says what "Next" will do, links the tool's web
// page, warns about unmet dependencies and missing extensions and points out newer versions.
class LmtSelectHintTexts
{
    // The texts are translated with the select model's.
    Q_DECLARE_TR_FUNCTIONS(LmtToolSelectModel)

public:
    LmtSelectHintTexts(const LmtToolSelectRow &row, const LmtMissingDependencies &missing);

    // Plain text: the view shows it as written, markup or not.
    QString toolTip() const;
    // Rich text, with every text from the registries escaped and only web pages linked.
    QString informationText() const;

private:
    QList<LmtMissingDependency> missingOfCurrent() const;
    QString missingNames() const;
    QString locationText() const;
    QString pageUrl() const;
    QString offeredThirdPartyText() const;
    QString installedText() const;

    const LmtToolSelectRow &m_row;
    const LmtMissingDependencies &m_missing;
};

} // namespace zendrel::lmt::setup
