#include "LmtScenarioScript.h"
#include "base/LmtSettings.h"
#include "common/LmtFakeServices.h"
#include "common/LmtMessageBoxWatcher.h"
#include "common/LmtModelFixtures.h"
#include "common/LmtTestSupport.h"
#include "model/LmtToolPackage.h"
#include "platform/LmtPlatform.h"
#include "services/LmtSetupSelfUpdater.h"
#include "shared_toolkit/StatusConsole.h"
#include "ui/LmtAbout.h"
#include "ui/LmtElevatePrivilegesDialog.h"
#include "ui/LmtMainWindow.h"
#include "ui/LmtPrefsDialog.h"
#include "ui/LmtToolLaunchView.h"
#include "ui/LmtToolLoadView.h"
#include "views/LmtToolConfigView.h"
#include "views/LmtToolInstallModel.h"
#include "views/LmtToolInstallView.h"
#include "views/LmtToolSelectModel.h"
#include "views/LmtToolSelectView.h"

#include <QAction>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStackedWidget>
#include <QWidgetAction>
#include <QtTest>

#include <atomic>
#include <functional>
#include <stdexcept>

using namespace zendrel::lmt::setup;
using namespace lmttest;
using zendrel::lmt::shared_toolkit::StatusConsole;

namespace {

const QString kToolA = QStringLiteral("com.zdr.tool.alpha");
const QString kToolB = QStringLiteral("com.zdr.tool.beta");

// The texts of the launch page's check boxes, "*" marking the ticked ones.
QString texts(const LmtToolLaunchView &view)
{
    QStringList result;
    for (QCheckBox *box : view.checkBoxes())
        result << box->text() + (box->isChecked() ? "*" : "");
    return result.join(", ");
}

// Acts once on the first modal dialog of type D that comes up while it is alive.
template<typename D>
struct DialogDriver {
    explicit DialogDriver(std::function<void(D *)> action)
    {
        QObject::connect(&timer, &QTimer::timeout, [this, action] {
            auto *dialog = qobject_cast<D *>(QApplication::activeModalWidget());
            if (dialog && !std::exchange(done, true))
                action(dialog);
        });
        timer.start(10);
    }
    QTimer timer;
    bool done = false;
};

void clickButton(QDialog *dialog, const char *buttonBox, QDialogButtonBox::StandardButton which)
{
    dialog->findChild<QDialogButtonBox *>(QString::fromLatin1(buttonBox))->button(which)->click();
}

// The real controller on its own thread, with fake services that serve a small catalogue:
// Alpha (no sign-in needed) offers 2.0.0 and has 1.0.0 installed; Beta (sign-in needed)
// offers 1.0.0. After installed is set, Alpha 2.0.0 is installed too, with a program to run.
struct WindowRig : FakeServices {
    std::shared_ptr<LmtSetupController> controller;
    std::unique_ptr<LmtMainWindow> window; // goes first, as in the program

    LogCapture log;
    std::atomic_bool installed { false };
    std::atomic_bool onlineFails { false };
    QString program;
    std::unique_ptr<MessageBoxWatcher> boxes; // made by play()
    int seenBoxes = 0;
    bool closed = false;
    // Refreshes wait here while a step holds its only permit.
    QSemaphore gate { 1 };
    // Answers the password dialog; whileAsked is the window's state then.
    std::unique_ptr<DialogDriver<LmtElevatePrivilegesDialog>> passwordDriver;
    QString whileAsked;
    // What the config page was answered to its requests for documents: "url text".
    QStringList documents;

