#include "registry/LmtLocalRegistryParser.h"

#include "model/LmtCoreToolModel.h"
#include "model/LmtLocalToolVersion.h"
#include "model/LmtTool.h"
#include "platform/LmtPlatform.h"
#include "shared_toolkit/Log.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <stdexcept>

namespace zendrel::lmt::setup {

namespace {

const char *const kTag = "[LmtLocalRegistryParser]";
const QString kSetupFeatureId = QStringLiteral("com.zdr.tb.tool.lumetrasetup");

[[noreturn]] void failUnreadable(const QString &path, const QString &reason)
{
    throw std::runtime_error(
        LmtLocalRegistryParser::trLog("Cannot read the registry directory '%1': %2")
            .arg(QDir::toNativeSeparators(path), reason)
            .toStdString());
}

// False when nothing is installed in the directory's scope because it does not exist. A
// directory that exists but cannot be listed, or whose files cannot be reached, throws: the
// tools recorded there are installed, and leaving them out would offer to install them anew.
bool registryDirectoryExists(const QString &path)
{
    QString reason;
    switch (platform::directoryAccess(path, &reason)) {
    case platform::DirectoryAccess::Missing:
        return false;
    case platform::DirectoryAccess::Unreadable:
        failUnreadable(path, reason);
    case platform::DirectoryAccess::Readable:
        break;
    }
    return true;
}

} // namespace

LmtLocalRegistryParser::LmtLocalRegistryParser(std::shared_ptr<LmtCoreToolModel> model,
    std::unique_ptr<ILmtRegistryLocationProvider> locationProvider, QObject *parent)
    : ILmtRegistryParser(parent)
    , LmtBaseRegistryParser(std::move(model))
{
    if (locationProvider)
        m_directories = locationProvider->registryDirectories();
}

void LmtLocalRegistryParser::parse()
{
    qCDebug(lmtLocal).noquote() << kTag << ">> Parse Local tools";
    if (m_directories.isEmpty())
        qCWarning(lmtLocal).noquote()
            << kTag << "No KOR Registry directories provided to be parsed";
    Q_EMIT appendUILog(trLog("Parse Local KOR Registry"), ConsoleMessageType::Auto);

    // Ascending keys: the current user's installations come first.
    for (auto it = m_directories.constBegin(); it != m_directories.constEnd(); ++it) {
        const QString path = it.value().absolutePath();
        try {
            parseDirectory(it.value(), it.key());
            qCInfo(lmtLocal).noquote() << kTag << "<<< Successfully parsed directory:" << path;
        } catch (...) {
            qCCritical(lmtLocal).noquote()
                << kTag << QStringLiteral("Failed to parse directory '%1'").arg(path);
            throw;
        }
    }
    qCDebug(lmtLocal).noquote() << kTag << "<< Parse Local tools";
}

void LmtLocalRegistryParser::parseDirectory(const QDir &directory, int scope)
{
    const QString path = directory.absolutePath();
    qCInfo(lmtLocal).noquote() << kTag << ">>> Scanning directory:" << path;
    if (!registryDirectoryExists(path)) {
        // Nothing has been installed in this scope yet.
        qCInfo(lmtLocal).noquote()
            << kTag << QStringLiteral("Directory '%1' does not exist").arg(path);
        return;
    }

    const QFileInfoList files
        = directory.entryInfoList({ QStringLiteral("*.json") }, QDir::Files, QDir::Unsorted);
    for (const QFileInfo &file : files) {
        const QString filePath = file.filePath();
        try {
            parseFile(filePath, scope);
        } catch (const std::exception &e) {
            qCCritical(lmtLocal).noquote() << kTag
                                           << QStringLiteral("Error parsing file '%1' - %2")
                                                  .arg(filePath, QString::fromUtf8(e.what()));
        }
    }
}

void LmtLocalRegistryParser::parseFile(const QString &filePath, int scope)
{
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly)) {
        qCCritical(lmtLocal).noquote()
            << kTag << QStringLiteral("cannot open registry file '%1' for reading").arg(filePath);
        // Skipped like a broken file, so the other installations stay listed; but the user is
        // told, or a tool that is installed would silently show as not installed.
        Q_EMIT appendUILog(trLog("The Zendrel tools registry file '%1' cannot be read: %2. The "
                                 "installation it records is not listed.")
                               .arg(QDir::toNativeSeparators(filePath), file.errorString()),
            ConsoleMessageType::Warning);
        return;
    }
    qCInfo(lmtLocal).noquote() << kTag << QStringLiteral("Loading json file %1").arg(filePath);
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll());
    if (document.isNull() || document.isEmpty() || !document.isObject())
        throw std::runtime_error(trLog("file does not contain a JSON object").toStdString());
    const QJsonObject entry = document.object();

    const QString typeText = entry.contains("type") ? getString(entry, "type") : QString();
    const QJsonObject attributes
        = entry.contains("attributes") ? getObject(entry, "attributes") : QJsonObject();
    const QString lmtType
        = attributes.contains("lmt-type") ? getString(attributes, "lmt-type") : QString();
    const QString featureId = getString(entry, "featureId");

    // The running setup's own file tells the self-updater where the setup is installed.
    if (featureId == kSetupFeatureId
        && entry.value("version").toString() == QCoreApplication::applicationVersion())
        m_setupInstallScope = scope;

    const LmtToolType type = determineToolType(lmtType, typeText, featureId);
    if (type == LmtToolType::Other)
        return; // not a tool of this family: ignored without a word

    QString title = getString(entry, "title");
    if (title.isEmpty() && type == LmtToolType::ToolsPackage)
        title = QStringLiteral("Lumetra Tools Package");
    const qint64 versionNumeric = getInt(entry, "versionNumeric");
    QString versionText = getString(entry, "version");

    // Only the four-number prefix counts: "3.2.0.1234-beta" is installed version 3.2.0.1234.
    static const QRegularExpression prefix(QStringLiteral("^\\d+\\.\\d+\\.\\d+\\.\\d+"));
    const QRegularExpressionMatch match = prefix.match(versionText);
    if (!match.hasMatch())
        throw std::runtime_error(
            trLog("Cannot parse JSON object version: %1").arg(versionText).toStdString());
    versionText = match.captured(0);

    QString path;
    if (entry.contains("path"))
        path = getString(entry, "path");
    else
        qCDebug(lmtLocal).noquote()
            << kTag
            << QStringLiteral("Missing entry 'path' field in JSON object version: %1")
                   .arg(versionText);

    if (!path.isEmpty() && !QFileInfo::exists(path)) {
        qCWarning(lmtLocal).noquote()
            << kTag << QStringLiteral("Entry path: '%1' does not exists on the disk").arg(path);
        Q_EMIT appendUILog(
            trLog("The Zendrel tools registry file '%1' defines the '%2' installation "
                  "path as '%3', but the file doesn't exist on disk. Consider removing "
                  "the registry file to get rid of this error.")
                .arg(filePath, title, path),
            ConsoleMessageType::Warning);
        return;
    }

    Q_EMIT appendUILog(trLog("Discovered installed tool '%1', version %2").arg(title, versionText),
        ConsoleMessageType::Auto);
    std::shared_ptr<LmtTool> tool = m_model->findTool(featureId);
    if (!tool) {
        tool = LmtTool::create(featureId, type, title, true);
        m_model->addTool(tool);
    }
    const auto version
        = LmtLocalToolVersion::create(versionText, static_cast<quint64>(versionNumeric));
    tool->addVersion(version);

    version->setInstallScope(static_cast<LmtToolInstallScope>(scope));
    if (!path.isEmpty())
        version->setPath(path);
    if (attributes.contains("entry-name"))
        version->setEntryName(getString(attributes, "entry-name"));
    if (entry.contains("uninstallPath"))
        version->setUninstallPath(getString(entry, "uninstallPath"));
    if (entry.contains("dependencies"))
        addDependencies(*version, getArray(entry, "dependencies"));
}

} // namespace zendrel::lmt::setup
