#include "ui/LmtToolLaunchView.h"

#include "model/LmtCoreToolModel.h"
#include "model/LmtLocalToolVersion.h"
#include "model/LmtTool.h"
#include "services/Runner.h"
#include "shared_toolkit/Log.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QLabel>
#include <QSpacerItem>
#include <QVBoxLayout>

namespace zendrel::lmt::setup {

LmtToolLaunchView::LmtToolLaunchView(QWidget *parent)
    : QWidget(parent)
{
    m_layout = new QVBoxLayout(this);
    m_layout->setObjectName(QStringLiteral("m_layout"));
    m_layout->setSpacing(15);
    m_lblInfo = new QLabel(this);
    m_lblInfo->setObjectName(QStringLiteral("m_lblInfo"));
    m_layout->addWidget(m_lblInfo);
    m_bottomSpacer = new QSpacerItem(0, 0, QSizePolicy::Preferred, QSizePolicy::Expanding);
    m_layout->addItem(m_bottomSpacer);
}

void LmtToolLaunchView::updateToolsData(
    std::shared_ptr<LmtCoreToolModel> toolModel, bool uninstallOnly)
{
    qCDebug(lmtLocal).noquote() << "[LmtToolLaunchView]"
                                << ">> updateToolsData()";
    m_launchPaths.clear();
    m_launchTypes.clear();

    const LmtToolList tools = toolModel ? toolModel->tools() : LmtToolList();
    for (const auto &tool : tools) {
        if (tool->type() == LmtToolType::ThirdParty)
            continue;
        for (const auto &version : tool->localVersions()) {
            const auto installed = std::dynamic_pointer_cast<LmtLocalToolVersion>(version);
            if (!installed)
                continue;
            const QString key
                = QStringLiteral("%1-%2").arg(installed->featureId(), installed->version());
            if (m_handledKeys.contains(key))
                continue;
            m_handledKeys.insert(key);

            const QString name
                = installed->entryName().isEmpty() ? tool->name() : installed->entryName();
            const QString path = installed->path();
            if (!path.isEmpty() && QFileInfo(path).isFile()) {
                const QString text = tr("Run %1").arg(name);
                m_launchPaths.insert(text, path);
                m_launchTypes.insert(text, tool->type());
            }
        }
    }

    m_lblInfo->setText(tr("Setup has finished %1 the requested packages.")
                           .arg(uninstallOnly ? tr("uninstalling") : tr("installing")));
    rebuildCheckBoxes();
    qCDebug(lmtLocal).noquote() << "[LmtToolLaunchView]"
                                << "<< updateToolsData()";
}

void LmtToolLaunchView::rebuildCheckBoxes()
{
    setUpdatesEnabled(false);
    for (QCheckBox *box : std::as_const(m_checkBoxes)) {
        m_layout->removeWidget(box);
        delete box;
    }
    m_checkBoxes.clear();

    // With the main tools package installed only it starts ticked; without it every tool does.
    const bool hasToolsPackage = m_launchTypes.values().contains(LmtToolType::ToolsPackage);
    for (auto it = m_launchPaths.cbegin(); it != m_launchPaths.cend(); ++it) {
        auto *box = new QCheckBox(it.key(), this);
        box->setChecked(
            !hasToolsPackage || m_launchTypes.value(it.key()) == LmtToolType::ToolsPackage);
        QMargins margins = box->contentsMargins();
        margins.setLeft(margins.left() + 10);
        box->setContentsMargins(margins);
        m_layout->insertWidget(m_layout->indexOf(m_bottomSpacer), box);
        m_checkBoxes.append(box);
    }
    setUpdatesEnabled(true);
}

void LmtToolLaunchView::launchSelectedTools()
{
    for (QCheckBox *box : std::as_const(m_checkBoxes)) {
        if (!box->isChecked())
            continue;
        const QString path = m_launchPaths.value(box->text());
        if (path.isEmpty() || !QFileInfo::exists(path))
            continue;
        qCInfo(lmtLocal).noquote() << "[LmtToolLaunchView]"
                                   << "Starting" << path;
        lmtqueryapi::Runner runner;
        runner.setDetached(true);
        runner.run(path, {}, false);
    }
}

} // namespace zendrel::lmt::setup
