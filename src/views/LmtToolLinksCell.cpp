#include "views/LmtToolLinksCell.h"

#include "shared_toolkit/LmtTr.h"
#include "shared_toolkit/Log.h"
#include "shared_toolkit/UrlRedaction.h"
#include "views/LmtLicenseOrRelNotesDialog.h"

#include <QGridLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>

namespace zendrel::lmt::setup {

namespace {
const char *const kTag = "[LmtToolLinksCell]";

QPushButton *makeLink(const QString &text, int leftMargin, QWidget *parent)
{
    auto *button = new QPushButton(text, parent);
    button->setFlat(true);
    button->setStyleSheet(
        QStringLiteral("text-decoration: underline; color: palette(link); text-align:center;"));
    button->setContentsMargins(leftMargin, 0, 0, 0);
    return button;
}
} // namespace

LmtToolLinksCell::LmtToolLinksCell(const LmtToolLinksData &data, QWidget *parent)
    : QWidget(parent)
{
    m_gridLayout = new QGridLayout(this);
    m_gridLayout->setObjectName(QStringLiteral("gridLayout"));
    m_gridLayout->setSpacing(0);

    m_lblName = new QLabel(data.name, this);
    m_lblName->setObjectName(QStringLiteral("lblName"));
    // A tool name from the registries, shown as written even when it looks like markup.
    m_lblName->setTextFormat(Qt::PlainText);
    m_gridLayout->addWidget(m_lblName, 0, 0, 1, 2);

    if (!data.releaseNotesUrl.isEmpty()) {
        m_lblReleaseNotes = makeLink(tr("Release notes"), 15, this);
        m_lblReleaseNotes->setObjectName(QStringLiteral("lblReleaseNotes"));
        m_gridLayout->addWidget(m_lblReleaseNotes, 1, 0);
        connect(m_lblReleaseNotes, &QPushButton::clicked, this, [this, data] {
            showDocument(data.releaseNotesUrl,
                tr("Release Notes - %1 %2").arg(data.name, data.version),
                tr("Loading Release Notes data ..."));
        });
    }
    if (!data.licenseUrl.isEmpty()) {
        m_lblLicense = makeLink(tr("License"), 5, this);
        m_lblLicense->setObjectName(QStringLiteral("lblLicense"));
        m_gridLayout->addWidget(m_lblLicense, 1, 1);
        connect(m_lblLicense, &QPushButton::clicked, this, [this, data] {
            showDocument(data.licenseUrl, tr("License - %1 %2").arg(data.name, data.version),
                tr("Loading License data ..."));
        });
    }
}

LmtToolLinksCell::~LmtToolLinksCell() = default;

void LmtToolLinksCell::showDocument(
    const QString &url, const QString &title, const QString &loadingText)
{
    qCInfo(lmtLocal).noquote() << kTag
                               << "Document requested:" << shared_toolkit::withoutUrlPasswords(url);
    m_dialog = std::make_unique<LmtLicenseOrRelNotesDialog>(this, url, title);
    m_dialog->setDocumentText(loadingText);
    Q_EMIT getReleaseNotesOrLicenseData(url);

    // The cell may be rebuilt while the dialog runs; its destructor then deletes the dialog.
    QPointer<LmtToolLinksCell> self(this);
    m_dialog->exec();
    if (self)
        m_dialog.reset();
}

void LmtToolLinksCell::onReleaseNotesOrLicenseDataReady(QString data, QString url)
{
    if (m_dialog && m_dialog->url() == url)
        m_dialog->setDocumentText(shared_toolkit::shownText(data));
}

} // namespace zendrel::lmt::setup
