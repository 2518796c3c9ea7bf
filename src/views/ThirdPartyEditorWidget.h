#pragma once

#include "shared_toolkit/LmtTr.h"

#include <QWidget>

#include <memory>

class QPushButton;
class QTextBrowser;

namespace zendrel::lmt::setup {

class LmtToolVersion;

// The information cell of an installed 3rd-party tool: an "Open" button that starts the tool,
// next to the usual information text.
class ThirdPartyEditorWidget : public QWidget
{
    Q_OBJECT
    LMT_TR_CONTEXT(ThirdPartyEditorWidget)

public:
    ThirdPartyEditorWidget(std::shared_ptr<LmtToolVersion> version, QWidget *parent = nullptr);
    ~ThirdPartyEditorWidget() override;

    QTextBrowser *informationBrowser() const { return m_informationBrowser; }
    QPushButton *openButton() const { return m_openButton; }
    std::shared_ptr<LmtToolVersion> version() const { return m_version; }
    // The information delegate measures the cell, button included.
    QSize sizeHint() const override { return {}; }

private Q_SLOTS:
    void onOpenClicked();

private:
    QTextBrowser *m_informationBrowser = nullptr;
    QPushButton *m_openButton = nullptr;
    std::shared_ptr<LmtToolVersion> m_version;
};

} // namespace zendrel::lmt::setup
