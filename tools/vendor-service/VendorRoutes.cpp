#include "VendorRoutes.h"

#include "ByteRange.h"
#include "ToolPage.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

namespace zendrel::lmt::vendorservice {

namespace {

bool isGet(const IncomingRequest &request)
{
    return request.method == "GET" || request.method == "HEAD";
}

HttpReply methodNotAllowed(const QByteArray &allowed)
{
    return HttpReply::error(405, "method_not_allowed",
        QStringLiteral("This resource answers %1 only").arg(QString::fromLatin1(allowed)))
        .withHeader("Allow", allowed);
}

HttpReply unauthorized(const QByteArray &code, const QString &message)
{
    return HttpReply::error(401, code, message).withHeader("WWW-Authenticate", "Bearer");
}

bool isNumber(const QString &text)
{
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,18}$"));
    return digits.match(text).hasMatch();
}

bool segmentsAre(const QStringList &segments, std::initializer_list<const char *> expected)
{
    if (segments.size() < qsizetype(expected.size()))
        return false;
    qsizetype i = 0;
    for (const char *part : expected) {
        if (segments.at(i++) != QLatin1String(part))
            return false;
    }
    return true;
}

} // namespace

VendorRoutes::VendorRoutes(const VendorCatalogue &catalogue, TokenAuthority &tokens)
    : m_catalogue(catalogue)
    , m_tokens(tokens)
{
}

HttpReply VendorRoutes::answer(const IncomingRequest &request)
{
    if (!request.path.isValid())
        return HttpReply::error(400, "bad_path", QStringLiteral("The request path is not allowed"));

    QByteArray token;
    const Caller caller = identify(request, &token);
    if (caller == Caller::Refused)
        return unauthorized("invalid_token", QStringLiteral("The access token is not valid"));

    const QStringList &s = request.path.segments();
    if (segmentsAre(s, { "api", "v1", "auth" }) && s.size() == 4) {
        if (s[3] == QLatin1String("token"))
            return request.method == "POST" ? issueToken(request) : methodNotAllowed("POST");
        if (s[3] == QLatin1String("revoke"))
            return request.method == "POST" ? revokeToken(request, token, caller)
                                            : methodNotAllowed("POST");
        if (s[3] == QLatin1String("userinfo"))
            return isGet(request) ? userInfo(token, caller) : methodNotAllowed("GET, HEAD");
    }
    if (segmentsAre(s, { "api", "v1", "tools" })) {
        if (s.size() == 3)
            return isGet(request) ? registry() : methodNotAllowed("GET, HEAD");
        if (s.size() == 7 && s[4] == QLatin1String("versions") && isNumber(s[3]) && isNumber(s[5])
            && (s[6] == QLatin1String("release-note") || s[6] == QLatin1String("license")))
            return isGet(request) ? document(s[3], s[5], s[6]) : methodNotAllowed("GET, HEAD");
    }
    if (s.size() == 2 && s[0] == QLatin1String("tools"))
        return isGet(request) ? toolPage(s[1]) : methodNotAllowed("GET, HEAD");
    if (const auto package = m_catalogue.package(request.path.text())) {
        if (!isGet(request))
            return methodNotAllowed("GET, HEAD");
        HttpReply reply = packageFile(request, *package, caller);
        cutFirstPackage(reply);
        return reply;
    }

    return HttpReply::error(404, "not_found", QStringLiteral("No such resource"));
}

QString VendorRoutes::tokenForLog(const IncomingRequest &request) const
{
    QByteArray token;
    switch (identify(request, &token)) {
    case Caller::Anonymous:
        return QStringLiteral("none");
    case Caller::SignedIn:
        return QStringLiteral("valid");
    case Caller::Refused:
        break;
    }
    return QStringLiteral("refused");
}

VendorRoutes::Caller VendorRoutes::identify(const IncomingRequest &request, QByteArray *token) const
{
    const QByteArray header = request.authorization.trimmed();
    if (header.isEmpty())
        return Caller::Anonymous;
    if (!header.toLower().startsWith("bearer"))
        return Caller::Refused;
    *token = header.mid(6).trimmed();
    // The application sends a bare "Bearer " for a token record that holds no token yet: that
    // carries no credentials, so it is treated like no header at all.
    if (token->isEmpty())
        return Caller::Anonymous;
    if (header.size() > 6 && header.at(6) != ' ')
        return Caller::Refused; // "Bearerxyz"
    return m_tokens.check(*token) == TokenAuthority::Verdict::Valid ? Caller::SignedIn
                                                                    : Caller::Refused;
}

