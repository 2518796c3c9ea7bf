#include "views/LmtToolConfigDialog.h"

#include "shared_toolkit/Log.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSpacerItem>
#include <QToolButton>
#include <QVBoxLayout>

namespace zendrel::lmt::setup {

namespace {
const char *const kTag = "[LmtToolConfigDialog]";
} // namespace

LmtToolConfigDialog::LmtToolConfigDialog(LmtToolConfigData *data, QWidget *parent)
    : QDialog(parent)
    , m_data(data)
{
    setObjectName(QStringLiteral("LmtToolConfigDialog"));
    resize(640, 160);
    setWindowTitle(tr("Customize Installation"));

    m_verticalLayout = new QVBoxLayout(this);
    m_verticalLayout->setObjectName(QStringLiteral("verticalLayout"));
    m_groupBox = new QGroupBox(this);
    m_groupBox->setObjectName(QStringLiteral("groupBox"));
    m_gridLayout = new QGridLayout(m_groupBox);
    m_gridLayout->setObjectName(QStringLiteral("gridLayout"));

    m_lblInstallScope = new QLabel(tr("Scope:"), m_groupBox);
    m_lblInstallScope->setObjectName(QStringLiteral("m_lblInstallScope"));
    m_cmbInstallScope = new QComboBox(m_groupBox);
    m_cmbInstallScope->setObjectName(QStringLiteral("m_cmbInstallScope"));
    m_gridLayout->addWidget(m_lblInstallScope, 0, 0);
    m_gridLayout->addWidget(m_cmbInstallScope, 0, 2, 1, 2);

    m_lblInstallDir = new QLabel(tr("Path:"), m_groupBox);
    m_lblInstallDir->setObjectName(QStringLiteral("m_lblInstallDir"));
    m_editInstallDir = new QLineEdit(m_groupBox);
    m_editInstallDir->setObjectName(QStringLiteral("m_editInstallDir"));
    m_btnInstallDir = new QToolButton(m_groupBox);
    m_btnInstallDir->setObjectName(QStringLiteral("m_btnInstallDir"));
    m_btnInstallDir->setIcon(QIcon(QStringLiteral(":/images/ellipsis")));
    m_gridLayout->addWidget(m_lblInstallDir, 1, 0);
    m_gridLayout->addWidget(m_editInstallDir, 1, 2);
    m_gridLayout->addWidget(m_btnInstallDir, 1, 3);

    m_lblWarning = new QLabel(m_groupBox);
    m_lblWarning->setObjectName(QStringLiteral("m_lblWarning"));
    m_lblWarning->setStyleSheet(QStringLiteral("QLabel { color : red; }"));
    m_lblWarning->setTextFormat(Qt::RichText);
    m_lblWarning->setOpenExternalLinks(true);
    m_gridLayout->addWidget(m_lblWarning, 3, 0, 1, 3);
    m_gridLayout->addItem(
        new QSpacerItem(20, 40, QSizePolicy::Minimum, QSizePolicy::Expanding), 4, 0);
    m_verticalLayout->addWidget(m_groupBox);

    m_btnsOkCancelReset = new QDialogButtonBox(
        QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Reset, this);
    m_btnsOkCancelReset->setObjectName(QStringLiteral("m_btnsOkCancelReset"));
    m_btnsOkCancelReset->setOrientation(Qt::Horizontal);
    m_verticalLayout->addWidget(m_btnsOkCancelReset);

    for (auto it = m_data->defaultDirectories.cbegin(); it != m_data->defaultDirectories.cend();
         ++it) {
        QString text = installScopeText(it.key());
        if (it.key() == m_data->recommendedScope)
            text += tr(" (recommended)");
        m_cmbInstallScope->addItem(text, int(it.key()));
    }
    m_cmbInstallScope->setCurrentIndex(m_cmbInstallScope->findData(int(m_data->installScope)));
    const bool hasScopes = m_cmbInstallScope->count() > 0;
    m_lblInstallScope->setVisible(hasScopes);
    m_cmbInstallScope->setVisible(hasScopes);

    m_editInstallDir->setText(m_data->installDirectory);
    showPathRow(!m_data->defaultDirectoryFor(m_data->installScope).isEmpty());
    updateWarning();

    connect(m_cmbInstallScope, &QComboBox::currentIndexChanged, this,
        &LmtToolConfigDialog::onInstallScopeChanged);
    connect(
        m_editInstallDir, &QLineEdit::textChanged, this, &LmtToolConfigDialog::onInstallDirChanged);
    connect(
        m_btnInstallDir, &QToolButton::clicked, this, &LmtToolConfigDialog::onInstallDirRequested);
    connect(m_btnsOkCancelReset, &QDialogButtonBox::clicked, this,
        &LmtToolConfigDialog::onDialogButtonClicked);
}

LmtToolInstallScope LmtToolConfigDialog::selectedScope() const
{
    const QVariant scope = m_cmbInstallScope->currentData();
    return scope.isValid() ? LmtToolInstallScope(scope.toInt()) : m_data->installScope;
}

void LmtToolConfigDialog::showPathRow(bool visible)
{
    m_pathRowVisible = visible;
    m_lblInstallDir->setVisible(visible);
    m_editInstallDir->setVisible(visible);
    m_btnInstallDir->setVisible(visible);
}

void LmtToolConfigDialog::onInstallScopeChanged(int)
{
    const QString directory = m_data->defaultDirectoryFor(selectedScope());
    // A scope without a default directory is installed where its installer decides: there is
    // no path to type or check then.
    showPathRow(!directory.isEmpty());
    m_editInstallDir->setText(directory);
    updateWarning();
}

void LmtToolConfigDialog::onInstallDirChanged(QString)
{
    updateWarning();
}

LmtInstallPathVerdict LmtToolConfigDialog::checkPath() const
{
    if (!m_pathRowVisible)
        return {};
    return checkInstallPath(m_editInstallDir->text());
}

void LmtToolConfigDialog::updateWarning()
{
    QString text;
    if (!m_data->note.isEmpty()) {
        const QString recommendedDirectory = m_data->defaultDirectoryFor(m_data->recommendedScope);
        if (selectedScope() != m_data->recommendedScope
            || (!recommendedDirectory.isEmpty()
                && m_editInstallDir->text() != recommendedDirectory))
            text = m_data->note;
    }
    const LmtInstallPathVerdict verdict = checkPath();
    if (!verdict.ok)
        text = verdict.message;
    m_lblWarning->setText(text);
    m_lblWarning->setVisible(!text.isEmpty());
}

QString LmtToolConfigDialog::askForDirectory(const QString &start)
{
    return QFileDialog::getExistingDirectory(
        this, tr("Select Installation Directory"), start, QFileDialog::ShowDirsOnly);
}

void LmtToolConfigDialog::onInstallDirRequested()
{
    // The default of the scope on screen: its last folder is what the installer creates.
    const QString defaultDirectory = m_data->defaultDirectoryFor(selectedScope());
    const QString chosen
        = askForDirectory(installBrowseStart(m_editInstallDir->text(), defaultDirectory));
    if (chosen.isEmpty())
        return;
    m_editInstallDir->setText(installPathFromBrowse(chosen, defaultDirectory));
}

void LmtToolConfigDialog::onDialogButtonClicked(QAbstractButton *button)
{
    switch (m_btnsOkCancelReset->buttonRole(button)) {
    case QDialogButtonBox::AcceptRole: {
        const LmtInstallPathVerdict verdict = checkPath();
        if (!verdict.ok) {
            qCInfo(lmtLocal).noquote()
                << kTag << "Installation path refused:" << m_editInstallDir->text();
            QMessageBox::critical(
                this, QGuiApplication::applicationDisplayName(), verdict.message, QMessageBox::Ok);
            return;
        }
        m_data->installScope = selectedScope();
        m_data->installDirectory = m_editInstallDir->text();
        accept();
        break;
    }
    case QDialogButtonBox::RejectRole:
        reject();
        break;
    case QDialogButtonBox::ResetRole: {
        const int index = m_cmbInstallScope->findData(int(m_data->recommendedScope));
        if (index >= 0)
            m_cmbInstallScope->setCurrentIndex(index);
        showPathRow(!m_data->defaultDirectoryFor(m_data->recommendedScope).isEmpty());
        m_editInstallDir->setText(m_data->defaultDirectoryFor(m_data->recommendedScope));
        updateWarning();
        break;
    }
    default:
        break;
    }
}

} // namespace zendrel::lmt::setup