    explicit WindowRig(const QString &programPath)
        : program(programPath)
    {
        online->onParse = [this] {
            gate.acquire();
            gate.release();
            if (onlineFails)
                throw std::runtime_error("Invalid JSON");
            for (const bool beta : { false, true }) {
                auto tool = LmtTool::create(
                    beta ? kToolB : kToolA, LmtToolType::Other, beta ? "Beta" : "Alpha", beta);
                // With a package for this platform, as the select page lists only those.
                addOnline(tool, beta ? "1.0.0" : "2.0.0", beta ? 1 : 2)
                    ->addPackage(std::make_shared<LmtToolPackage>(zendrel::lmt::platform::osName(),
                        QUrl("https://downloads.example/tool"), "installer", "exe", 1024));
                model->addTool(tool);
            }
        };
        local->onParse = [this] {
            // Without the online list the installed tool is listed on its own.
            auto alpha = model->findTool(kToolA);
            if (!alpha) {
                alpha = LmtTool::create(kToolA, LmtToolType::Other, "Alpha", false);
                model->addTool(alpha);
            }
            addLocal(alpha, "1.0.0", LmtToolInstallScope::CurrentUser, 1);
            if (installed)
                addLocal(alpha, "2.0.0", LmtToolInstallScope::CurrentUser, 2)->setPath(program);
        };
        downloadManager->replyWith("licence text");
        controller = makeController();
    }
    // A scenario that failed while holding refreshes must not leave the controller waiting.
    ~WindowRig() { gate.release(); }

    LmtMainWindow *open()
    {
        window = std::make_unique<LmtMainWindow>(controller);
        window->init();
        window->show();
        QObject::connect(child<LmtToolConfigView>("m_toolConfigView"),
            &LmtToolConfigView::releaseNotesOrLicenseDataReadyIntnl, window.get(),
            [this](const QString &text, const QString &url) { documents << url + " " + text; });
        return window.get();
    }

    template<typename T>
    T *child(const char *name) const
    {
        return window->findChild<T *>(QString::fromLatin1(name));
    }
    QPushButton *button(const char *name) const { return child<QPushButton>(name); }
    QAction *action(const char *name) const { return child<QAction>(name); }
    QCheckBox *licenceBox() const { return child<QCheckBox>("m_chkAgreeLicense"); }
    QLabel *loginLabel() const { return child<QLabel>("m_lblLogin"); }

