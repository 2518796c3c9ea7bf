#pragma once

#include <QHash>
#include <QString>

namespace zendrel::lmt::vendorservice {

// The developer accounts that may sign in: "accounts.json" of the catalogue, an array of
// {"email": ..., "password": ...}. E-mail addresses compare case-insensitively, as mail
// systems treat them.
class AccountBook
{
public:
    bool load(const QString &filePath, QString *error);
    // The account's e-mail address as registered, or an empty text when the pair is wrong.
    QString authenticate(const QString &email, const QString &password) const;
    int size() const { return int(m_accounts.size()); }

private:
    struct Account {
        QString email;
        QString password;
    };
    QHash<QString, Account> m_accounts; // lower-case e-mail -> account
};

} // namespace zendrel::lmt::vendorservice
