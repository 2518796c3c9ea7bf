#pragma once

#include <QString>
#include <QtGlobal>

namespace zendrel::lmt::setup {

// The kind of a tool. The values are stable: they appear in logs and weigh the install order
// (see sortForInstall), so new kinds must be appended.
enum class LmtToolType : qint32 {
    Other = 0, // no recognised kind
    ToolsPackage = 1, // the main tools package
    Patch = 2, // a patch for the tools package
    ContentPack = 3, // a content pack
    External = 4, // separately released; patch updates governed by its own flag
    ThirdParty = 5, // described by the 3rd-party tools file
};

// Feature id of the main tools package; a tool with this id is a tools package even when its
// registry entry does not say so.
inline constexpr char LmtToolsPackageFeatureId[] = "com.zdr.tb.tool.lumetra";

// "tools", "patch", "pack" or "external" for the types 1 to 4; empty for every other value.
// The same words are the accepted values of the "lmt-type" registry attribute.
QString toolTypeText(LmtToolType type);

// Decides the kind of a registry entry from its "lmt-type" attribute, its "type" text and its
// feature id (each possibly empty). All comparisons are exact and case-sensitive.
LmtToolType determineToolType(
    const QString &lmtType, const QString &type, const QString &featureId);

} // namespace zendrel::lmt::setup
