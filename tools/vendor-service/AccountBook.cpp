#include "AccountBook.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace zendrel::lmt::vendorservice {

bool AccountBook::load(const QString &filePath, QString *error)
{
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1: %2").arg(filePath, file.errorString());
        return false;
    }
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &parseError);
    if (!document.isArray()) {
        *error = QStringLiteral("%1 must hold a JSON array of accounts (%2)")
                     .arg(filePath, parseError.errorString());
        return false;
    }
    m_accounts.clear();
    for (const QJsonValue &entry : document.array()) {
        const QString email = entry[QStringLiteral("email")].toString();
        const QJsonValue password = entry[QStringLiteral("password")];
        if (email.isEmpty() || !password.isString()) {
            *error = QStringLiteral("%1: every account needs an \"email\" and a \"password\"")
                         .arg(filePath);
            return false;
        }
        m_accounts.insert(email.toLower(), Account { email, password.toString() });
    }
    return true;
}

QString AccountBook::authenticate(const QString &email, const QString &password) const
{
    const auto it = m_accounts.constFind(email.toLower());
    if (email.isEmpty() || it == m_accounts.constEnd() || it->password != password)
        return {};
    return it->email;
}

} // namespace zendrel::lmt::vendorservice
