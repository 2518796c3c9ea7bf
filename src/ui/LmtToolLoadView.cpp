#include "ui/LmtToolLoadView.h"

#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>
#include <QVariantAnimation>

// The loader drawing lives in the static library's resources; make sure they are registered.
static void initLoadViewResources()
{
    Q_INIT_RESOURCE(resources);
}

namespace zendrel::lmt::setup {

namespace {
constexpr int LoaderSize = 64;
constexpr int TurnDurationMs = 1200;
} // namespace

LmtToolLoadView::LmtToolLoadView(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("LmtToolLoadView"));
    resize(640, 480);

    m_verticalLayout = new QVBoxLayout(this);
    m_verticalLayout->setObjectName(QStringLiteral("verticalLayout"));
    m_verticalLayout->setContentsMargins(0, 0, 0, 0);

    m_lblLoadingGif = new QLabel(this);
    m_lblLoadingGif->setObjectName(QStringLiteral("m_lblLoadingGif"));
    m_lblLoadingErr = new QLabel(tr("Failed to fetch tools information"), this);
    m_lblLoadingErr->setObjectName(QStringLiteral("m_lblLoadingErr"));
    for (QLabel *label : { m_lblLoadingGif, m_lblLoadingErr }) {
        label->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
        label->setStyleSheet(QStringLiteral("background-color:white"));
        m_verticalLayout->addWidget(label);
    }

    initLoadViewResources();
    m_loaderImage = QIcon(QStringLiteral(":/images/loader")).pixmap(LoaderSize, LoaderSize);
    m_animation = new QVariantAnimation(this);
    m_animation->setStartValue(0.0);
    m_animation->setEndValue(360.0);
    m_animation->setDuration(TurnDurationMs);
    m_animation->setLoopCount(-1);
    connect(m_animation, &QVariantAnimation::valueChanged, this,
        [this](const QVariant &value) { showFrame(value.toReal()); });
    showFrame(0);

    setState(Idle);
}

void LmtToolLoadView::setState(int state)
{
    switch (state) {
    case Idle:
        m_animation->stop();
        m_lblLoadingGif->show();
        m_lblLoadingErr->hide();
        break;
    case Loading:
        m_animation->start();
        m_lblLoadingGif->show();
        m_lblLoadingErr->hide();
        break;
    case Error:
        m_animation->stop();
        m_lblLoadingGif->hide();
        m_lblLoadingErr->show();
        break;
    default:
        break;
    }
}

bool LmtToolLoadView::isAnimationRunning() const
{
    return m_animation->state() == QAbstractAnimation::Running;
}

void LmtToolLoadView::showFrame(qreal degrees)
{
    QPixmap frame(m_loaderImage.size());
    frame.fill(Qt::transparent);
    QPainter painter(&frame);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.translate(frame.width() / 2.0, frame.height() / 2.0);
    painter.rotate(degrees);
    painter.translate(-frame.width() / 2.0, -frame.height() / 2.0);
    painter.drawPixmap(0, 0, m_loaderImage);
    painter.end();
    m_lblLoadingGif->setPixmap(frame);
}

} // namespace zendrel::lmt::setup
