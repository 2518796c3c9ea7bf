#pragma once

#include "shared_toolkit/ConsoleMessageType.h"
#include "shared_toolkit/LmtTr.h"

#include <QPixmap>
#include <QWidget>

class QLabel;
class QVariantAnimation;
class QVBoxLayout;

namespace zendrel::lmt::setup {

// First wizard page: a turning loader while the tool list is refreshed, an error text when
// the refresh failed.
class LmtToolLoadView : public QWidget
{
    Q_OBJECT
    LMT_TR_CONTEXT(LmtToolLoadView)

public:
    enum State {
        Idle = 0,
        Loading = 1,
        Error = 2,
    };

    explicit LmtToolLoadView(QWidget *parent = nullptr);

    // 0 idle, 1 loading, 2 error; any other value changes nothing.
    void setState(int state);

    bool isAnimationRunning() const;
    QLabel *loaderLabel() const { return m_lblLoadingGif; }
    QLabel *errorLabel() const { return m_lblLoadingErr; }

Q_SIGNALS:
    void appendUILog(QString text,
        zendrel::lmt::shared_toolkit::ConsoleMessageType type
        = zendrel::lmt::shared_toolkit::ConsoleMessageType::Auto);

private:
    void showFrame(qreal degrees);

    QVBoxLayout *m_verticalLayout = nullptr;
    QLabel *m_lblLoadingGif = nullptr;
    QLabel *m_lblLoadingErr = nullptr;
    // The loader drawing is a still image; the animation turns it.
    QPixmap m_loaderImage;
    QVariantAnimation *m_animation = nullptr;
};

} // namespace zendrel::lmt::setup