HttpReply VendorRoutes::issueToken(const IncomingRequest &request)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(request.body, &parseError);
    const QJsonValue email = document.object().value(QStringLiteral("email"));
    const QJsonValue password = document.object().value(QStringLiteral("password"));
    if (!document.isObject() || !email.isString() || !password.isString())
        return HttpReply::error(400, "invalid_request",
            QStringLiteral("Expected a JSON object with \"email\" and \"password\" strings"));
    const QString account
        = m_catalogue.accounts().authenticate(email.toString(), password.toString());
    if (account.isEmpty())
        return unauthorized("invalid_grant", QStringLiteral("Wrong e-mail address or password"));

    const TokenAuthority::Token issued = m_tokens.issue(account);
    const QJsonObject body { { QStringLiteral("access_token"), QString::fromLatin1(issued.text) },
        { QStringLiteral("token_type"), QStringLiteral("Bearer") },
        { QStringLiteral("expires_in"), issued.expiresIn } };
    return HttpReply::json(200, QJsonDocument(body).toJson(QJsonDocument::Compact))
        .withHeader("Cache-Control", "no-store");
}

HttpReply VendorRoutes::revokeToken(const IncomingRequest &, const QByteArray &token, Caller caller)
{
    if (caller != Caller::SignedIn)
        return unauthorized(
            "missing_token", QStringLiteral("Send the token to revoke as bearer token"));
    m_tokens.revoke(token);
    return HttpReply::empty(204);
}

HttpReply VendorRoutes::userInfo(const QByteArray &token, Caller caller) const
{
    TokenAuthority::Claims claims;
    if (caller != Caller::SignedIn
        || m_tokens.check(token, &claims) != TokenAuthority::Verdict::Valid)
        return unauthorized("missing_token", QStringLiteral("Sign in first"));
    const QJsonObject body { { QStringLiteral("sub"), claims.subject },
        { QStringLiteral("exp"), claims.expiresAt } };
    return HttpReply::json(200, QJsonDocument(body).toJson(QJsonDocument::Compact));
}

HttpReply VendorRoutes::document(
    const QString &toolId, const QString &versionId, const QString &kind) const
{
    const QString path = m_catalogue.directory().resolveFile(
        VendorCatalogue::documentPath(toolId, versionId, kind));
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly))
        return HttpReply::error(404, "not_found",
            QStringLiteral("No %1 for tool %2, version %3").arg(kind, toolId, versionId));
    return HttpReply::text(200, file.readAll());
}

HttpReply VendorRoutes::toolPage(const QString &featureId) const
{
    const QJsonObject tool = m_catalogue.tool(featureId);
    if (tool.isEmpty())
        return HttpReply::html(404, ToolPage::renderNotFound(featureId));
    return HttpReply::html(200, ToolPage::render(tool, QString::fromLatin1(kRegistryPath)));
}

HttpReply VendorRoutes::registry() const
{
    if (m_fault == VendorFault::RegistryServerError)
        return HttpReply::error(
            500, "internal_error", QStringLiteral("The tool registry is not available"));
    if (m_fault == VendorFault::RegistryMalformed)
        return HttpReply::json(200, m_catalogue.registryDocument().left(40));
    return HttpReply::json(200, m_catalogue.registryDocument());
}

void VendorRoutes::cutFirstPackage(HttpReply &reply)
{
    const bool cut = m_fault == VendorFault::CutFirstPackage;
    if ((!cut && m_fault != VendorFault::StallFirstPackage) || m_packageCut
        || (reply.status != 200 && reply.status != 206) || reply.body.size() < 2)
        return;
    // Only the first transfer breaks, so that the next attempt can resume and finish.
    m_packageCut = true;
    reply.cutAt = reply.body.size() / 2;
    reply.closeAfterCut = cut;
}

HttpReply VendorRoutes::packageFile(
    const IncomingRequest &request, const PackageFile &package, Caller caller) const
{
    if (package.loginRequired && caller != Caller::SignedIn)
        return unauthorized("login_required",
            QStringLiteral("Sign in to download the packages of %1").arg(package.featureId));

    // Resolved again on every request: a link swapped in after start must not lead outside.
    const QString path = m_catalogue.directory().resolveFile(package.relativePath);
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly))
        return HttpReply::error(404, "not_found", QStringLiteral("The package file is gone"));

    const qint64 size = file.size();
    const ByteRange range = ByteRange::parse(request.range, size);
    if (range.kind == ByteRange::Kind::Unsatisfiable)
        return HttpReply::error(416, "range_not_satisfiable",
            QStringLiteral("The requested range does not lie within the %1 bytes of the file")
                .arg(size))
            .withHeader("Content-Range", "bytes */" + QByteArray::number(size));

    HttpReply reply;
    reply.contentType = "application/octet-stream";
    reply.withHeader("Accept-Ranges", "bytes");
    if (range.kind == ByteRange::Kind::Partial) {
        file.seek(range.first);
        reply.status = 206;
        reply.body = file.read(range.length());
        reply.withHeader("Content-Range", range.contentRange(size));
    } else {
        reply.body = file.readAll();
    }
    return reply;
}

} // namespace zendrel::lmt::vendorservice
