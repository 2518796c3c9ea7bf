#include "views/LmtLicenseOrRelNotesDialog.h"

#include <QDialogButtonBox>
#include <QTextEdit>
#include <QVBoxLayout>

namespace zendrel::lmt::setup {

LmtLicenseOrRelNotesDialog::LmtLicenseOrRelNotesDialog(QWidget *parent, QString url, QString title)
    : QDialog(parent)
    , m_url(std::move(url))
{
    auto *layout = new QVBoxLayout(this);
    resize(660, 360);
    setWindowTitle(title);

    m_textEdit = new QTextEdit(this);
    m_textEdit->setObjectName(QStringLiteral("m_textEdit"));
    m_textEdit->setReadOnly(true);
    layout->addWidget(m_textEdit);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->setObjectName(QStringLiteral("buttonBox"));
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
}

void LmtLicenseOrRelNotesDialog::setDocumentText(const QString &text)
{
    m_textEdit->setPlainText(text);
}

QString LmtLicenseOrRelNotesDialog::documentText() const
{
    return m_textEdit->toPlainText();
}

} // namespace zendrel::lmt::setup
