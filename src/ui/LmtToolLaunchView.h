#pragma once

#include "model/LmtToolType.h"
#include "shared_toolkit/LmtTr.h"

#include <QList>
#include <QMap>
#include <QSet>
#include <QWidget>

#include <memory>

class QCheckBox;
class QLabel;
class QSpacerItem;
class QVBoxLayout;

namespace zendrel::lmt::setup {

class LmtCoreToolModel;

// Last wizard page: says what the setup has finished and offers one "Run …" box per
// installed tool that can be started; the ticked ones are started when the window closes.
class LmtToolLaunchView : public QWidget
{
    Q_OBJECT
    LMT_TR_CONTEXT(LmtToolLaunchView)

public:
    explicit LmtToolLaunchView(QWidget *parent = nullptr);

    // Starts every ticked tool whose program still exists, detached and without arguments.
    void launchSelectedTools();

    QLabel *infoLabel() const { return m_lblInfo; }
    const QList<QCheckBox *> &checkBoxes() const { return m_checkBoxes; }

public Q_SLOTS:
    void updateToolsData(std::shared_ptr<LmtCoreToolModel> toolModel, bool uninstallOnly);

private:
    void rebuildCheckBoxes();

    QVBoxLayout *m_layout = nullptr;
    QLabel *m_lblInfo = nullptr;
    QSpacerItem *m_bottomSpacer = nullptr;
    // Check-box text → program to start, and → the tool's type (for the initial ticks).
    QMap<QString, QString> m_launchPaths;
    QMap<QString, LmtToolType> m_launchTypes;
    // "featureId-version" of the installed versions already offered.
    QSet<QString> m_handledKeys;
    QList<QCheckBox *> m_checkBoxes;
};

} // namespace zendrel::lmt::setup
