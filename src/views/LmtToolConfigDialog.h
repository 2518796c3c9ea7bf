#pragma once

#include "shared_toolkit/LmtTr.h"
#include "views/LmtInstallPathCheck.h"
#include "views/LmtToolConfigData.h"

#include <QDialog>

class QAbstractButton;
class QComboBox;
class QDialogButtonBox;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QToolButton;
class QVBoxLayout;

namespace zendrel::lmt::setup {

// Lets the user choose the install scope and directory of one package. Edits *data in place,
// and only when the dialog is accepted with a valid path.
class LmtToolConfigDialog : public QDialog
{
    Q_OBJECT
    LMT_TR_CONTEXT(LmtToolConfigDialog)

public:
    LmtToolConfigDialog(LmtToolConfigData *data, QWidget *parent = nullptr);

protected:
    // Asks the user for a folder, starting at start; empty when the user cancels. Overridable
    // so that the browse rule can be exercised without a native file dialog.
    virtual QString askForDirectory(const QString &start);

private Q_SLOTS:
    void onInstallScopeChanged(int index);
    void onInstallDirChanged(QString text);
    void onInstallDirRequested();
    void onDialogButtonClicked(QAbstractButton *button);

private:
    LmtToolInstallScope selectedScope() const;
    void showPathRow(bool visible);
    LmtInstallPathVerdict checkPath() const;
    void updateWarning();

    LmtToolConfigData *m_data;
    bool m_pathRowVisible = false;

    QVBoxLayout *m_verticalLayout = nullptr;
    QGroupBox *m_groupBox = nullptr;
    QGridLayout *m_gridLayout = nullptr;
    QLabel *m_lblInstallScope = nullptr;
    QComboBox *m_cmbInstallScope = nullptr;
    QLabel *m_lblInstallDir = nullptr;
    QLineEdit *m_editInstallDir = nullptr;
    QToolButton *m_btnInstallDir = nullptr;
    QLabel *m_lblWarning = nullptr;
    QDialogButtonBox *m_btnsOkCancelReset = nullptr;
};

} // namespace zendrel::lmt::setup