    std::shared_ptr<LmtToolVersion> version(const QString &featureId, bool online = true) const
    {
        const auto tool = model->findTool(featureId);
        return (online ? tool->onlineVersions() : tool->localVersions()).value(0);
    }
    // What the user sees, in one line: the page, the shown buttons ("-": disabled), the licence
    // box, the actions that are off (first three letters), the visible one of Login/Logout and
    // the login label ("[text]" shown, "(text)" hidden).
    QString state() const
    {
        const QStringList views { "load", "select", "config", "install", "launch" };
        QStringList parts { views.value(window->currentView(), "none") + ":" };
        if (const int page = child<QStackedWidget>("m_toolViewStack")->currentIndex();
            page != window->currentView())
            parts << QString("page%1").arg(page);
        for (const char *name : { "Retry", "Back", "Next", "Start", "Cancel", "Finish" }) {
            const QPushButton *shown = button(QByteArray("m_btn") + name);
            if (shown->isVisible())
                parts << name + QString(shown->isEnabled() ? "" : "-");
        }
        if (licenceBox()->isVisible())
            parts << (licenceBox()->isChecked() ? "licence[x]" : "licence[ ]");
        QStringList off;
        for (const char *name : { "Login", "Refresh", "Preferences", "Exit", "CheckUpdate" }) {
            if (!action(QByteArray("m_act") + name)->isEnabled())
                off << QString(name).left(3).toLower();
        }
        if (!off.isEmpty())
            parts << "off:" + off.join(',');
        parts << QString(action("m_actLogin")->isVisible() ? "Login" : "")
                + (action("m_actLogout")->isVisible() ? "Logout" : "");
        if (loginLabel()->isVisible() || !loginLabel()->text().isEmpty())
            parts << QString(loginLabel()->isVisible() ? "[%1]" : "(%1)").arg(loginLabel()->text());
        return parts.join(' ');
    }
    // One step of a scenario; tests/data/ui/window-scenarios.txt lists them.
    void act(const QString &step)
    {
        const QStringList words = step.split(' ');
        const QString verb = words.value(0);
        const QString last = words.value(words.size() - 1);
        if (verb == "select" || verb == "remove") {
            // The user ticks or unticks a version on the select page.
            version(words.value(1) == "B" ? kToolB : kToolA, verb != "remove")
                ->setSelected(verb == "select");
            Q_EMIT child<LmtToolSelectView>("m_toolSelectView")->toolSelectionChanged();
        } else if (verb == "agree")
            licenceBox()->click();
        else if (verb == "refresh")
            action("m_actRefresh")->trigger();
        else if (verb == "login")
            Q_EMIT login->loginStateChanged(words[1][0] == '1', words[1][1] == '1', words.value(2));
        else if (verb == "installed" || verb == "failed") {
            installed = verb == "installed";
            Q_EMIT downloader->downloadStatus(installed ? Succeeded : Failed, kToolA, "2.0.0");
            if (installed)
                Q_EMIT installer->installStatus(Succeeded, kToolA, "2.0.0");
        } else if (verb == "offer")
            Q_EMIT selfUpdater->updateAvailable(last);
        else if (verb == "self-update")
            selfUpdater->state = last.toInt();
        else if (verb == "close") {
            if ((closed = window->close()))
                window->show();
        } else if (verb == "answer")
            boxes->setAnswer(last == "Yes" ? QMessageBox::Yes
                    : last == "No"         ? QMessageBox::No
                                           : QMessageBox::Ok);
        else if (verb == "clear")
            journal.clear();
        else if (verb == "preferences") {
            // Answered with OK, after the update site was typed when given.
            DialogDriver<LmtPrefsDialog> driver([url = words.value(1)](LmtPrefsDialog *d) {
                if (!url.isEmpty())
                    d->findChild<QLineEdit *>("m_editKorOnlineUrl")->setText(url);
                clickButton(d, "m_btnsOkCancelReset", QDialogButtonBox::Ok);
            });
            action("m_actPreferences")->trigger();
        } else if (verb == "elevate")
            installer->needsElevation = true;
        else if (verb == "sign-in")
            action("m_actLogin")->trigger();
        else if (verb == "hold")
            gate.acquire();
        else if (verb == "release") {
            // Served after every refresh asked for before it.
            gate.release();
            controller->checkIfUpdateAvailable();
        } else if (verb == "password")
            answerPassword(words[1] == "signed-in", step.section(' ', 2));
        else if (verb == "online")
            onlineFails = last == "fails";
        else if (verb == "document")
            Q_EMIT child<LmtToolConfigView>("m_toolConfigView")->getReleaseNotesOrLicenseData(last);
        else if (verb == "wait")
            QTest::qWait(50);
        else if (!verb.isEmpty())
            QTest::mouseClick(button(QByteArray("m_btn") + verb.toLatin1()), Qt::LeftButton);
    }
    // Arms the answer to the next password dialog: a sign-in that ends meanwhile, then Cancel
    // (no password) or the password, typed again until the dialog closes.
    void answerPassword(bool signIn, const QString &password)
    {
        passwordDriver = std::make_unique<DialogDriver<LmtElevatePrivilegesDialog>>(
            [=](LmtElevatePrivilegesDialog *d) {
                if (signIn) {
                    Q_EMIT login->loginStateChanged(true, true, "jo***@example.com");
                    // The state recorded below tells whether the window heard of it.
                    (void)QTest::qWaitFor(
                        [&] { return loginLabel()->text().startsWith("Logged in"); });
                }
                whileAsked = state();
                if (password.isEmpty())
                    clickButton(d, "m_buttonBox", QDialogButtonBox::Cancel);
                while (!password.isEmpty() && d->isVisible()) {
                    QSignalSpy checked(d, &LmtElevatePrivilegesDialog::validationFinished);
                    d->findChild<QLineEdit *>("m_pwdLineEdit")->setText(password);
                    clickButton(d, "m_buttonBox", QDialogButtonBox::Ok);
                    checked.wait(20000);
                }
            });
    }
    // The entries of a menu or tool bar by object name: widgets by theirs, separators as "-".
    QString entries(const QString &name) const
    {
        QStringList result;
        for (QAction *entry : window->findChild<QWidget *>(name)->actions()) {
            auto *widgetAction = qobject_cast<QWidgetAction *>(entry);
            result << (widgetAction        ? widgetAction->defaultWidget()->objectName()
                    : entry->isSeparator() ? QString("-")
                                           : entry->objectName());
        }
        return result.join(' ');
    }
    // Whether an expectation of a scenario holds now.
    bool holds(const QString &expected)
    {
        const QString what = expected.section(' ', 0, 0);
        const QString rest = expected.section(' ', 1);
        const auto *select = child<LmtToolSelectView>("m_toolSelectView");
        const QObject *named = window->findChild<QObject *>(rest.section(' ', 0, 0));
        if (what == "box:" && boxes->count() > seenBoxes) {
            return boxes->texts().mid(std::exchange(seenBoxes, boxes->count()))
                == QStringList { rest };
        }
        const QStringList calls = journal.entries();
        return what == "prop:"
            ? named->property(rest.section(' ', 1, 1).toLatin1()).toString() == rest.section(' ', 2)
            : what == "log+"      ? log.contains(rest)
            : what == "asked:"    ? passwordDriver->done && whileAsked == rest
            : what == "password:" ? installer->adminPassword == rest
            : what == "stored:"   ? !applicationSettings().value(rest).toByteArray().isEmpty()
            : what == "checked:"
            ? downloadManager->calls().size() == 1 && downloadManager->calls()[0].url == rest
            : what == "parses:"  ? calls.count("online.parse") == rest.toInt()
            : what == "journal+" ? calls.contains(rest)
            : what == "journal-" ? !calls.contains(rest)
            : what == "boxes-"   ? boxes->count() == seenBoxes
            : what == "panel+"   ? child<StatusConsole>("m_logPanel")->toPlainText().contains(rest)
            : what == "closed"   ? closed == (rest == "yes")
            : what == "launched" ? QFile::exists(QFileInfo(program).dir().filePath("launched"))
            : what == "runs:"    ? texts(*child<LmtToolLaunchView>("m_toolLaunchView")) == rest
            : what == "rows:"
            ? child<LmtToolInstallView>("m_toolInstallView")->model()->rowCount() == rest.toInt()
            : what == "offers:"
            ? select->baseModel()->rowCount() + select->additionalModel()->rowCount()
                == rest.toInt()
            : what == "starts:"   ? connector->calls("start").size() == rest.toInt()
            : what == "journal:"  ? calls.join(", ").startsWith(rest)
            : what == "document:" ? documents == QStringList { rest }
            : what == "entries:"  ? entries(rest.section(' ', 0, 0)) == rest.section(' ', 1)
            : what == "A"         ? version(kToolA)->selected() == (rest == "selected")
                                  : state() == expected;
    }
    // Runs a section of tests/data/ui/window-scenarios.txt; see playScenario().
    QString play(const QString &section)
    {
        if (!boxes)
            boxes = std::make_unique<MessageBoxWatcher>(QMessageBox::Ok);
        return playScenario(
            "ui/window-scenarios.txt", section, [this](const QString &step) { act(step); },
            [this](const QString &expected) { return holds(expected); },
            [this] { return state(); });
    }
};

} // namespace

