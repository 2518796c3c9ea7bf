#include "ui/LmtElevatePrivilegesDialog.h"

#include "platform/LmtPlatform.h"
#include "services/LmtProcessHandle.h"
#include "shared_toolkit/Log.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include <stdexcept>

namespace zendrel::lmt::setup {

namespace {
const char *const kTag = "[LmtElevatePrivilegesDialog]";
constexpr int WriteTimeoutMs = 30000;
} // namespace

LmtElevatePrivilegesDialog::LmtElevatePrivilegesDialog(QWidget *parent)
    : QDialog(parent)
    , m_sudoProgram(platform::elevatesThroughSudo() ? QStringLiteral("sudo") : QString())
{
    setupUi();
    connect(m_buttonBox, &QDialogButtonBox::clicked, this,
        &LmtElevatePrivilegesDialog::onDialogButtonClicked);
}

LmtElevatePrivilegesDialog::~LmtElevatePrivilegesDialog()
{
    abandonValidation();
}

void LmtElevatePrivilegesDialog::setupUi()
{
    setObjectName(QStringLiteral("LmtElevatePrivilegesDialog"));
    resize(405, 179);
    setWindowTitle(tr("Authenticate"));

    m_label = new QLabel(tr("Enter administrator password (for \"sudo\" command):"), this);
    m_label->setObjectName(QStringLiteral("label"));
    m_label->setGeometry(30, 20, 351, 16);
    m_label->setWordWrap(false);
    m_label->setIndent(0);

    m_pwdLineEdit = new QLineEdit(this);
    m_pwdLineEdit->setObjectName(QStringLiteral("m_pwdLineEdit"));
    m_pwdLineEdit->setGeometry(30, 40, 351, 22);
    m_pwdLineEdit->setEchoMode(QLineEdit::Password);
    m_pwdLineEdit->setInputMethodHints(Qt::ImhHiddenText | Qt::ImhSensitiveData
        | Qt::ImhNoAutoUppercase | Qt::ImhNoPredictiveText);

    m_label2 = new QLabel(tr("The entered password is used for non-interactive installation of "
                             "the selected packages. The Lumetra Setup does not store or send it "
                             "anywhere."),
        this);
    m_label2->setObjectName(QStringLiteral("label_2"));
    m_label2->setGeometry(30, 70, 351, 51);
    m_label2->setTextFormat(Qt::RichText);
    m_label2->setWordWrap(true);

    m_layoutWidget = new QWidget(this);
    m_layoutWidget->setObjectName(QStringLiteral("layoutWidget"));
    m_layoutWidget->setGeometry(30, 130, 351, 43);
    m_hboxLayout = new QHBoxLayout(m_layoutWidget);
    m_hboxLayout->setObjectName(QStringLiteral("hboxLayout"));
    m_hboxLayout->setContentsMargins(0, 0, 0, 0);
    m_buttonBox
        = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, m_layoutWidget);
    m_buttonBox->setObjectName(QStringLiteral("m_buttonBox"));
    m_hboxLayout->addWidget(m_buttonBox);

    m_pwdLineEdit->setFocus();
}

QString LmtElevatePrivilegesDialog::password() const
{
    return m_pwdLineEdit->text();
}

void LmtElevatePrivilegesDialog::setSudoProgram(const QString &program)
{
    m_sudoProgram = program;
}

QString LmtElevatePrivilegesDialog::validationProgram() const
{
    return m_sudoProgram;
}

QStringList LmtElevatePrivilegesDialog::validationArguments()
{
    if (!platform::elevatesThroughSudo())
        return {};
    // -S: read the password from standard input; -k: ignore cached credentials, so the typed
    // password is really checked; -p: a fixed prompt on standard error; "true" does nothing.
    return { QStringLiteral("-S"), QStringLiteral("-k"), QStringLiteral("-p"),
        QStringLiteral("PASSWD:"), QStringLiteral("true") };
}

bool LmtElevatePrivilegesDialog::isValidating() const
{
    return m_process != nullptr && !m_process->isFinished();
}

void LmtElevatePrivilegesDialog::onDialogButtonClicked(QAbstractButton *button)
{
    switch (m_buttonBox->buttonRole(button)) {
    case QDialogButtonBox::AcceptRole:
        validateInput();
        break;
    case QDialogButtonBox::RejectRole:
        reject();
        break;
    default:
        break;
    }
}

void LmtElevatePrivilegesDialog::closeEvent(QCloseEvent *event)
{
    reject();
    event->accept();
}

void LmtElevatePrivilegesDialog::reject()
{
    abandonValidation();
    m_pwdLineEdit->clear();
    QDialog::reject();
}

void LmtElevatePrivilegesDialog::abandonValidation()
{
    if (!m_process)
        return;
    // sudo may take seconds to judge a password; waiting for it here would freeze the window.
    // Its verdict no longer matters, and it must not report into a dialog that is gone.
    m_process->disconnect(this);
    m_process->abandon();
    m_process.reset();
    m_buttonBox->button(QDialogButtonBox::Ok)->setEnabled(true);
}

void LmtElevatePrivilegesDialog::validateInput()
{
    // One check at a time: a second OK while sudo still runs would count an attempt twice.
    if (isValidating())
        return;
    if (!platform::elevatesThroughSudo()) {
        QMessageBox::critical(this, QGuiApplication::applicationDisplayName(),
            tr("'sudo' command is not supported on Windows"), QMessageBox::Ok);
        reject();
        return;
    }
    const QString program = validationProgram();
    const QStringList arguments = validationArguments();
    qCInfo(lmtLocal).noquote() << kTag << "validateInput(SUDO) with command:" << program
                               << arguments.join(QLatin1Char(' '));
    try {
        ++m_attempts;
        m_process = LmtProcessHandle::start(program, arguments);
        connect(m_process.get(), &LmtProcessHandle::finished, this,
            &LmtElevatePrivilegesDialog::onValidationFinished);
        // Cancel stays available: it gives the check up.
        m_buttonBox->button(QDialogButtonBox::Ok)->setEnabled(false);

        QByteArray input = m_pwdLineEdit->text().toUtf8();
        input.append('\n');
        m_process->write(input);
        m_process->waitForBytesWritten(WriteTimeoutMs);
        m_process->closeWriteChannel();
        // Do not leave the password lying around in freed memory longer than needed.
        input.fill('\0');
    } catch (const std::runtime_error &e) {
        qCCritical(lmtLocal).noquote()
            << kTag << "Failed to start SUDO validation process" << QString::fromUtf8(e.what());
        m_process.reset();
        m_buttonBox->button(QDialogButtonBox::Ok)->setEnabled(true);
    }
}

void LmtElevatePrivilegesDialog::onValidationFinished(bool success, const QString &errorStr)
{
    qCInfo(lmtLocal).noquote() << kTag << "Finished SUDO validation process, status: " << success
                               << errorStr;
    // Releases the finished child; the handle stays until the next attempt.
    m_process->wait();
    m_buttonBox->button(QDialogButtonBox::Ok)->setEnabled(true);

    if (success) {
        accept();
    } else if (m_attempts < MaxAttempts) {
        QMessageBox::critical(this, QGuiApplication::applicationDisplayName(),
            tr("Incorrect password! Please try again."), QMessageBox::Ok);
        m_pwdLineEdit->clear();
        m_pwdLineEdit->setFocus();
    } else {
        // Not through reject(): the typed password stays, so the caller reports a wrong
        // password rather than a missing one.
        done(QDialog::Rejected);
    }
    Q_EMIT validationFinished(success);
}

} // namespace zendrel::lmt::setup
