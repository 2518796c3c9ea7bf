#pragma once

#include <QDialog>

class QTextEdit;

namespace zendrel::lmt::setup {

// Read-only text of a release-notes or licence document. The owning links cell fills it when
// the answer for its URL arrives.
class LmtLicenseOrRelNotesDialog : public QDialog
{
    Q_OBJECT

public:
    LmtLicenseOrRelNotesDialog(QWidget *parent, QString url, QString title);

    const QString &url() const { return m_url; }
    // Shows text as plain text: documents come from the network and are not rendered.
    void setDocumentText(const QString &text);
    QString documentText() const;

private:
    QTextEdit *m_textEdit = nullptr;
    QString m_url;
};

} // namespace zendrel::lmt::setup
