#include "registry/LmtBaseRegistryParser.h"

#include "model/LmtToolDependency.h"
#include "model/LmtToolVersion.h"
#include "registry/LmtSharedStrings.h"

#include <QCoreApplication>
#include <QJsonValue>

#include <stdexcept>

namespace zendrel::lmt::setup {

namespace {

[[noreturn]] void fail(const char *message, const QString &key)
{
    const QString text = QCoreApplication::translate("LmtBaseRegistryParser", message).arg(key);
    throw std::runtime_error(text.toStdString());
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

LmtBaseRegistryParser::LmtBaseRegistryParser(std::shared_ptr<LmtCoreToolModel> model)
    : m_model(std::move(model))
{
}

bool LmtBaseRegistryParser::getBool(const QJsonObject &object, const QString &key)
{
    return requireValue(object, key, QJsonValue::Bool,
        QT_TRANSLATE_NOOP("LmtBaseRegistryParser",
            "error parsing JSON - required property '%1' is not a "
            "boolean"))
        .toBool();
}

double LmtBaseRegistryParser::getDouble(const QJsonObject &object, const QString &key)
{
    return requireValue(object, key, QJsonValue::Double,
        QT_TRANSLATE_NOOP("LmtBaseRegistryParser",
            "error parsing JSON - required property '%1' is not a "
            "double"))
        .toDouble();
}

qint64 LmtBaseRegistryParser::getInt(const QJsonObject &object, const QString &key)
{
    return requireValue(object, key, QJsonValue::Double,
        QT_TRANSLATE_NOOP("LmtBaseRegistryParser",
            "error parsing JSON - required property '%1' is not an "
            "integer"))
        .toInteger(0);
}

QJsonArray LmtBaseRegistryParser::getArray(const QJsonObject &object, const QString &key)
{
    return requireValue(object, key, QJsonValue::Array,
        QT_TRANSLATE_NOOP("LmtBaseRegistryParser",
            "error parsing JSON - required property '%1' is not a "
            "JSON value"))
        .toArray();
}

QJsonObject LmtBaseRegistryParser::getObject(const QJsonObject &object, const QString &key)
{
    return requireValue(object, key, QJsonValue::Object,
        QT_TRANSLATE_NOOP("LmtBaseRegistryParser",
            "error parsing JSON - required property '%1' is not a "
            "JSON value"))
        .toObject();
}

QString LmtBaseRegistryParser::getString(const QJsonObject &object, const QString &key)
{
    return requireValue(object, key, QJsonValue::String,
        QT_TRANSLATE_NOOP("LmtBaseRegistryParser",
            "error parsing JSON - required property '%1' is not a "
            "string"))
        .toString();
}

void LmtBaseRegistryParser::addDependencies(
    LmtToolVersion &version, const QJsonArray &dependencies, LmtSharedStrings *strings)
{
    for (const QJsonValue &entry : dependencies) {
        const QJsonObject dependency = entry.toObject();
        QString target = getString(dependency, "targetFeatureId");
        if (strings)
            target = strings->shared(target);
        const qint64 min = dependency.contains("minVersionNumeric")
            ? getInt(dependency, "minVersionNumeric")
            : 0;
        const qint64 max = dependency.contains("maxVersionNumeric")
            ? getInt(dependency, "maxVersionNumeric")
            : -1;
        version.addDependency(target, quint64(qMax<qint64>(min, 0)),
            max < 0 ? LmtToolDependency::Unbounded : quint64(max));
    }
}

} // namespace zendrel::lmt::setup
