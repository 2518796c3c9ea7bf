#pragma once

#include "shared_toolkit/LmtTr.h"
#include "views/LmtToolLinksData.h"

#include <QWidget>

#include <memory>

class QGridLayout;
class QLabel;
class QPushButton;

namespace zendrel::lmt::setup {

class LmtLicenseOrRelNotesDialog;

// Column 0 of a configuration table: the package name with "Release notes" and "License"
// links. A link opens a text dialog and asks for the document; every cell receives every
// answer and keeps only the one for the URL its open dialog shows.
class LmtToolLinksCell : public QWidget
{
    Q_OBJECT
    LMT_TR_CONTEXT(LmtToolLinksCell)

public:
    LmtToolLinksCell(const LmtToolLinksData &data, QWidget *parent = nullptr);
    ~LmtToolLinksCell() override;

    // The dialog being shown, null while none is open.
    LmtLicenseOrRelNotesDialog *openDialog() const { return m_dialog.get(); }

Q_SIGNALS:
    void getReleaseNotesOrLicenseData(QString url);

public Q_SLOTS:
    void onReleaseNotesOrLicenseDataReady(QString data, QString url);

private:
    void showDocument(const QString &url, const QString &title, const QString &loadingText);

    std::unique_ptr<LmtLicenseOrRelNotesDialog> m_dialog;
    QGridLayout *m_gridLayout = nullptr;
    QLabel *m_lblName = nullptr;
    QPushButton *m_lblReleaseNotes = nullptr;
    QPushButton *m_lblLicense = nullptr;
};

} // namespace zendrel::lmt::setup
