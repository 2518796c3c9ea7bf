#pragma once

#include <QString>
#include <QUrl>

#include <optional>

namespace zendrel::lmt::korservice {

// The account the service signs in with, from "launcher-config.json" in the service
// directory: {"vendorUrl": "...", "email": "...", "password": "..."}. Read on every sign-in,
// so a changed file needs no restart.
struct KorAccountConfig {
    QUrl vendorUrl;
    QString email;
    QString password;

    // The configuration, or nothing with the reason in *error.
    static std::optional<KorAccountConfig> load(const QString &path, QString *error);

    // "<vendorUrl>/api/v1/auth/<action>", whether or not vendorUrl ends in '/'.
    QUrl authUrl(const QString &action) const;
};

} // namespace zendrel::lmt::korservice
