#include "HttpReply.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

namespace zendrel::lmt::vendorservice {

HttpReply HttpReply::text(int status, const QByteArray &utf8Text)
{
    return HttpReply { status, QByteArrayLiteral("text/plain; charset=utf-8"), utf8Text, {} };
}

HttpReply HttpReply::json(int status, const QByteArray &document)
{
    return HttpReply { status, QByteArrayLiteral("application/json"), document, {} };
}

HttpReply HttpReply::html(int status, const QByteArray &document)
{
    return HttpReply { status, QByteArrayLiteral("text/html; charset=utf-8"), document, {} };
}

HttpReply HttpReply::empty(int status)
{
    return HttpReply { status, {}, {}, {} };
}

HttpReply HttpReply::error(int status, const QByteArray &code, const QString &message)
{
    const QJsonObject body { { QStringLiteral("error"), QString::fromLatin1(code) },
        { QStringLiteral("message"), message } };
    return json(status, QJsonDocument(body).toJson(QJsonDocument::Compact));
}

HttpReply &HttpReply::withHeader(const QByteArray &name, const QByteArray &value)
{
    headers.append({ name, value });
    return *this;
}

} // namespace zendrel::lmt::vendorservice
