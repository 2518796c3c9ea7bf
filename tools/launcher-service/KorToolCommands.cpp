#include "KorToolCommands.h"

#include "KorConsole.h"
#include "KorHttpClient.h"
#include "KorInstalledVersions.h"
#include "KorInstallerRunner.h"
#include "KorInstanceRecord.h"
#include "KorPackageDownloader.h"
#include "KorPaths.h"
#include "platform/LmtPlatform.h"
#include "shared_toolkit/Log.h"

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

#include <stdexcept>

namespace zendrel::lmt::korservice {

namespace {

const int kRegistryTimeoutMs = 60000;
const int kServiceTimeoutMs = 5000;
// Tests set it to make the disk "fill up" during a download (see main.cpp).
const char *const kDiskFreeVariable = "KOR_TEST_DISK_FREE_BYTES";

// "<featureId>:<version>" -> both parts; false when either is missing.
bool splitToolVersion(const QString &text, QString *featureId, QString *version)
{
    const qsizetype colon = text.indexOf(QLatin1Char(':'));
    if (colon <= 0 || colon == text.size() - 1)
        return false;
    *featureId = text.left(colon);
    *version = text.mid(colon + 1);
    return true;
}

int reportFailure(const QString &verb, const QString &error)
{
    printError(QStringLiteral("%1 failed: %2").arg(verb, error));
    return 1;
}

} // namespace

std::optional<KorVerb> KorVerb::parse(const QStringList &arguments, QString *error)
{
    const qsizetype separator = arguments.indexOf(QStringLiteral("--"));
    const QStringList own = separator < 0 ? arguments : arguments.mid(0, separator);
    QStringList words = own.join(QLatin1Char(' ')).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.isEmpty()) {
        *error = QStringLiteral("-kor.service needs a verb");
        return std::nullopt;
    }
    KorVerb verb;
    verb.name = words.takeFirst();
    verb.operands = words;
    if (separator >= 0)
        verb.installerSwitches = arguments.mid(separator + 1);
    const bool knownVerb = verb.name == QLatin1String("downloadOnly")
        || verb.name == QLatin1String("installOnly") || verb.name == QLatin1String("checkUpdate");
    if (!knownVerb) {
        *error = QStringLiteral("Unknown verb '%1'").arg(verb.name);
        return std::nullopt;
    }
    if (verb.operands.size() < 2) {
        *error = QStringLiteral("%1 needs a tool and a registry URL").arg(verb.name);
        return std::nullopt;
    }
    return verb;
}

QUrl registryRequestUrl(const QString &text)
{
    QUrl url(text, QUrl::StrictMode);
    const QString scheme = url.scheme();
    if (!url.isValid()
        || (scheme != QLatin1String("http") && scheme != QLatin1String("https")
            && scheme != QLatin1String("file")))
        return {};
    if (!url.hasQuery() && scheme != QLatin1String("file"))
        url.setQuery(QStringLiteral("dependencies=true"));
    return url;
}

bool sameOrigin(const QUrl &a, const QUrl &b)
{
    return a.scheme() == b.scheme() && a.host().compare(b.host(), Qt::CaseInsensitive) == 0
        && a.port(a.scheme() == QLatin1String("https") ? 443 : 80)
        == b.port(b.scheme() == QLatin1String("https") ? 443 : 80);
}

int KorToolCommands::run(const KorVerb &verb)
{
    const QUrl registryUrl = registryRequestUrl(verb.operands.at(1));
    if (!registryUrl.isValid())
        return reportFailure(
            verb.name, QStringLiteral("'%1' is not a registry URL").arg(verb.operands.at(1)));
    try {
        if (verb.name == QLatin1String("checkUpdate"))
            return checkUpdate(verb.operands.at(0), registryUrl);
        QString featureId;
        QString version;
        if (!splitToolVersion(verb.operands.at(0), &featureId, &version))
            return reportFailure(verb.name,
                QStringLiteral("'%1' is not <featureId>:<version>").arg(verb.operands.at(0)));
        if (verb.name == QLatin1String("downloadOnly"))
            return downloadOnly(featureId, version, registryUrl);
        return installOnly(featureId, version, registryUrl, verb.installerSwitches);
    } catch (const std::exception &e) {
        return reportFailure(verb.name, QString::fromUtf8(e.what()));
    }
}

