#pragma once

#include <QMainWindow>

namespace zendrel::lmt::setup {

// The application window. For now it only offers the About box; the wizard pages follow.
class LmtMainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit LmtMainWindow(QWidget *parent = nullptr);

    void init();

public slots:
    void about();
};

} // namespace zendrel::lmt::setup
