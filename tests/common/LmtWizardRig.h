#pragma once

#include "common/LmtStandIns.h"
#include "common/LmtTestSupport.h"
#include "ui/LmtMainWindow.h"

#include <QList>
#include <QString>

#include <memory>

namespace zendrel::lmt::setup {
class LmtSetupController;
class LmtToolSelectModel;
} // namespace zendrel::lmt::setup

namespace lmttest {

// The whole wizard for real: the program's own services and controller behind the main window,
// against the vendor stand-in serving the demo catalogue and the launcher-service stand-in,
// which downloads the packages and runs their (real, self-extracting) installers. Everything a
// run writes stays in the rig's sandbox, so create the rig as a member of the test object.
class WizardRig
{
public:
    using View = zendrel::lmt::setup::LmtMainWindow::LmtToolView;

    WizardRig() = default;
    ~WizardRig();
    WizardRig(const WizardRig &) = delete;
    WizardRig &operator=(const WizardRig &) = delete;

    // Starts both stand-ins and points the settings at them; false with the reason in error.
    bool startStandIns(QString *error);
    // Shows the main window of a new controller; true once it shows the select page.
    bool openWindow();
    // Closes the window and stops both stand-ins.
    void shutDown();

    zendrel::lmt::setup::LmtMainWindow *window() const { return m_window.get(); }
    std::shared_ptr<zendrel::lmt::setup::LmtSetupController> controller() const
    {
        return m_controller;
    }
    template<typename T>
    T *child(const char *name) const
    {
        return m_window->findChild<T *>(QString::fromLatin1(name));
    }
    bool waitForView(View view, int timeoutMs = 30000) const;
    zendrel::lmt::setup::LmtToolSelectModel *baseModel() const;
    zendrel::lmt::setup::LmtToolSelectModel *additionalModel() const;

    // Next, the licence agreement when it is asked for, and Start; true when the jobs ended and
    // the launch page shows.
    bool runSelectedJobs() const;
    // Finish on the launch page; true once the refreshed select page shows.
    bool finish() const;

private:
    Sandbox m_sandbox;
    VendorStandIn m_vendor;
    std::shared_ptr<zendrel::lmt::setup::LmtSetupController> m_controller;
    std::unique_ptr<zendrel::lmt::setup::LmtMainWindow> m_window;
};

// The row of a select table whose name column reads name; -1 when there is none.
int rowNamed(const zendrel::lmt::setup::LmtToolSelectModel *model, const QString &name);
// The current user's local registry folder (of the sandbox).
QString userRegistryDirectory();
// The processes whose program lies below folder (an existing folder other than "/"); none when
// the folder does not exist.
QList<qint64> processesRunningFrom(const QString &folder);
// Ends those processes and waits until they are gone; false if one outlives the wait.
bool endProcessesRunningFrom(const QString &folder);

} // namespace lmttest
