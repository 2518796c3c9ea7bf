#include "app/LmtApplication.h"

#include "platform/LmtPlatform.h"
#include "registry/LmtKorRegistryLocationProvider.h"
#include "shared_toolkit/Log.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QIcon>
#include <QLocale>
#include <QMessageBox>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <stdexcept>

namespace zendrel::lmt::setup {

namespace {

const char *const kFirstYear = "2023";
const char *const kLauncherServiceLog =
    "Zendrel_Technologies_AG/Launcher-Service/resources/logs/launcher-service.log";

bool isValidVersion(qint64 major, qint64 minor, qint64 patch, qint64 build)
{
    const qint64 parts[] = {major, minor, patch, build};
    bool absentSeen = false;
    for (qint64 part : parts) {
        if (part == -1) {
            absentSeen = true;
            continue;
        }
        if (part < 0 || absentSeen)
            return false;
    }
    return major >= 0;
}

} // namespace

LmtVersion::LmtVersion(qint64 major, qint64 minor, qint64 patch, qint64 build)
    : m_major(major)
    , m_minor(minor)
    , m_patch(patch)
    , m_build(build)
{
    if (!isValidVersion(major, minor, patch, build))
        throw std::runtime_error("Invalid version");
}

QString LmtVersion::toString() const
{
    QStringList parts;
    for (qint64 part : {m_major, m_minor, m_patch, m_build}) {
        if (part < 0)
            break;
        parts << QString::number(part);
    }
    return parts.join(QLatin1Char('.'));
}

QString LmtVersion::shortText() const
{
    return QStringLiteral("%1.%2").arg(m_major).arg(qMax<qint64>(m_minor, 0));
}

QString productName()
{
    return QString::fromUtf8("Lumetra\u2122 Setup");
}

const LmtVersion &productVersion()
{
    static const LmtVersion version(1, 2, 0, 787);
    return version;
}

QString applicationDisplayName()
{
    return QStringLiteral("%1 %2").arg(productName(), productVersion().shortText());
}

QString sanitizeApplicationName(const QString &name)
{
    static const QRegularExpression forbidden(QStringLiteral("[<>:\"/\\\\|?*]"));
    QString result = name;
    result.remove(forbidden);
    QString ascii;
    ascii.reserve(result.size());
    for (QChar c : result) {
        if (c.unicode() < 127)
            ascii.append(c);
    }
    return ascii;
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
        // Deliberately leaked: it must outlive every service that may save on shutdown.
        return new QSettings(QSettings::IniFormat, QSettings::UserScope,
                             QStringLiteral("Zendrel_Technologies_AG"),
                             QStringLiteral("Lumetra/%1").arg(sanitizedApplicationName()));
    }();
    return *settings;
}

void applicationSetup()
{
    QCoreApplication::setApplicationVersion(productVersion().toString());
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QCoreApplication::setApplicationName(productName());
    QGuiApplication::setApplicationDisplayName(applicationDisplayName());
    const QIcon icon(QStringLiteral(":images/setup"));
    if (!icon.isNull())
        QApplication::setWindowIcon(icon);
    QApplication::setFont(QApplication::font("QMenu"));
    QCoreApplication::setApplicationName(sanitizedApplicationName());
}

QString resolveLogDirectory()
{
    QSettings &settings = applicationSettings();
    const QString key = QStringLiteral("LmtGeneralSettings/LogDir");
    QString directory = settings.value(key).toString();
    if (directory.isEmpty() || !QFileInfo::exists(directory)) {
        directory = QDir::tempPath();
        settings.setValue(key, directory);
        settings.sync();
    }
    return directory;
}

bool logDirectoryWritable(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists() || !info.isDir())
        return false;
    QTemporaryFile probe(path + QStringLiteral("/lmtsetup_tmp.file"));
    return probe.open(); // removed again when probe goes out of scope
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

QString aboutYearRange(const QString &buildYear)
{
    if (buildYear == QLatin1String(kFirstYear))
        return QString::fromLatin1(kFirstYear);
    return QObject::tr("%1-%2").arg(QString::fromLatin1(kFirstYear), buildYear);
}

QString aboutText()
{
    const QString buildDate = QStringLiteral(__DATE__);
    QString text = QObject::tr("<h3>%1</h3><p>Version %2</p>"
                               "<p>Copyright &copy; %3 Zendrel Technologies AG. All rights "
                               "reserved.</p><p><a href=\"https://www.zendrel-tech.example/\">"
                               "www.zendrel-tech.example</a></p>")
                       .arg(productName(), productVersion().toString(),
                            aboutYearRange(buildDate.right(4)));
    const QString launcherLog =
        QStandardPaths::locate(QStandardPaths::GenericDataLocation,
                               QString::fromLatin1(kLauncherServiceLog), QStandardPaths::LocateFile);
    const QString logFile = shared_toolkit::Log::instance().fileName();
    if (!logFile.isEmpty())
        text += QObject::tr("<p>Log(s): <a href=\"file:///%1\">%1</a>").arg(logFile);
    if (!launcherLog.isEmpty())
        text += QObject::tr("<p>KOR Launcher Service Log(s): <a href=\"file:///%1\">%1</a>")
                    .arg(launcherLog);
    return text;
}

void showAbout(QWidget *parent)
{
    QMessageBox::about(parent, QObject::tr("About"), aboutText());
}

} // namespace zendrel::lmt::setup
