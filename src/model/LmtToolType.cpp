#include "model/LmtToolType.h"

#include <array>

namespace zendrel::lmt::setup {

namespace {

struct TypeWord {
    LmtToolType type;
    const char *text;
};

// The only types with a text form; everything else is written as an empty string.
constexpr std::array<TypeWord, 4> typeWords { {
    { LmtToolType::ToolsPackage, "tools" },
    { LmtToolType::Patch, "patch" },
    { LmtToolType::ContentPack, "pack" },
    { LmtToolType::External, "external" },
} };

} // namespace

QString toolTypeText(LmtToolType type)
{
    for (const TypeWord &word : typeWords) {
        if (word.type == type)
            return QString::fromLatin1(word.text);
    }
    return {};
}

LmtToolType determineToolType(const QString &lmtType, const QString &type, const QString &featureId)
{
    for (const TypeWord &word : typeWords) {
        if (lmtType == QLatin1String(word.text))
            return word.type;
    }
    if (type == QLatin1String("tool-patch"))
        return LmtToolType::Patch;
    if (type == QLatin1String("content-pack"))
        return LmtToolType::ContentPack;
    if (featureId == QLatin1String(LmtToolsPackageFeatureId))
        return LmtToolType::ToolsPackage;
    return LmtToolType::Other;
}

} // namespace zendrel::lmt::setup
