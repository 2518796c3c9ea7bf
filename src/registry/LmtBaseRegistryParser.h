#pragma once

#include "base/LmtJsonFields.h"

#include <memory>

namespace zendrel::lmt::setup {

class LmtCoreToolModel;
class LmtSharedStrings;
class LmtToolVersion;

// Shared by every registry parser: the model it fills and the typed JSON accessors.
class LmtBaseRegistryParser : public LmtJsonFields
{
public:
    explicit LmtBaseRegistryParser(std::shared_ptr<LmtCoreToolModel> model);

    std::shared_ptr<LmtCoreToolModel> model() const { return m_model; }

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
