#include "base/LmtJsonFields.h"

#include "shared_toolkit/LmtTr.h"

#include <QJsonValue>

#include <stdexcept>

namespace zendrel::lmt::setup {

// The texts keep the registry parser's translation context: they were written for it first and
// translations are keyed by it.
namespace {

[[noreturn]] void fail(const char *message, const QString &key)
{
    // The text goes to the log as well as to the window.
    throw std::runtime_error(
        shared_toolkit::LmtLogText("LmtBaseRegistryParser", message).arg(key).toStdString());
}

// The value under key, of the expected JSON type; throws the missing-key or the given
// wrong-type text otherwise.
QJsonValue requireValue(const QJsonObject &object, const QString &key, QJsonValue::Type type,
    const char *wrongTypeMessage)
{
    const auto it = object.constFind(key);
    if (it == object.constEnd())
        fail(QT_TRANSLATE_NOOP(
                 "LmtBaseRegistryParser", "error parsing JSON - missing required property '%1'"),
            key);
    if (it->type() != type)
        fail(wrongTypeMessage, key);
    return *it;
}

} // namespace

bool LmtJsonFields::getBool(const QJsonObject &object, const QString &key)
{
    return requireValue(object, key, QJsonValue::Bool,
        QT_TRANSLATE_NOOP("LmtBaseRegistryParser",
            "error parsing JSON - required property '%1' is not a "
            "boolean"))
        .toBool();
}

double LmtJsonFields::getDouble(const QJsonObject &object, const QString &key)
{
    return requireValue(object, key, QJsonValue::Double,
        QT_TRANSLATE_NOOP("LmtBaseRegistryParser",
            "error parsing JSON - required property '%1' is not a "
            "double"))
        .toDouble();
}

qint64 LmtJsonFields::getInt(const QJsonObject &object, const QString &key)
{
    return requireValue(object, key, QJsonValue::Double,
        QT_TRANSLATE_NOOP("LmtBaseRegistryParser",
            "error parsing JSON - required property '%1' is not an "
            "integer"))
        .toInteger(0);
}

QJsonArray LmtJsonFields::getArray(const QJsonObject &object, const QString &key)
{
    return requireValue(object, key, QJsonValue::Array,
        QT_TRANSLATE_NOOP("LmtBaseRegistryParser",
            "error parsing JSON - required property '%1' is not a "
            "JSON value"))
        .toArray();
}

QJsonObject LmtJsonFields::getObject(const QJsonObject &object, const QString &key)
{
    return requireValue(object, key, QJsonValue::Object,
        QT_TRANSLATE_NOOP("LmtBaseRegistryParser",
            "error parsing JSON - required property '%1' is not a "
            "JSON value"))
        .toObject();
}

QString LmtJsonFields::getString(const QJsonObject &object, const QString &key)
{
    return requireValue(object, key, QJsonValue::String,
        QT_TRANSLATE_NOOP("LmtBaseRegistryParser",
            "error parsing JSON - required property '%1' is not a "
            "string"))
        .toString();
}

} // namespace zendrel::lmt::setup
