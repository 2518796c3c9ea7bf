#include "ui/LmtMainWindow.h"

#include "app/LmtAbout.h"

#include <QMenuBar>

namespace zendrel::lmt::setup {

LmtMainWindow::LmtMainWindow(QWidget *parent)
    : QMainWindow(parent)
{
}

void LmtMainWindow::init()
{
    QMenu *help = menuBar()->addMenu(tr("Help"));
    QAction *about = help->addAction(tr("About"));
    about->setObjectName(QStringLiteral("m_actAbout"));
    connect(about, &QAction::triggered, this, &LmtMainWindow::about);
    resize(900, 600);
}

void LmtMainWindow::about()
{
    showAbout(this);
}

} // namespace zendrel::lmt::setup
