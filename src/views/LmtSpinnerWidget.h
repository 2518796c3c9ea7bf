#pragma once

#include <QTimer>
#include <QWidget>

namespace zendrel::lmt::setup {

// Rotating busy indicator shown inside a progress-table row while its job runs: eight grey
// spokes of rising brightness around a hole. A disabled spinner paints nothing.
class LmtSpinnerWidget : public QWidget
{
    Q_OBJECT

public:
    explicit LmtSpinnerWidget(QWidget *parent = nullptr);

    int angle() const { return m_angle; }

public Q_SLOTS:
    void onTimeout();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int m_angle = 0;
    const int m_spokeCount = 8;
    const int m_stepDegrees = 45;
    const int m_greyStep = 31;
    QTimer m_timer;
};

} // namespace zendrel::lmt::setup
