#pragma once

#include "shared_toolkit/LmtTr.h"
#include "views/LmtToolConfigData.h"

#include <QWidget>

class QLabel;
class QPushButton;
class QVBoxLayout;

namespace zendrel::lmt::setup {

// Column 2 of a configuration table: a "Customize installation" link for packages whose
// scope or directory may be chosen, and whether the defaults are kept. Works on its own copy
// of the value; the model sees a change only after the dialog was accepted.
class LmtToolConfigCell : public QWidget
{
    Q_OBJECT
    LMT_TR_CONTEXT(LmtToolConfigCell)

public:
    LmtToolConfigCell(const LmtToolConfigData &data, QWidget *parent = nullptr);

    const LmtToolConfigData &configData() const { return m_data; }

Q_SIGNALS:
    void dataChanged(zendrel::lmt::setup::LmtToolConfigData data);

private Q_SLOTS:
    void onCustomizeClicked();

private:
    void updateStatus();

    LmtToolConfigData m_data;
    QVBoxLayout *m_layout = nullptr;
    QPushButton *m_btnCustomize = nullptr;
    QLabel *m_lblStatus = nullptr;
};

} // namespace zendrel::lmt::setup
