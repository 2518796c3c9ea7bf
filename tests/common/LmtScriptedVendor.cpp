#include "common/LmtScriptedVendor.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QMutexLocker>
#include <QRegularExpression>

namespace lmttest {

void ScriptedVendor::setRegistry(const QByteArray &document)
{
    QMutexLocker lock(&m_mutex);
    m_registry = document;
}

void ScriptedVendor::setPackage(const QByteArray &path, const Package &package)
{
    QMutexLocker lock(&m_mutex);
    m_packages.insert(path, package);
}

QList<HttpRequest> ScriptedVendor::requestsTo(const QByteArray &pathPrefix) const
{
    QList<HttpRequest> matching = m_server.requests();
    matching.removeIf(
        [&](const HttpRequest &request) { return !request.target.startsWith(pathPrefix); });
    return matching;
}

HttpResponse ScriptedVendor::answer(const HttpRequest &request)
{
    const QByteArray bearer = "Bearer " + token;
    if (request.method == "POST" && request.target == "/api/v1/auth/token") {
        const QJsonObject account = QJsonDocument::fromJson(request.body).object();
        if (account["email"].toString().toUtf8() != email
            || account["password"].toString().toUtf8() != password)
            return { 401, R"({"error":"invalid_grant"})", {}, {} };
        const QJsonObject grant { { "access_token", QString::fromUtf8(token) },
            { "token_type", "Bearer" }, { "expires_in", qint64(m_expiresIn) } };
        return { 200, QJsonDocument(grant).toJson(QJsonDocument::Compact), {}, {} };
    }
    if (request.method == "POST" && request.target == "/api/v1/auth/revoke")
        return { request.header("authorization") == bearer ? 204 : 401, {}, {}, {} };
    QMutexLocker lock(&m_mutex);
    if (request.method == "GET" && request.target.startsWith("/api/v1/tools/"))
        return { 200, m_registry, {}, {} };
    const auto package = m_packages.find(request.target);
    if (request.method != "GET" || package == m_packages.end())
        return { 404, {}, {}, {} };
    if (package->requiresToken && request.header("authorization") != bearer)
        return { 401, {}, {}, {} };
    return answerPackage(request, *package);
}

HttpResponse ScriptedVendor::answerPackage(const HttpRequest &request, Package &package)
{
    HttpResponse reply;
    const QByteArray size = QByteArray::number(package.body.size());
    static const QRegularExpression rangePattern(QStringLiteral("^bytes=(\\d+)-$"));
    const QRegularExpressionMatch range
        = rangePattern.match(QString::fromLatin1(request.header("range")));
    const qint64 first = range.captured(1).toLongLong();
    if (package.honoursRange && range.hasMatch() && first >= package.body.size())
        return { 416, {}, { { "Content-Range", "bytes */" + size } } };
    reply.body = package.body;
    if (package.honoursRange && range.hasMatch()) {
        reply.status = 206;
        reply.body = package.body.mid(first);
        reply.headers.append({ "Content-Range",
            "bytes " + QByteArray::number(first) + '-' + QByteArray::number(size.toLongLong() - 1)
                + '/' + size });
    }
    reply.cutAfter = std::exchange(package.breakAfterBytes, -1);
    return reply;
}

} // namespace lmttest