class tst_LmtMainWindow : public QObject
{
    Q_OBJECT

    Sandbox m_sandbox;

    QString program(const QString &name = "alpha")
    {
        const QString path = m_sandbox.filePath("programs/" + name);
        // Leaves a mark when the launch page starts it.
        writeFile(path, "#!/bin/sh\ntouch \"$(dirname \"$0\")/launched\"\n", true);
        QFile::remove(m_sandbox.filePath("programs/launched"));
        return path;
    }

private Q_SLOTS:
    void initTestCase()
    {
        registerMetaTypes();
        // No self-update question at start unless a test asks for it.
        LmtSetupSelfUpdater::setCheckForUpdatesEnabled(false);
        // The password dialog runs "sudo" through PATH; this one, accepting "correct horse", first.
        QVERIFY(writeFile(m_sandbox.filePath("sudo-bin/sudo"), fixture("ui/sudo"), true));
        qputenv("PATH", QFile::encodeName(m_sandbox.filePath("sudo-bin")) + ":" + qgetenv("PATH"));
    }

    void init() { applicationSettings().remove("LmtMainWindow"); }

    // Each row plays sections of tests/data/ui/window-scenarios.txt in turn ("+" between).
    void scenarios_data()
    {
        QTest::addColumn<QString>("sections");
        for (const char *row : { "first refresh fails+retry", "documents", "removals only",
                 "selection needing login", "self-update", "to config+install, launch, select",
                 "to config+installation starts", "to config+dialog cancelled",
                 "to config+dialog cancelled, no sign-in", "to config+four wrong passwords",
                 "to config+failed install+back after the failure" })
            QTest::newRow(row) << QString(row);
    }