int KorToolCommands::downloadOnly(
    const QString &featureId, const QString &version, const QUrl &registryUrl)
{
    const KorPackageOffer offer = findOffer(featureId, version, registryUrl);
    KorPackageDownloader::Job job;
    job.url = offer.url;
    job.targetPath = packagePath(offer);
    job.sha256 = offer.sha256;
    bool limited = false;
    const qint64 freeBytes = qEnvironmentVariable(kDiskFreeVariable).toLongLong(&limited);
    if (limited && freeBytes >= 0)
        job.diskFreeBytes = freeBytes;
    if (sameOrigin(offer.url, registryUrl))
        job.bearerToken = currentToken();
    else if (offer.loginRequired)
        qCWarning(lmtLocal).noquote() << "[KorToolCommands]"
                                      << "Package" << offer.url.toString()
                                      << "is not served by the registry's host: sent without "
                                         "the access token";

    KorPackageDownloader downloader;
    QEventLoop loop;
    QString lastShown;
    bool ok = false;
    QString error;
    QObject::connect(&downloader, &KorPackageDownloader::progress, [&lastShown](double percent) {
        const QString shown = QString::number(percent, 'f', 1);
        if (shown != lastShown)
            printProgress(shown + QStringLiteral("% completed"));
        lastShown = shown;
    });
    QObject::connect(&downloader, &KorPackageDownloader::finished,
        [&loop, &ok, &error](bool success, const QString &reason) {
            ok = success;
            error = reason;
            loop.quit();
        });
    // finished may come from start() itself (nothing to do, or refused at once).
    bool ended = false;
    QObject::connect(&downloader, &KorPackageDownloader::finished, [&ended] { ended = true; });
    downloader.start(job);
    if (!ended)
        loop.exec();
    return ok ? 0 : reportFailure(QStringLiteral("downloadOnly"), error);
}

int KorToolCommands::installOnly(const QString &featureId, const QString &version,
    const QUrl &registryUrl, const QStringList &switches)
{
    const KorPackageOffer offer = findOffer(featureId, version, registryUrl);
    const QString path = packagePath(offer);
    if (!QFileInfo(path).isFile())
        throw std::runtime_error(
            QStringLiteral("Package %1 has not been downloaded").arg(path).toStdString());
    // The file may have been replaced since it was downloaded: never run what was not offered.
    if (!offer.sha256.isEmpty() && KorPackageDownloader::sha256Of(path) != offer.sha256)
        throw std::runtime_error(QStringLiteral("Package %1 does not match the registry's SHA-256")
                                     .arg(path)
                                     .toStdString());
    qCInfo(lmtLocal).noquote() << "[KorToolCommands]"
                               << "Installing" << featureId << version << "from" << path;
    return KorInstallerRunner().run(path, switches);
}

int KorToolCommands::checkUpdate(const QString &featureId, const QUrl &registryUrl)
{
    const QVersionNumber offered
        = fetchRegistry(registryUrl).newestVersion(featureId, platform::osName());
    const QVersionNumber installed
        = KorInstalledVersions({ paths::registryDirectory(0), paths::registryDirectory(1) })
              .newest(featureId);
    qCInfo(lmtLocal).noquote() << "[KorToolCommands]"
                               << "checkUpdate" << featureId << "offered:" << offered.toString()
                               << "installed:" << installed.toString();
    // Installing something that is not there is not an update.
    if (!offered.isNull() && !installed.isNull() && offered > installed)
        printLine(QStringLiteral("Update is available %1:%2").arg(featureId, offered.toString()));
    else
        printLine(QStringLiteral("update is not available"));
    return 0;
}

KorRegistryDocument KorToolCommands::fetchRegistry(const QUrl &registryUrl)
{
    qCInfo(lmtLocal).noquote() << "[KorToolCommands]"
                               << "Reading registry" << registryUrl.toString();
    const KorHttpResult reply = KorHttpClient(kRegistryTimeoutMs).get(registryUrl, currentToken());
    if (!reply.ok())
        throw std::runtime_error(QStringLiteral("Cannot read the registry %1: %2")
                                     .arg(registryUrl.toString(), reply.errorText)
                                     .toStdString());
    return KorRegistryDocument::parse(reply.body, registryUrl);
}

KorPackageOffer KorToolCommands::findOffer(
    const QString &featureId, const QString &version, const QUrl &registryUrl)
{
    const auto offer
        = fetchRegistry(registryUrl).findPackage(featureId, version, platform::osName());
    if (!offer)
        throw std::runtime_error(QStringLiteral("The registry offers no %1 package of %2 %3")
                                     .arg(platform::osName(), featureId, version)
                                     .toStdString());
    if (offer->fileName.isEmpty())
        throw std::runtime_error(QStringLiteral("No usable file name in the package URL %1")
                                     .arg(offer->url.toString())
                                     .toStdString());
    return *offer;
}

QByteArray KorToolCommands::currentToken()
{
    if (m_tokenFetched)
        return m_token;
    m_tokenFetched = true;
    const quint16 port = KorInstanceProbe(kServiceTimeoutMs).runningPort();
    if (port == 0) {
        qCInfo(lmtLocal).noquote() << "[KorToolCommands]"
                                   << "No launcher service runs: continuing without a token";
        return m_token;
    }
    const KorHttpResult reply
        = KorHttpClient(kServiceTimeoutMs)
              .get(QUrl(QStringLiteral("http://127.0.0.1:%1/getAccessToken").arg(port)));
    m_token = QJsonDocument::fromJson(reply.body)
                  .object()
                  .value(QStringLiteral("accessToken"))
                  .toString()
                  .toUtf8();
    qCInfo(lmtLocal).noquote() << "[KorToolCommands]"
                               << "Access token:" << (m_token.isEmpty() ? "Empty" : "[REDACTED]");
    return m_token;
}

QString KorToolCommands::packagePath(const KorPackageOffer &offer) const
{
    return QDir(paths::toolsDirectory()).filePath(offer.fileName);
}

} // namespace zendrel::lmt::korservice
