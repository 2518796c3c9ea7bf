#pragma once

#include "KorRegistryDocument.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>

namespace zendrel::lmt::korservice {

// One "-kor.service" request. The application passes the verb and its operands as one single
// argument ("downloadOnly <featureId>:<version> <registry URL>"); a person typing them as
// separate arguments is understood as well. Everything after "--" is for the installer.
struct KorVerb {
    QString name;
    QStringList operands;
    QStringList installerSwitches;

    // The verb, or nothing with the reason in *error.
    static std::optional<KorVerb> parse(const QStringList &arguments, QString *error);
};

// The package verbs: "downloadOnly", "installOnly" and "checkUpdate". Each returns the exit
// code of the process; user-facing results go to standard output.
class KorToolCommands
{
public:
    int run(const KorVerb &verb);

private:
    int downloadOnly(const QString &featureId, const QString &version, const QUrl &registryUrl);
    int installOnly(const QString &featureId, const QString &version, const QUrl &registryUrl,
        const QStringList &switches);
    int checkUpdate(const QString &featureId, const QUrl &registryUrl);

    // Throws std::runtime_error when the registry cannot be fetched or read.
    KorRegistryDocument fetchRegistry(const QUrl &registryUrl);
    // Throws when the registry offers no package of that version for this platform.
    KorPackageOffer findOffer(
        const QString &featureId, const QString &version, const QUrl &registryUrl);
    // The token of the running service; empty when signed out or no service runs.
    QByteArray currentToken();
    QString packagePath(const KorPackageOffer &offer) const;

    QByteArray m_token;
    bool m_tokenFetched = false;
};

// The registry URL as given, with "dependencies=true" as query when it has none; invalid when
// the text is not an http(s) or file URL.
QUrl registryRequestUrl(const QString &text);

// Whether a request to url may carry the vendor's token: only to the registry's own origin.
bool sameOrigin(const QUrl &a, const QUrl &b);

} // namespace zendrel::lmt::korservice
