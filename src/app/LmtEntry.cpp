#include "app/LmtEntry.h"

#include "app/LmtApplication.h"
#include "services/LmtServiceTypes.h"
#include "shared_toolkit/Log.h"
#include "ui/LmtMainWindow.h"

#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>

#include <exception>
#include <memory>
#include <stdexcept>

namespace zendrel::lmt::setup {

namespace {

// Builds, shows and runs the window; everything here may throw.
int runEventLoop()
{
    applicationSetup();
    const QString logDirectory = resolveLogDirectory();
    shared_toolkit::initLog(logDirectory,
                            QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName(),
                            true);
    registerMetaTypes();

    auto window = std::make_unique<LmtMainWindow>();
    window->init();
    window->show();
    return QApplication::exec();
}

} // namespace

int runSetupApplication(int argc, char **argv)
{
    int exitCode = 1;
    QApplication application(argc, argv);
    QString failure;
    try {
        exitCode = runEventLoop();
    } catch (const char *text) {
        failure = QString::fromUtf8(text);
    } catch (const QString &text) {
        failure = text;
    } catch (const std::runtime_error &e) {
        failure = QObject::tr("Runtime error: %1").arg(QString::fromUtf8(e.what()));
    } catch (const std::exception &e) {
        failure = QObject::tr("Exception: %1").arg(QString::fromUtf8(e.what()));
    } catch (...) {
        failure = QObject::tr("An unknown exception occurred");
    }
    if (!failure.isEmpty()) {
        qCCritical(lmtLocal).noquote() << failure;
        QMessageBox::critical(nullptr, QGuiApplication::applicationDisplayName(), failure,
                              QMessageBox::Ok);
    }
    return exitCode;
}

} // namespace zendrel::lmt::setup
