#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QString>

namespace zendrel::lmt::setup {

// Typed access to the keys of a JSON object, for the registries and the launcher's replies.
// Each accessor throws std::runtime_error naming the key when it is absent or has another JSON
// type, so a reader can take required keys without checking each one itself; optional keys are
// tested with contains() first.
struct LmtJsonFields {
    static bool getBool(const QJsonObject &object, const QString &key);
    static double getDouble(const QJsonObject &object, const QString &key);
    // A number that is not a whole number within the 64-bit range reads as 0.
    static qint64 getInt(const QJsonObject &object, const QString &key);
    static QJsonArray getArray(const QJsonObject &object, const QString &key);
    static QJsonObject getObject(const QJsonObject &object, const QString &key);
    static QString getString(const QJsonObject &object, const QString &key);
};

} // namespace zendrel::lmt::setup
