#include "views/ThirdPartyEditorWidget.h"

#include "model/LmtLocalToolVersion.h"
#include "model/LmtTool.h"
#include "services/Runner.h"
#include "shared_toolkit/Log.h"
#include "views/LmtToolInfoDelegate.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>

namespace zendrel::lmt::setup {

namespace {

constexpr auto Tag = "[ThirdPartyEditorWidget]";

} // namespace

ThirdPartyEditorWidget::ThirdPartyEditorWidget(
    std::shared_ptr<LmtToolVersion> version, QWidget *parent)
    : QWidget(parent)
    , m_version(std::move(version))
{
    m_openButton = new QPushButton(this);
    m_informationBrowser = LmtToolInfoDelegate::createInformationBrowser(m_version, parent);
    const QMargins browserMargins = m_informationBrowser->contentsMargins();

    auto *layout = new QHBoxLayout(this);
    layout->addWidget(m_openButton);
    layout->addWidget(m_informationBrowser);
    layout->setContentsMargins(browserMargins.left(), 0, 0, 0);

    const auto tool = m_version ? m_version->tool() : nullptr;
    m_openButton->setText(tr("Open %1").arg(tool ? tool->shortName() : QString()));
    m_openButton->setStyleSheet(
        QStringLiteral("color: palette(link); text-align:center; font-style: normal;"));
    connect(m_openButton, &QPushButton::clicked, this, &ThirdPartyEditorWidget::onOpenClicked);
}

ThirdPartyEditorWidget::~ThirdPartyEditorWidget() = default;

void ThirdPartyEditorWidget::onOpenClicked()
{
    const auto *installed = dynamic_cast<const LmtLocalToolVersion *>(m_version.get());
    if (!installed)
        return;
    qCInfo(lmtLocal).noquote() << Tag << "Open button pressed for" << installed->path();
    // The tool runs on its own; it is neither awaited nor tied to this program's lifetime.
    lmtqueryapi::Runner runner;
    runner.setDetached(true);
    runner.run(installed->path(), {}, false);
    if (!runner.errorMessage().isEmpty())
        qCWarning(lmtLocal).noquote() << Tag << runner.errorMessage();
}

} // namespace zendrel::lmt::setup
