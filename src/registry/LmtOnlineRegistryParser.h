#pragma once

#include "registry/ILmtOnlineRegistryParser.h"
#include "registry/LmtBaseRegistryParser.h"
#include "registry/LmtSharedStrings.h"
#include "shared_toolkit/LmtTr.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <QUrl>

#include <memory>

namespace zendrel::lmt::setup {

class ILmtDownloadManager;
class LmtOnlineToolVersion;

// Fetches the vendor's online registry (a JSON array of tools, each with its versions,
// packages, dependencies and installation hints) and adds it to the core tool model as tools
// with online versions. A faulty tool entry is logged and skipped; only a failed fetch or a
// document that is not a JSON array ends the parse.
class LmtOnlineRegistryParser : public ILmtOnlineRegistryParser, public LmtBaseRegistryParser
{
    Q_OBJECT
    LMT_TR_CONTEXT(LmtOnlineRegistryParser)

public:
    LmtOnlineRegistryParser(std::shared_ptr<ILmtDownloadManager> downloadManager,
        std::shared_ptr<LmtCoreToolModel> model, QObject *parent = nullptr);

    // Throws NetworkException when the fetch fails and std::runtime_error when the reply is
    // empty or not a JSON array.
    void parse() override;
    void setAccessToken(std::shared_ptr<LmtAccessToken> token) override;

    // The configured registry address with its query replaced by "dependencies=true".
    static QUrl registryUrl();

private:
    // "[REDACTED]" or "Empty" in double quotes: the token itself never reaches the log.
    QString tokenForLog() const;
    // Adds one tool entry with its versions; throws on the first fault in it. featureId is
    // updated as soon as it has been read, so the caller can name the entry that failed.
    void parseTool(const QJsonObject &toolObject, QString &featureId);
    static bool isIgnored(const QJsonObject &versionAttributes);
    void addPackages(LmtOnlineToolVersion &version, const QJsonArray &downloadUrls);
    static void applyPlatformAttributes(
        LmtOnlineToolVersion &version, const QJsonObject &versionAttributes);

    std::shared_ptr<ILmtDownloadManager> m_downloadManager;
    std::shared_ptr<LmtAccessToken> m_accessToken;
    // The words every package and dependency repeats, shared within one parse.
    LmtSharedStrings m_strings;
};

} // namespace zendrel::lmt::setup