    void scenarios()
    {
        QFETCH(QString, sections);
        // Only then is there a self-update question at start.
        LmtSetupSelfUpdater::setCheckForUpdatesEnabled(sections == "self-update");
        const auto off = qScopeGuard([] { LmtSetupSelfUpdater::setCheckForUpdatesEnabled(false); });
        WindowRig rig(program());
        rig.onlineFails = sections.startsWith("first refresh fails");
        rig.open();
        QString failures;
        for (const QString &section : sections.split('+'))
            failures += rig.play(section);
        QCOMPARE(failures, QString());
    }

    void geometryFallsBackWhenOffScreen()
    {
        const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
        const auto shown = [this](const QVariant &stored) {
            stored.isValid() ? applicationSettings().setValue("LmtMainWindow/geometry", stored)
                             : applicationSettings().remove("LmtMainWindow");
            WindowRig rig(program());
            LmtMainWindow *window = rig.open();
            return QRect(window->pos(), window->size());
        };
        const auto geometry = [](const QRect &rect) {
            QWidget probe;
            probe.setGeometry(rect);
            return probe.saveGeometry();
        };
        // Centred for half the available size; shown at least as large as the pages need.
        const QSize requested(qRound(available.width() / 2.0), qRound(available.height() / 2.0));
        const QRect fallBack(QPoint((available.width() - requested.width()) / 2,
                                 (available.height() - requested.height()) / 2),
            requested.expandedTo(WindowRig(program()).open()->minimumSizeHint()));

        // Nothing stored, or a stored rectangle on a screen that is gone; a rectangle on the
        // screen is kept; unreadable data counts as none.
        QCOMPARE(shown(QVariant()), fallBack);
        QCOMPARE(shown(geometry({ available.right() + 4000, available.bottom() + 4000, 700, 700 })),
            fallBack);
        QCOMPARE(shown(geometry({ available.x() + 10, available.y() + 20, 600, 500 })).size(),
            QSize(600, 500));
        QCOMPARE(shown(QByteArray("garbage")).size(), fallBack.size());
    }

