#include "views/LmtSpinnerWidget.h"

#include <QPainter>
#include <QPainterPath>

namespace zendrel::lmt::setup {

LmtSpinnerWidget::LmtSpinnerWidget(QWidget *parent)
    : QWidget(parent)
{
    connect(&m_timer, &QTimer::timeout, this, &LmtSpinnerWidget::onTimeout);
    m_timer.start(130);
}

void LmtSpinnerWidget::onTimeout()
{
    m_angle += m_stepDegrees;
    if (m_angle >= 360)
        m_angle = 0;
    update();
}

void LmtSpinnerWidget::paintEvent(QPaintEvent *)
{
    if (!isEnabled())
        return;

    const int h = height();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(width() / 2, h / 2);

    // The hole in the middle: below 7 pixels of height its radius is 0, so nothing is cut out.
    QPainterPath clip;
    clip.addRect(QRectF(-width() / 2, -h / 2, width(), h));
    const int holeRadius = h / 7;
    QPainterPath hole;
    hole.addEllipse(QPointF(0, 0), holeRadius, holeRadius);
    painter.setClipPath(clip.subtracted(hole));

    painter.rotate(m_angle);
    painter.setPen(Qt::NoPen);
    const int spokeLength = static_cast<int>(h * 0.5 - 2);
    for (int i = 0; i < m_spokeCount; ++i) {
        const int grey = m_greyStep * i;
        painter.setBrush(QColor(grey, grey, grey));
        painter.drawRoundedRect(QRectF(-2, 1 - h / 2, 4, spokeLength), 2, 2);
        painter.rotate(m_stepDegrees);
    }
}

} // namespace zendrel::lmt::setup
