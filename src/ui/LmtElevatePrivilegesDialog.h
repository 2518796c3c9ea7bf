#pragma once

#include "shared_toolkit/LmtTr.h"

#include <QDialog>
#include <QString>
#include <QStringList>

#include <memory>

class QAbstractButton;
class QDialogButtonBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QWidget;

namespace zendrel::lmt::setup {

class LmtProcessHandle;

// Asks for the administrator password that a non-interactive "sudo" installation needs and
// checks it with sudo itself before the installation starts. The password only ever travels
// through the child's standard input: never on a command line, never into the log.
class LmtElevatePrivilegesDialog : public QDialog
{
    Q_OBJECT
    LMT_TR_CONTEXT(LmtElevatePrivilegesDialog)

public:
    // A wrong password may be retried until this many checks have failed.
    static constexpr int MaxAttempts = 4;

    explicit LmtElevatePrivilegesDialog(QWidget *parent = nullptr);
    ~LmtElevatePrivilegesDialog() override;

    // The entered password; empty after Cancel, Escape or closing the window.
    QString password() const;

    // The sudo program to run ("sudo", found through PATH, by default).
    void setSudoProgram(const QString &program);
    // The validation command and its arguments; the program is empty where sudo does not exist.
    QString validationProgram() const;
    static QStringList validationArguments();

    int attempts() const { return m_attempts; }
    bool isValidating() const;

public Q_SLOTS:
    void onDialogButtonClicked(QAbstractButton *button);
    // Every way of dismissing the dialog (Cancel, Escape, the window's close button) ends
    // here: a check still running is given up and the field is cleared, so the caller sees no
    // password rather than a wrong one.
    void reject() override;

Q_SIGNALS:
    // Emitted after each check has been evaluated (tests wait for it).
    void validationFinished(bool success);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void setupUi();
    void validateInput();
    void onValidationFinished(bool success, const QString &errorStr);
    void abandonValidation();

    QString m_sudoProgram;
    std::shared_ptr<LmtProcessHandle> m_process;
    int m_attempts = 0;

    QLabel *m_label = nullptr;
    QLineEdit *m_pwdLineEdit = nullptr;
    QLabel *m_label2 = nullptr;
    QWidget *m_layoutWidget = nullptr;
    QHBoxLayout *m_hboxLayout = nullptr;
    QDialogButtonBox *m_buttonBox = nullptr;
};

} // namespace zendrel::lmt::setup