    // Icons are loaded once per palette and kept; About and Help.
    void iconsMenusAboutAndHelp()
    {
        WindowRig rig(program());
        LmtMainWindow *window = rig.open();
        const auto icons = [&rig] {
            return QList<qint64> { rig.action("m_actLogin")->icon().cacheKey(),
                rig.action("m_actRefresh")->icon().cacheKey() };
        };
        const QList<qint64> light = icons();
        for (const bool dark : { true, false }) {
            QPalette palette = window->palette();
            palette.setColor(QPalette::Window, dark ? Qt::black : Qt::white);
            palette.setColor(QPalette::WindowText, dark ? Qt::white : Qt::black);
            window->setPalette(palette);
            QCOMPARE(icons()[0] != light[0], dark);
        }
        QCOMPARE(icons(), light);

        QStringList shown;
        DialogDriver<QMessageBox> driver([&](QMessageBox *box) {
            shown << box->windowTitle() << box->text();
            QCOMPARE(box->parentWidget(), window);
            box->accept();
        });
        rig.action("m_actAbout")->trigger();
        QCOMPARE(shown, QStringList({ "About", aboutText() }));

        const QString appDir = QCoreApplication::applicationDirPath();
        QDir(appDir).rmdir("docs");
        MessageBoxWatcher answerer(QMessageBox::Ok);
        window->showHelp();
        QDir(appDir).mkdir("docs");
        window->showHelp();
        QDir(appDir).rmdir("docs");
        QCOMPARE(answerer.texts(),
            (QStringList { "Cannot find 'docs' folder in: " + appDir,
                "Cannot find help file: " + appDir + "/docs/LumetraSetup.pdf" }));
    }

    // The load and launch pages on their own.
    void loadViewStates()
    {
        LmtToolLoadView view;
        view.show();
        // Animation running, loader shown, error shown, after each state; the constructor
        // applies the idle state, unknown states change nothing.
        QStringList shows;
        for (const int state : { -1, int(LmtToolLoadView::Loading), int(LmtToolLoadView::Error), 7,
                 int(LmtToolLoadView::Idle) }) {
            if (state >= 0)
                view.setState(state);
            shows << QString("%1%2%3")
                         .arg(view.isAnimationRunning())
                         .arg(view.loaderLabel()->isVisible())
                         .arg(view.errorLabel()->isVisible());
            // The loader really turns: its frame changes while loading.
            const QImage first = view.loaderLabel()->pixmap().toImage();
            if (state == LmtToolLoadView::Loading)
                QTRY_VERIFY_WITH_TIMEOUT(view.loaderLabel()->pixmap().toImage() != first, 5000);
        }
        QCOMPARE(shows.join(' '), "010 110 001 001 010");
    }

    void launchViewOffersInstalledTools()
    {
        auto model = std::make_shared<LmtCoreToolModel>();
        LmtToolLaunchView view;
        // An installed tool; its program exists unless the program is named "missing".
        const auto install = [&](LmtToolType type, const QString &name, const QString &run) {
            auto tool = LmtTool::create("com.zdr." + name, type, name);
            model->addTool(tool);
            auto version = addLocal(tool, "1.0.0");
            version->setPath(
                run == "missing" ? m_sandbox.filePath("programs/missing") : program(run));
            return version;
        };
        view.updateToolsData(model, false);
        QCOMPARE(view.infoLabel()->text(),
            QString("Setup has finished installing the requested packages."));

        install(LmtToolType::ContentPack, "Pack", "pack");
        addOnline(model->findTool("com.zdr.Pack"), "3.0.0");
        install(LmtToolType::External, "Ext", "ext")->setEntryName("Ext Studio");
        install(LmtToolType::Other, "Gone", "missing");
        view.updateToolsData(model, true);
        QCOMPARE(view.infoLabel()->text(),
            QString("Setup has finished uninstalling the requested packages."));
        // Sorted by text; without the tools package every box starts ticked; a missing
        // program is not offered.
        QCOMPARE(texts(view), "Run Ext Studio*, Run Pack*");
        QVERIFY(view.checkBoxes().first()->contentsMargins().left() >= 10);

        // Offered once only; with the tools package installed, only its box starts ticked.
        install(LmtToolType::ToolsPackage, "Lumetra", "main");
        install(LmtToolType::ContentPack, "Pack Two", "pack2");
        view.updateToolsData(model, false);
        QCOMPARE(texts(view), "Run Lumetra*, Run Pack Two");
    }
};

QTEST_MAIN(tst_LmtMainWindow)
#include "tst_LmtMainWindow.moc"
