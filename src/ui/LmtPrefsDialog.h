#pragma once

#include "shared_toolkit/LmtTr.h"

#include <QDialog>
#include <QString>

#include <functional>
#include <memory>

class QAbstractButton;
class QCheckBox;
class QDialogButtonBox;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QVBoxLayout;

namespace zendrel::lmt::setup {

class ILmtDownloadManager;
class LmtSpinnerWidget;
class LmtUpdateSiteCheckRun;
struct LmtUpdateSiteStatus;

// The user settings of the program: update site URL, log folder and the update check at start.
// A new URL is only stored after it could be fetched, a new log folder only after a probe file
// could be written there, and the log moves to a new folder at once. The result is Accepted
// only when a URL edit was validated and stored, so that the caller reloads the tool list
// exactly when the source of that list may have changed.
//
// The URL is probed off the GUI thread: while the probe runs a spinner turns, the inputs, OK
// and Reset are disabled, and Cancel, Escape or closing the window stop the probe and return to
// editing (a second Cancel closes the dialog).
class LmtPrefsDialog : public QDialog
{
    Q_OBJECT
    LMT_TR_CONTEXT(LmtPrefsDialog)

public:
    // Asks the user for an existing directory; returns an empty string when none was chosen.
    using DirectoryPicker
        = std::function<QString(QWidget *parent, const QString &title, const QString &start)>;

    explicit LmtPrefsDialog(
        std::shared_ptr<ILmtDownloadManager> downloadManager, QWidget *parent = nullptr);
    ~LmtPrefsDialog() override;

    // Replaces the folder dialog (tests drive the dialog without a real file dialog).
    void setDirectoryPicker(DirectoryPicker picker);

    // True while a new update site URL is being probed.
    bool isCheckingUrl() const;

    // Stops a running probe instead of closing the dialog.
    void reject() override;

public Q_SLOTS:
    void onKorOnlineUrlChanged(const QString &text);
    void onDialogButtonClicked(QAbstractButton *button);
    void onLogDirRequested();

private:
    void setupUi();
    void onOk();
    void onUrlChecked(const LmtUpdateSiteStatus &status);
    // The log folder and the result: the steps of OK after the URL.
    void finishOk();
    void cancelUrlCheck();
    void setChecking(bool checking);
    void onReset();
    void showLogFolder(const QString &logDirectory);
    void showCritical(const QString &text);

    std::shared_ptr<ILmtDownloadManager> m_downloadManager;
    DirectoryPicker m_directoryPicker;
    bool m_urlEdited = false;
    QString m_editedUrl;
    LmtUpdateSiteCheckRun *m_urlCheck = nullptr;
    // The directory the user picked (or Reset chose); the logs go to its sub-folder.
    QString m_chosenLogDir;
    // The per-program log folder shown in the field (forward slashes).
    QString m_shownLogFolder;

    QVBoxLayout *m_verticalLayout = nullptr;
    QGroupBox *m_groupBox = nullptr;
    QGridLayout *m_gridLayout = nullptr;
    QLabel *m_lblKorOnlineUrl = nullptr;
    QLineEdit *m_editKorOnlineUrl = nullptr;
    QLabel *m_lblLogDir = nullptr;
    QLineEdit *m_editLogDir = nullptr;
    QPushButton *m_btnLogDir = nullptr;
    QCheckBox *m_checkForUpdatesCheckBox = nullptr;
    LmtSpinnerWidget *m_checkSpinner = nullptr;
    QDialogButtonBox *m_btnsOkCancelReset = nullptr;
};

} // namespace zendrel::lmt::setup
