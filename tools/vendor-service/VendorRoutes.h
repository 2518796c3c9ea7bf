#pragma once

#include "HttpReply.h"
#include "RequestPath.h"
#include "TokenAuthority.h"
#include "VendorCatalogue.h"
#include "VendorFault.h"

#include <QByteArray>

namespace zendrel::lmt::vendorservice {

// What the routes need to know of one request, independent of the HTTP library.
struct IncomingRequest {
    QByteArray method; // "GET", "POST", ... ("HEAD" is answered like "GET")
    RequestPath path;
    QByteArray authorization; // the "Authorization" header, empty when absent
    QByteArray range; // the "Range" header, empty when absent
    QByteArray body;
};

// Decides the answer to every request:
//   POST /api/v1/auth/token      {"email", "password"} -> a bearer token
//   POST /api/v1/auth/revoke     with the bearer token -> 204, the token is refused from then on
//   GET  /api/v1/auth/userinfo   with the bearer token -> {"sub", "exp"}
//   GET  /api/v1/tools/          the registry document (any query)
//   GET  /api/v1/tools/<toolId>/versions/<versionId>/release-note/ and .../license/
//   GET  /tools/<featureId>      the tool page
//   GET  <package path>          a package file named by the registry, with single byte ranges
// A request carrying a bearer token that is not valid is refused with 401 whatever it asks for.
class VendorRoutes
{
public:
    static constexpr auto kRegistryPath = "/api/v1/tools/";

    VendorRoutes(const VendorCatalogue &catalogue, TokenAuthority &tokens);

    HttpReply answer(const IncomingRequest &request);
    // What the request log says of the caller's bearer token, never the token itself: "none",
    // "valid" or "refused".
    QString tokenForLog(const IncomingRequest &request) const;
    void setFault(VendorFault fault) { m_fault = fault; }

private:
    enum class Caller { Anonymous, SignedIn, Refused };

    Caller identify(const IncomingRequest &request, QByteArray *token) const;
    HttpReply issueToken(const IncomingRequest &request);
    HttpReply revokeToken(const IncomingRequest &request, const QByteArray &token, Caller caller);
    HttpReply userInfo(const QByteArray &token, Caller caller) const;
    HttpReply document(const QString &toolId, const QString &versionId, const QString &kind) const;
    HttpReply toolPage(const QString &featureId) const;
    HttpReply packageFile(
        const IncomingRequest &request, const PackageFile &package, Caller caller) const;
    HttpReply registry() const;
    void cutFirstPackage(HttpReply &reply);

    const VendorCatalogue &m_catalogue;
    TokenAuthority &m_tokens;
    VendorFault m_fault = VendorFault::None;
    bool m_packageCut = false;
};

} // namespace zendrel::lmt::vendorservice
