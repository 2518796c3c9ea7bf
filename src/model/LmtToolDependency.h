#pragma once

#include <QString>
#include <QtGlobal>

#include <limits>

namespace zendrel::lmt::setup {

// One dependency of a version on another tool: any version of the target tool whose numeric
// version lies in [minVersionNumeric, maxVersionNumeric] satisfies it.
struct LmtToolDependency {
    // Stands for "no upper bound": above every numeric version a registry can give.
    static constexpr quint64 Unbounded = std::numeric_limits<quint64>::max();

    LmtToolDependency(
        const QString &targetFeatureId, quint64 minVersionNumeric, quint64 maxVersionNumeric)
        : targetFeatureId(targetFeatureId)
        , minVersionNumeric(minVersionNumeric)
        , maxVersionNumeric(maxVersionNumeric)
    {
    }

    bool accepts(quint64 versionNumeric) const
    {
        return versionNumeric >= minVersionNumeric && versionNumeric <= maxVersionNumeric;
    }

    QString targetFeatureId;
    quint64 minVersionNumeric = 0;
    quint64 maxVersionNumeric = Unbounded;
};

} // namespace zendrel::lmt::setup
