#include "app/LmtApplication.h"

#include "platform/LmtPlatform.h"
#include "registry/LmtKorRegistryLocationProvider.h"
#include "shared_toolkit/Log.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QIcon>
#include <QLocale>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QThread>

#include <memory>
#include <mutex>

namespace zendrel::lmt::setup {

namespace {

const QString kGeneralGroup = QStringLiteral("LmtGeneralSettings");
const QString kLogDirKey = QStringLiteral("LogDir");

} // namespace

QString productName()
{
    return QString::fromUtf8("Lumetra\u2122 Setup");
}

const LmtVersion &productVersion()
{
    static const LmtVersion version(kProductVersionNumbers.major, kProductVersionNumbers.minor,
        kProductVersionNumbers.patch, kProductVersionNumbers.build);
    return version;
}

QString applicationDisplayName()
{
    return QStringLiteral("%1 %2").arg(productName(), productVersion().shortText());
}

QString sanitizeApplicationName(const QString &name)
{
    // The characters Windows refuses in file names, in one character class.
    static const QRegularExpression forbidden(QStringLiteral("[<>:\"/\\\\|?*]"));
    QString withoutForbidden = name;
    withoutForbidden.remove(forbidden);
    QString result;
    result.reserve(withoutForbidden.size());
    for (QChar c : withoutForbidden) {
        if (c.unicode() < 127)
            result.append(c);
    }
    return result;
}

QString sanitizedApplicationName()
{
    static const QString name = sanitizeApplicationName(productName());
    return name;
}

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

void applicationSetup(const LmtVersionNumbers &numbers)
{
    QCoreApplication::setApplicationVersion(QStringLiteral("%1.%2.%3.%4")
                                                .arg(numbers.major)
                                                .arg(numbers.minor)
                                                .arg(numbers.patch)
                                                .arg(numbers.build));
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    const LmtVersion version(numbers.major, numbers.minor, numbers.patch, numbers.build);
    QCoreApplication::setApplicationName(productName());
    QGuiApplication::setApplicationDisplayName(
        QStringLiteral("%1 %2").arg(productName(), version.shortText()));
    const QIcon icon(QStringLiteral(":images/setup"));
    if (!icon.isNull())
        QApplication::setWindowIcon(icon);
    QApplication::setFont(QApplication::font("QMenu"));
}

QString resolveLogDirectory()
{
    QSettings &settings = applicationSettings();
    settings.beginGroup(kGeneralGroup);
    QString directory = settings.value(kLogDirKey).toString();
    if (directory.isEmpty() || !QFileInfo::exists(directory)) {
        directory = QDir::tempPath();
        settings.setValue(kLogDirKey, directory);
    }
    settings.endGroup();
    settings.sync();
    return directory;
}

bool logDirectoryWritable(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists() || !info.isDir())
        return false;
    QTemporaryFile probe(path + QStringLiteral("/lmtsetup_tmp.file"));
    return probe.open(); // the probe is removed when it goes out of scope
}

QDir downloadsDirectory()
{
    const QMap<int, QDir> locations = LmtKorRegistryLocationProvider().registryDirectories();
    QDir directory = locations.isEmpty() ? QDir() : locations.first();
    if (directory.exists(QStringLiteral("Tools")))
        directory.cd(QStringLiteral("Tools"));
    return QDir(directory.absolutePath());
}

QString fileUrlPrefix()
{
    return platform::fileUrlPrefix();
}

QString logFolder()
{
    const QString file = shared_toolkit::Log::instance().fileName();
    if (file.isEmpty())
        return {};
    QDir dir = QFileInfo(file).absoluteDir();
    dir.cdUp();
    return dir.absolutePath();
}

} // namespace zendrel::lmt::setup
