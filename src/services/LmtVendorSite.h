#pragma once

#include <QString>

namespace zendrel::lmt::setup {

// Addresses on the vendor's software-tools web site. The host is named in one place only, so
// that a move of the site changes one line.

// "https://<vendor tools host>", without a trailing '/'.
QString vendorSiteBaseUrl();

// The online tool registry served by the vendor's tools web service: base + "/api/v1/tools/".
QString defaultOnlineRegistryUrl();

// The public page of one tool: base + "/tools/<featureId>".
QString vendorToolPageUrl(const QString &featureId);

// The page offering the Lumetra tools for installation without this program.
QString offlineInstallationPageUrl();

// The Lumetra Setup user guide, which lists the network resources the program needs.
QString setupUserGuideUrl();

// The installation guide of the tools package, which explains the ZR_TOOLS_PATHS variable
// that a non-default scope or directory needs.
QString toolsInstallationGuideUrl();

} // namespace zendrel::lmt::setup
