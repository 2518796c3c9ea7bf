#include "base/LmtSettings.h"

#include "base/LmtIdentity.h"

#include <QCoreApplication>
#include <QSettings>
#include <QStandardPaths>
#include <QThread>

#include <memory>
#include <mutex>

namespace zendrel::lmt::setup {

QSettings &applicationSettings()
{
    static std::once_flag searchPathSet;
    std::call_once(searchPathSet, [] {
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
            QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
    });
    const auto open = [] {
        return new QSettings(QSettings::IniFormat, QSettings::UserScope,
            QStringLiteral("Zendrel_Technologies_AG"),
            QStringLiteral("Lumetra/%1").arg(sanitizedApplicationName()));
    };
    // A QSettings object is reentrant, not thread-safe: two threads reading grouped keys
    // through one object push and pop the same group stack, read each other's keys and can
    // corrupt it. So every thread has its own object on the one file; Qt shares the file's
    // contents between the objects of a process, so a value set on one thread is read at once
    // on every other.
    const QCoreApplication *const app = QCoreApplication::instance();
    if (!app || QThread::currentThread() == app->thread()) {
        // Deliberately leaked: it must outlive every service that may still save on shutdown.
        static QSettings *const mainThreadSettings = open();
        return *mainThreadSettings;
    }
    // Other threads' objects go with their thread, writing what is still pending.
    thread_local const std::unique_ptr<QSettings> threadSettings(open());
    return *threadSettings;
}

} // namespace zendrel::lmt::setup
