#include "registry/LmtBaseRegistryParser.h"

#include "model/LmtToolDependency.h"
#include "model/LmtToolVersion.h"
#include "registry/LmtSharedStrings.h"

namespace zendrel::lmt::setup {

LmtBaseRegistryParser::LmtBaseRegistryParser(std::shared_ptr<LmtCoreToolModel> model)
    : m_model(std::move(model))
{
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
