#include "registry/LmtOnlineRegistryParser.h"

#include "model/LmtCoreToolModel.h"
#include "model/LmtOnlineToolVersion.h"
#include "model/LmtTool.h"
#include "model/LmtToolPackage.h"
#include "platform/LmtPlatform.h"
#include "registry/LmtJsonArrayEntries.h"
#include "services/ILmtDownloadManager.h"
#include "services/LmtAccessToken.h"
#include "services/LmtDownloadSettings.h"
#include "shared_toolkit/Log.h"

#include <QJsonDocument>
#include <QJsonParseError>
#include <QJsonValue>
#include <QMap>

#include <stdexcept>

namespace zendrel::lmt::setup {

namespace {

const char *const kTag = "[LmtOnlineRegistryParser]";

const QString kCurrentUser = QStringLiteral("current-user");
const QString kAllUsers = QStringLiteral("all-users");
const QString kIgnore = QStringLiteral("lmt-ignore");

// Member of a version's attributes that holds what applies to the running platform
// ("windows" on Windows, "linux" here).
const QString &platformMember()
{
    static const QString key = platform::platformKey();
    return key;
}

// The per-platform attributes of a version; an empty object when the version has none.
QJsonObject platformAttributes(const QJsonObject &versionAttributes)
{
    return versionAttributes.value(platformMember()).toObject();
}

bool hasPlatformAttributes(const QJsonObject &versionAttributes)
{
    return versionAttributes.value(platformMember()).isObject();
}

} // namespace

LmtOnlineRegistryParser::LmtOnlineRegistryParser(
    std::shared_ptr<ILmtDownloadManager> downloadManager, std::shared_ptr<LmtCoreToolModel> model,
    QObject *parent)
    : ILmtOnlineRegistryParser(parent)
    , LmtBaseRegistryParser(std::move(model))
    , m_downloadManager(std::move(downloadManager))
{
}

QUrl LmtOnlineRegistryParser::registryUrl()
{
    QUrl url(korOnlineUrl());
    url.setQuery(QStringLiteral("dependencies=true"));
    return url;
}

QString LmtOnlineRegistryParser::tokenForLog() const
{
    const bool present = m_accessToken && !m_accessToken->accessToken().isEmpty();
    return present ? QStringLiteral("\"[REDACTED]\"") : QStringLiteral("\"Empty\"");
}

void LmtOnlineRegistryParser::setAccessToken(std::shared_ptr<LmtAccessToken> token)
{
    m_accessToken = std::move(token);
    qCInfo(lmtLocal).noquote() << kTag << QStringLiteral("setAccessToken(): ") + tokenForLog();
}

void LmtOnlineRegistryParser::parse()
{
    qCDebug(lmtLocal).noquote() << kTag << ">> Parse Online Tools";

    const QUrl url = registryUrl();
    // The update site may carry a user name and password: neither the panel nor the log shows
    // the password.
    const QString shownUrl = url.toDisplayString();
    Q_EMIT appendUILog(
        trLog("Parse Online KOR Registry, url: %1").arg(shownUrl), ConsoleMessageType::Auto);
    qCInfo(lmtLocal).noquote() << kTag
                               << QStringLiteral(
                                      "Requesting online tool data from Url: %1, Token: %2")
                                      .arg(shownUrl, tokenForLog());
    QByteArray reply = m_downloadManager->getData(url, m_accessToken);

    if (reply.isEmpty())
        throw std::runtime_error(
            trLog("Received empty reply from the remote KOR registry site").toStdString());

    // Read one entry at a time where the reply allows that: the whole document's parse builds
    // a tree several times the reply's size, all of it held until the last entry is read.
    LmtJsonArrayEntries entries;
    QJsonArray wholeDocument;
    const bool oneByOne = entries.split(reply);
    if (!oneByOne) {
        // Every other document, and every fault, is left to the whole-document parse.
        QJsonParseError parseError;
        const QJsonDocument document = QJsonDocument::fromJson(reply, &parseError);
        if (parseError.error != QJsonParseError::NoError || document.isNull() || document.isEmpty())
            throw std::runtime_error(
                trLog("Error parsing JSON: '%1'").arg(parseError.errorString()).toStdString());
        if (!document.isArray())
            throw std::runtime_error(trLog("Error parsing JSON - invalid document format, network "
                                           "reply does not contain a JSON array")
                                         .toStdString());
        wholeDocument = document.array();
    }
    reply = QByteArray(); // the entries, if split, keep the bytes they need
    const qsizetype count = oneByOne ? entries.size() : wholeDocument.size();
    m_strings.clear();

    // Survives from one entry to the next: an entry that fails before its own featureId was
    // read is reported under the previous one.
    QString featureId;
    for (qsizetype i = 0; i < count; ++i) {
        const QJsonValue entry = oneByOne ? entries.at(i) : wholeDocument.at(i);
        if (!entry.isObject()) {
            qCCritical(lmtLocal).noquote()
                << kTag << "Error parsing JSON object - invalid object format";
            continue;
        }
        try {
            parseTool(entry.toObject(), featureId);
        } catch (const std::exception &e) {
            qCWarning(lmtLocal).noquote()
                << kTag
                << QStringLiteral("Error parsing JSON tool object '%1': %2 - Skipping")
                       .arg(featureId, QString::fromUtf8(e.what()));
        }
    }

    m_strings.clear();
    qCDebug(lmtLocal).noquote() << kTag << "<< Parse Online Tools";
}

void LmtOnlineRegistryParser::parseTool(const QJsonObject &toolObject, QString &featureId)
{
    const QString typeText
        = toolObject.contains("type") ? getString(toolObject, "type") : QString();
    QString lmtType;
    bool loginRequired = true;
    bool patchUpdatable = true;
    if (toolObject.contains("additionalAttributes")) {
        const QJsonObject attributes = getObject(toolObject, "additionalAttributes");
        if (attributes.contains("lmt-type"))
            lmtType = getString(attributes, "lmt-type");
        if (attributes.contains("login-required"))
            loginRequired = getBool(attributes, "login-required");
        if (attributes.contains("isPatchVersionUpdatable"))
            patchUpdatable = getBool(attributes, "isPatchVersionUpdatable");
    }

    const LmtToolType type = determineToolType(lmtType, typeText, QString());
    if (type == LmtToolType::Other)
        return; // not one of ours: dropped without a word

    featureId = getString(toolObject, "featureId");
    const qint64 toolId = getInt(toolObject, "id");
    const QString name = getString(toolObject, "name");
    const QJsonObject versions = getObject(toolObject, "versions");

    std::shared_ptr<LmtTool> tool;
    // QJsonObject iterates its members in ascending order of their names.
    for (auto it = versions.constBegin(); it != versions.constEnd(); ++it) {
        const QJsonObject versionObject = it->toObject();
        const QJsonObject versionAttributes = versionObject.contains("additionalAttributes")
            ? getObject(versionObject, "additionalAttributes")
            : QJsonObject();
        if (isIgnored(versionAttributes))
            continue;

        const QString versionText = getString(versionObject, "version");
        const qint64 versionNumeric = getInt(versionObject, "versionNumeric");
        const qint64 versionId = getInt(versionObject, "id");

        // Looked up once per entry: the model's lookup is a linear scan, and every version of
        // an entry belongs to the same tool.
        if (!tool)
            tool = m_model->findTool(featureId);
        if (!tool) {
            tool = LmtTool::create(featureId, type, name, loginRequired);
            m_model->addTool(tool);
        }
        tool->setName(name);
        tool->setId(toolId);
        tool->setIsPatchVersionUpdatable(patchUpdatable);

        if (tool->hasVersion(versionText))
            throw std::runtime_error(trLog("Version '%1' already present in the Core Tool Model")
                                         .arg(versionText)
                                         .toStdString());

        const auto version = LmtOnlineToolVersion::create(
            versionText, static_cast<quint64>(versionNumeric), versionId);
        tool->addVersion(version);
        Q_EMIT appendUILog(
            trLog("Discovered available tool '%1', version %2").arg(name, versionText),
            ConsoleMessageType::Auto);

        addPackages(*version, getArray(versionObject, "downloadUrls"));
        if (versionObject.contains("dependencies"))
            addDependencies(*version, getArray(versionObject, "dependencies"), &m_strings);
        applyPlatformAttributes(*version, versionAttributes);
    }
}

bool LmtOnlineRegistryParser::isIgnored(const QJsonObject &versionAttributes)
{
    // The platform's own flag counts only where the version-level flag is present and false.
    if (!versionAttributes.contains(kIgnore))
        return false;
    if (getBool(versionAttributes, kIgnore))
        return true;
    if (!hasPlatformAttributes(versionAttributes))
        return false;
    const QJsonObject platformObject = platformAttributes(versionAttributes);
    return platformObject.contains(kIgnore) && getBool(platformObject, kIgnore);
}

void LmtOnlineRegistryParser::addPackages(
    LmtOnlineToolVersion &version, const QJsonArray &downloadUrls)
{
    for (const QJsonValue &entry : downloadUrls) {
        const QJsonObject package = entry.toObject();
        const QString url = getString(package, "url");
        const QString os = m_strings.shared(getString(package, "os"));
        getString(package, "architecture"); // required, though nothing uses it
        const QString kind = m_strings.shared(getString(package, "kind"));
        const QString fileType = m_strings.shared(getString(package, "filetype"));
        const double megabytes = getDouble(package, "filesize");
        version.addPackage(std::make_shared<LmtToolPackage>(
            os, QUrl(url), kind, fileType, LmtToolPackage::bytesFromMegabytes(megabytes)));
    }
}

void LmtOnlineRegistryParser::applyPlatformAttributes(
    LmtOnlineToolVersion &version, const QJsonObject &versionAttributes)
{
    QMap<LmtToolInstallScope, QString> scopes { { LmtToolInstallScope::CurrentUser, QString() },
        { LmtToolInstallScope::AllUsers, QString() } };
    if (hasPlatformAttributes(versionAttributes)) {
        const QJsonObject attributes = platformAttributes(versionAttributes);
        if (attributes.contains("silent-install"))
            version.setSilentInstall(getBool(attributes, "silent-install"));

        if (attributes.contains("install-mode")) {
            const QString mode = getString(attributes, "install-mode");
            if (mode == kCurrentUser)
                scopes.remove(LmtToolInstallScope::AllUsers);
            else if (mode == QLatin1String("all-users-only"))
                scopes.remove(LmtToolInstallScope::CurrentUser);
        }

        if (attributes.contains("installation-directory")) {
            const QJsonValue directory = attributes.value("installation-directory");
            if (directory.isString()) {
                for (QString &text : scopes)
                    text = directory.toString();
            } else if (directory.isObject()) {
                // A directory named for a scope offers that scope even where install-mode
                // had left it out.
                const QJsonObject perScope = directory.toObject();
                if (perScope.contains(kCurrentUser))
                    scopes[LmtToolInstallScope::CurrentUser] = getString(perScope, kCurrentUser);
                if (perScope.contains(kAllUsers))
                    scopes[LmtToolInstallScope::AllUsers] = getString(perScope, kAllUsers);
            }
        }

        if (attributes.contains("recommended-mode")) {
            const QString mode = getString(attributes, "recommended-mode");
            if (mode == kCurrentUser)
                version.setRecommendedScope(LmtToolInstallScope::CurrentUser);
            else if (mode == kAllUsers)
                version.setRecommendedScope(LmtToolInstallScope::AllUsers);
        } else if (scopes.size() == 1) {
            version.setRecommendedScope(scopes.firstKey());
        }
    }

    for (auto it = scopes.constBegin(); it != scopes.constEnd(); ++it)
        version.setInstallDirectoryFor(it.key(), it.value());
    const LmtToolInstallScope scope = version.recommendedScope();
    version.setInstallScope(scope);
    version.setInstallDirectory(version.installDirectoryFor(scope));
}

} // namespace zendrel::lmt::setup
