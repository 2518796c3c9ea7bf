#include "ui/LmtPrefsDialog.h"

#include "base/LmtIdentity.h"
#include "base/LmtLogLocation.h"
#include "base/LmtSettings.h"
#include "services/ILmtDownloadManager.h"
#include "services/LmtDownloadSettings.h"
#include "services/LmtSetupSelfUpdater.h"
#include "services/LmtUpdateSiteCheck.h"
#include "services/LmtVendorSite.h"
#include "shared_toolkit/Log.h"
#include "shared_toolkit/UrlRedaction.h"
#include "views/LmtSpinnerWidget.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QVBoxLayout>

namespace zendrel::lmt::setup {

namespace {
const char *const kTag = "[LmtPrefsDialog]";
const QString kGeneralGroup = QStringLiteral("LmtGeneralSettings");
const QString kLogDirKey = QStringLiteral("LogDir");

// The configured log directory as start-up resolves it, without writing the fallback back:
// merely opening the dialog must not change the settings.
QString configuredLogDirectory()
{
    QSettings &settings = applicationSettings();
    settings.beginGroup(kGeneralGroup);
    const QString directory = settings.value(kLogDirKey).toString();
    settings.endGroup();
    return directory.isEmpty() || !QFileInfo::exists(directory) ? QDir::tempPath() : directory;
}

void storeLogDirectory(const QString &directory)
{
    QSettings &settings = applicationSettings();
    settings.beginGroup(kGeneralGroup);
    settings.setValue(kLogDirKey, directory);
    settings.endGroup();
}

QString pickExistingDirectory(QWidget *parent, const QString &title, const QString &start)
{
    return QFileDialog::getExistingDirectory(parent, title, start, QFileDialog::ShowDirsOnly);
}
} // namespace

LmtPrefsDialog::LmtPrefsDialog(
    std::shared_ptr<ILmtDownloadManager> downloadManager, QWidget *parent)
    : QDialog(parent)
    , m_downloadManager(std::move(downloadManager))
    , m_directoryPicker(pickExistingDirectory)
{
    setupUi();

    // Filled before the connections below, so the initial values do not count as edits.
    m_editKorOnlineUrl->setText(korOnlineUrl());
    m_checkForUpdatesCheckBox->setChecked(LmtSetupSelfUpdater::checkForUpdatesEnabled());
    showLogFolder(configuredLogDirectory());

    connect(
        m_editKorOnlineUrl, &QLineEdit::textChanged, this, &LmtPrefsDialog::onKorOnlineUrlChanged);
    connect(m_btnsOkCancelReset, &QDialogButtonBox::clicked, this,
        &LmtPrefsDialog::onDialogButtonClicked);
    connect(m_btnLogDir, &QPushButton::clicked, this, &LmtPrefsDialog::onLogDirRequested);
}

// A probe still running is cancelled by its run object, a child of the dialog; its thread ends
// on its own and nothing comes back.
LmtPrefsDialog::~LmtPrefsDialog() = default;

void LmtPrefsDialog::setupUi()
{
    setObjectName(QStringLiteral("LmtPrefsDialog"));
    resize(640, 203);
    setWindowTitle(tr("Preferences"));
    setWindowIcon(QIcon(QStringLiteral(":/images/setup")));

    m_verticalLayout = new QVBoxLayout(this);
    m_verticalLayout->setObjectName(QStringLiteral("verticalLayout"));
    m_groupBox = new QGroupBox(this);
    m_groupBox->setObjectName(QStringLiteral("groupBox"));
    m_gridLayout = new QGridLayout(m_groupBox);
    m_gridLayout->setObjectName(QStringLiteral("gridLayout"));

    m_lblKorOnlineUrl = new QLabel(tr("Update site URL:"), m_groupBox);
    m_lblKorOnlineUrl->setObjectName(QStringLiteral("m_lblKorOnlineUrl"));
    m_gridLayout->addWidget(m_lblKorOnlineUrl, 0, 0);
    m_editKorOnlineUrl = new QLineEdit(m_groupBox);
    m_editKorOnlineUrl->setObjectName(QStringLiteral("m_editKorOnlineUrl"));
    m_gridLayout->addWidget(m_editKorOnlineUrl, 0, 1, 1, 3);

    m_lblLogDir = new QLabel(tr("Logs Directory"), m_groupBox);
    m_lblLogDir->setObjectName(QStringLiteral("m_lblLogDir"));
    m_gridLayout->addWidget(m_lblLogDir, 1, 0);
    m_editLogDir = new QLineEdit(m_groupBox);
    m_editLogDir->setObjectName(QStringLiteral("m_editLogDir"));
    // The folder can only be picked, so that it always names an existing directory.
    m_editLogDir->setEnabled(false);
    m_gridLayout->addWidget(m_editLogDir, 1, 1, 1, 2);
    m_btnLogDir = new QPushButton(m_groupBox);
    m_btnLogDir->setObjectName(QStringLiteral("m_btnLogDir"));
    m_btnLogDir->setIcon(QIcon(QStringLiteral(":/images/ellipsis")));
    m_gridLayout->addWidget(m_btnLogDir, 1, 3);

    m_checkForUpdatesCheckBox = new QCheckBox(tr("Check for updates on start"), m_groupBox);
    m_checkForUpdatesCheckBox->setObjectName(QStringLiteral("m_checkForUpdatesCheckBox"));
    m_gridLayout->addWidget(m_checkForUpdatesCheckBox, 4, 0, 1, 2);
    m_checkSpinner = new LmtSpinnerWidget(m_groupBox);
    m_checkSpinner->setObjectName(QStringLiteral("m_checkSpinner"));
    m_checkSpinner->setFixedSize(20, 20);
    m_checkSpinner->hide();
    m_gridLayout->addWidget(m_checkSpinner, 4, 3, Qt::AlignRight);
    m_verticalLayout->addWidget(m_groupBox);

    m_btnsOkCancelReset = new QDialogButtonBox(
        QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Reset, this);
    m_btnsOkCancelReset->setObjectName(QStringLiteral("m_btnsOkCancelReset"));
    m_verticalLayout->addWidget(m_btnsOkCancelReset);
}

void LmtPrefsDialog::setDirectoryPicker(DirectoryPicker picker)
{
    m_directoryPicker = picker ? std::move(picker) : DirectoryPicker(pickExistingDirectory);
}

bool LmtPrefsDialog::isCheckingUrl() const
{
    return m_urlCheck && m_urlCheck->isRunning();
}

void LmtPrefsDialog::reject()
{
    if (isCheckingUrl()) {
        cancelUrlCheck();
        return;
    }
    QDialog::reject();
}

void LmtPrefsDialog::onKorOnlineUrlChanged(const QString &text)
{
    m_urlEdited = true;
    m_editedUrl = text;
}

void LmtPrefsDialog::onLogDirRequested()
{
    const QString start = QFileInfo(m_shownLogFolder).absolutePath();
    const QString chosen = m_directoryPicker(this, tr("Select Logs Directory"), start);
    if (chosen.isEmpty())
        return;
    m_chosenLogDir = QDir::fromNativeSeparators(chosen);
    showLogFolder(m_chosenLogDir);
    qCInfo(lmtLocal).noquote() << kTag << "Logs directory chosen:" << m_chosenLogDir;
}

void LmtPrefsDialog::onDialogButtonClicked(QAbstractButton *button)
{
    switch (m_btnsOkCancelReset->buttonRole(button)) {
    case QDialogButtonBox::AcceptRole:
        onOk();
        break;
    case QDialogButtonBox::RejectRole:
        reject();
        break;
    case QDialogButtonBox::ResetRole:
        if (!isCheckingUrl())
            onReset();
        break;
    default:
        break;
    }
}

void LmtPrefsDialog::onReset()
{
    qCInfo(lmtLocal).noquote() << kTag << "Reset button pressed";
    const QString defaultUrl = defaultOnlineRegistryUrl();
    m_editKorOnlineUrl->setText(defaultUrl);
    // Counts as an edit even when the field already showed the default (no textChanged then):
    // OK must re-validate and store it.
    onKorOnlineUrlChanged(defaultUrl);
    m_checkForUpdatesCheckBox->setChecked(true);

    const QString tempDir = QDir::tempPath();
    if (!isSameFolder(logFolder(), tempDir)) {
        storeLogDirectory(tempDir);
        applicationSettings().sync();
        if (!restartLogIn(tempDir))
            showCritical(
                tr("Unable to create logs in '%1'").arg(QDir::toNativeSeparators(tempDir)));
    }
    showLogFolder(tempDir);
    m_chosenLogDir = tempDir;
}

void LmtPrefsDialog::onOk()
{
    // OK is disabled during the probe; a click already queued must not start a second one.
    if (isCheckingUrl())
        return;
    qCInfo(lmtLocal).noquote() << kTag << "OK button pressed";
    LmtSetupSelfUpdater::setCheckForUpdatesEnabled(m_checkForUpdatesCheckBox->isChecked());
    applicationSettings().sync();

    if (!m_urlEdited) {
        finishOk();
        return;
    }
    delete m_urlCheck;
    m_urlCheck = new LmtUpdateSiteCheckRun(m_editedUrl.trimmed(), m_downloadManager, this);
    connect(m_urlCheck, &LmtUpdateSiteCheckRun::finished, this, &LmtPrefsDialog::onUrlChecked);
    setChecking(true);
    m_urlCheck->start();
}

void LmtPrefsDialog::onUrlChecked(const LmtUpdateSiteStatus &status)
{
    setChecking(false);
    if (!status.succeeded()) {
        qCWarning(lmtLocal).noquote() << kTag << status.message;
        showCritical(shared_toolkit::shownText(status.message));
        return;
    }
    const QString url = m_editedUrl.trimmed();
    setKorOnlineUrl(url);
    applicationSettings().sync();
    qCInfo(lmtLocal).noquote() << kTag << "Update site URL stored:"
                               << shared_toolkit::withoutUrlPasswords(url);
    finishOk();
}

void LmtPrefsDialog::finishOk()
{
    if (!m_chosenLogDir.isEmpty()) {
        const QString shown = QDir::toNativeSeparators(m_chosenLogDir);
        if (!QFileInfo(m_chosenLogDir).isDir()) {
            showCritical(tr("The Logs directory '%1' does not exist").arg(shown));
            return;
        }
        if (!logDirectoryWritable(m_chosenLogDir)) {
            showCritical(tr("Unable to create logs in '%1'").arg(shown));
            return;
        }
        // The log moves before the setting is stored: a folder in which no log file could be
        // started must not become the folder of the next runs either.
        if (!isSameFolder(m_chosenLogDir, logFolder()) && !restartLogIn(m_chosenLogDir)) {
            showCritical(tr("Unable to create logs in '%1'").arg(shown));
            return;
        }
        storeLogDirectory(m_chosenLogDir);
        applicationSettings().sync();
        qCInfo(lmtLocal).noquote() << kTag << "Logs directory stored:" << m_chosenLogDir;
    }

    if (m_urlEdited)
        accept();
    else
        QDialog::reject();
}

void LmtPrefsDialog::cancelUrlCheck()
{
    qCInfo(lmtLocal).noquote() << kTag << "Update site check cancelled";
    m_urlCheck->cancel();
    setChecking(false);
}

void LmtPrefsDialog::setChecking(bool checking)
{
    m_editKorOnlineUrl->setEnabled(!checking);
    m_btnLogDir->setEnabled(!checking);
    m_checkForUpdatesCheckBox->setEnabled(!checking);
    m_btnsOkCancelReset->button(QDialogButtonBox::Ok)->setEnabled(!checking);
    m_btnsOkCancelReset->button(QDialogButtonBox::Reset)->setEnabled(!checking);
    m_checkSpinner->setVisible(checking);
}

void LmtPrefsDialog::showLogFolder(const QString &logDirectory)
{
    m_shownLogFolder = logFolderIn(logDirectory);
    m_editLogDir->setText(QDir::toNativeSeparators(m_shownLogFolder));
}

void LmtPrefsDialog::showCritical(const QString &text)
{
    QMessageBox::critical(this, QGuiApplication::applicationDisplayName(), text, QMessageBox::Ok);
}

} // namespace zendrel::lmt::setup
