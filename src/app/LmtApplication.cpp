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
    static QSettings *settings = [] {
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
            QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
        // Deliberately leaked: it must outlive every service that may still save on shutdown.
        return new QSettings(QSettings::IniFormat, QSettings::UserScope,
            QStringLiteral("Zendrel_Technologies_AG"),
            QStringLiteral("Lumetra/%1").arg(sanitizedApplicationName()));
    }();
    return *settings;
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
