#include "views/LmtToolConfigCell.h"

#include "shared_toolkit/Log.h"
#include "views/LmtToolConfigDialog.h"

#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

namespace zendrel::lmt::setup {

namespace {
const char *const kTag = "[LmtToolConfigCell]";
} // namespace

LmtToolConfigCell::LmtToolConfigCell(const LmtToolConfigData &data, QWidget *parent)
    : QWidget(parent)
    , m_data(data)
{
    m_layout = new QVBoxLayout(this);
    m_layout->setObjectName(QStringLiteral("m_layout"));
    m_layout->setSpacing(0);

    m_btnCustomize = new QPushButton(tr("Customize installation"), this);
    m_btnCustomize->setObjectName(QStringLiteral("m_btnCustomize"));
    m_btnCustomize->setFlat(true);
    m_btnCustomize->setStyleSheet(
        QStringLiteral("text-decoration: underline; color: palette(link); text-align:center;"));
    m_layout->addWidget(m_btnCustomize);

    m_lblStatus = new QLabel(this);
    m_lblStatus->setObjectName(QStringLiteral("m_lblStatus"));
    m_lblStatus->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    m_layout->addWidget(m_lblStatus);

    connect(m_btnCustomize, &QPushButton::clicked, this, &LmtToolConfigCell::onCustomizeClicked);
    updateStatus();
}

void LmtToolConfigCell::updateStatus()
{
    const bool customizable = m_data.isCustomizable();
    m_btnCustomize->setVisible(customizable);
    if (m_data.isCustom())
        m_lblStatus->setText(tr("Custom options"));
    else if (customizable)
        m_lblStatus->setText(tr("Default options"));
    else
        m_lblStatus->clear();
}

void LmtToolConfigCell::onCustomizeClicked()
{
    qCInfo(lmtLocal).noquote() << kTag << "Customize installation button pressed";
    // The table may rebuild its cells while the dialog runs (a catalogue refresh). The cell
    // then deletes the dialog with itself, so neither may be touched after exec() returns.
    QPointer<LmtToolConfigCell> self(this);
    LmtToolConfigData edited = m_data;
    QPointer<LmtToolConfigDialog> dialog = new LmtToolConfigDialog(&edited, this);
    const int result = dialog->exec();
    delete dialog.data();
    if (!self || result != QDialog::Accepted)
        return;
    m_data = edited;
    updateStatus();
    Q_EMIT dataChanged(m_data);
}

} // namespace zendrel::lmt::setup
