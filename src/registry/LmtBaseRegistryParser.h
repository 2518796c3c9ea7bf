#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QString>

#include <memory>

namespace zendrel::lmt::setup {

class LmtCoreToolModel;
class LmtSharedStrings;
class LmtToolVersion;

// Shared by every registry parser: the model it fills and the typed JSON accessors. Each
// accessor throws std::runtime_error naming the key when it is absent or has another JSON
// type, so a parser can read required keys without checking each one itself; optional keys
// are tested with contains() first.
class LmtBaseRegistryParser
{
public:
    explicit LmtBaseRegistryParser(std::shared_ptr<LmtCoreToolModel> model);

    std::shared_ptr<LmtCoreToolModel> model() const { return m_model; }

    static bool getBool(const QJsonObject &object, const QString &key);
    static double getDouble(const QJsonObject &object, const QString &key);
    // A number that is not a whole number within the 64-bit range reads as 0.
    static qint64 getInt(const QJsonObject &object, const QString &key);
    static QJsonArray getArray(const QJsonObject &object, const QString &key);
    static QJsonObject getObject(const QJsonObject &object, const QString &key);
    static QString getString(const QJsonObject &object, const QString &key);

    // Adds the entries of a registry "dependencies" array to the version. A missing or
    // negative minimum becomes 0; a missing or negative maximum means no upper bound. With
    // strings, equal target feature ids share one copy.
    static void addDependencies(LmtToolVersion &version, const QJsonArray &dependencies,
        LmtSharedStrings *strings = nullptr);

protected:
    ~LmtBaseRegistryParser() = default;

    std::shared_ptr<LmtCoreToolModel> m_model;
};

} // namespace zendrel::lmt::setup
