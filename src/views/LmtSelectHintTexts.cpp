#include "views/LmtSelectHintTexts.h"

#include "model/Lmt3rdPartyLocalToolVersion.h"
#include "model/Lmt3rdPartyOnlineToolVersion.h"
#include "model/Lmt3rdPartyTool.h"
#include "model/LmtLocalToolVersion.h"
#include "model/LmtTool.h"
#include "model/LmtToolVersion.h"
#include "services/LmtVendorSite.h"
#include "views/LmtToolSelectRow.h"

#include <QDir>
#include <QRegularExpression>
#include <QUrl>

namespace zendrel::lmt::setup {

namespace {

QString toolName(const std::shared_ptr<LmtToolVersion> &version)
{
    const auto tool = version->tool();
    return tool ? tool->name() : QString();
}

QString installLocationOf(const LmtToolVersion &version)
{
    const auto *installed = dynamic_cast<const LmtLocalToolVersion *>(&version);
    return installed ? installed->installLocation() : QString();
}

// Names, feature ids, paths and addresses come from the registries: in the rich-text cell
// they must read as written, never as markup.
QString escaped(const QString &text)
{
    return text.toHtmlEscaped();
}

QStringList escaped(const QStringList &texts)
{
    QStringList result;
    result.reserve(texts.size());
    for (const QString &text : texts)
        result.append(escaped(text));
    return result;
}

// Whether a registry address may become a link, which the cell hands to the desktop: only a
// web page. Anything else (javascript:, file:, a program) would be run or opened locally.
bool isWebPage(const QUrl &url)
{
    const QString scheme = url.scheme().toLower();
    return url.isValid() && !url.host().isEmpty()
        && (scheme == QLatin1String("http") || scheme == QLatin1String("https"));
}

} // namespace

LmtSelectHintTexts::LmtSelectHintTexts(
    const LmtToolSelectRow &row, const LmtMissingDependencies &missing)
    : m_row(row)
    , m_missing(missing)
{
}

QList<LmtMissingDependency> LmtSelectHintTexts::missingOfCurrent() const
{
    QList<LmtMissingDependency> result;
    for (const auto &entry : m_missing) {
        if (entry.version == m_row.currentVersion())
            result.append(entry);
    }
    return result;
}

QString LmtSelectHintTexts::missingNames() const
{
    QStringList names;
    for (const auto &entry : missingOfCurrent()) {
        if (entry.candidate)
            names.append(toolName(entry.candidate));
        else if (!entry.version->dependencies().isEmpty())
            names.append(entry.version->dependencies().first()->targetFeatureId);
    }
    return escaped(names).join(QStringLiteral(", "));
}

QString LmtSelectHintTexts::locationText() const
{
    QString location = QDir::toNativeSeparators(installLocationOf(*m_row.currentVersion()));
    static const QRegularExpression trailingSeparator(QStringLiteral(".+[\\/\\\\]$"));
    if (trailingSeparator.match(location).hasMatch())
        location.chop(1);
    return QLatin1Char(' ') + escaped(location);
}

QString LmtSelectHintTexts::pageUrl() const
{
    // Always a page of the vendor's site; the feature id in it is escaped like any text, which
    // also keeps a quote in it from ending the link's attribute.
    return escaped(vendorToolPageUrl(m_row.currentVersion()->featureId()));
}

QString LmtSelectHintTexts::toolTip() const
{
    const auto current = m_row.currentVersion();
    const QString name = m_row.displayName();
    const QString key = m_row.currentKey();

    const auto missing = missingOfCurrent();
    if (!missing.isEmpty()) {
        const auto &candidate = missing.first().candidate;
        if (candidate) {
            return tr("%1 %2 has a dependency on the %3 %4 which is not installed")
                .arg(name, key, toolName(candidate), candidate->displayVersion());
        }
        if (!current->dependencies().isEmpty()) {
            return tr("%1 %2 has a dependency on the %3 which is not installed")
                .arg(name, key, current->dependencies().first()->targetFeatureId);
        }
        return tr("%1 %2 has a dependency on the tool which is not installed.").arg(name, key);
    }

    if (!current->isOnline()) {
        if (m_row.action() == LmtToolSelectRow::Uninstall)
            return tr("%1 %2 will be uninstalled").arg(name, key);
        return tr("%1 %2 is installed at %3").arg(name, key, installLocationOf(*current));
    }
    if (!current->selected())
        return tr("Select the check box to install %1 %2").arg(name, key);
    if (current->installDirectory().isEmpty())
        return tr("%1 %2 will be installed").arg(name, key);
    return tr("%1 %2 will be installed at %3").arg(name, key, current->installDirectory());
}

QString LmtSelectHintTexts::informationText() const
{
    const auto current = m_row.currentVersion();
    const QString names = missingNames();
    const QString notInstalled
        = names.isEmpty() ? QString() : tr("Dependencies will not be installed: %1. ").arg(names);

    switch (m_row.action()) {
    case LmtToolSelectRow::Install:
        return tr("Click \"Next\" to install. %1To download and install manually go to "
                  "<a href=\"%2\">%2</a>")
            .arg(notInstalled, pageUrl());
    case LmtToolSelectRow::Update:
        return tr("Click \"Next\" to update. %1To download and install manually go to "
                  "<a href=\"%2\">%2</a>")
            .arg(notInstalled, pageUrl());
    case LmtToolSelectRow::Downgrade:
        return tr("Click \"Next\" to downgrade. To download and install manually go to "
                  "<a href=\"%1\">%1</a>")
            .arg(pageUrl());
    case LmtToolSelectRow::Uninstall:
        return tr("Will be uninstalled");
    case LmtToolSelectRow::NoChange:
        break;
    }

    const bool thirdParty = current->toolType() == LmtToolType::ThirdParty;
    if (current->isOnline()) {
        if (thirdParty)
            return offeredThirdPartyText();
        return tr("Select the check box to install. To download and install manually go to "
                  "<a href=\"%1\">%1</a>")
            .arg(pageUrl());
    }
    if (thirdParty) {
        const auto *installed = dynamic_cast<const Lmt3rdPartyLocalToolVersion *>(current.get());
        const QStringList extensions
            = installed ? installed->pluginNamesNotInstalled() : QStringList();
        if (!extensions.isEmpty()) {
            return tr("Warning: \"%1\" extension(s) not installed in %2 version %3 installed at %4")
                .arg(escaped(extensions).join(QStringLiteral(", ")), escaped(toolName(current)),
                    escaped(current->displayVersion()), locationText());
        }
    }
    return installedText();
}

QString LmtSelectHintTexts::offeredThirdPartyText() const
{
    const auto current = m_row.currentVersion();
    const auto *offered = dynamic_cast<const Lmt3rdPartyOnlineToolVersion *>(current.get());
    const QUrl downloadPage = offered ? offered->externalUrl() : QUrl();
    const QString name = escaped(m_row.displayName());
    // An address that is no web page is still shown, so that the user learns where the
    // registry points, but as text: nothing in it can be clicked and started.
    QString text = isWebPage(downloadPage)
        ? tr("Download %1 by clicking <a href=\"%2\">%2</a>.")
              .arg(name, escaped(downloadPage.toString()))
        : tr("Download %1 from %2.").arg(name, escaped(downloadPage.toString()));

    QStringList extensions;
    if (const auto tool = std::dynamic_pointer_cast<Lmt3rdPartyTool>(current->tool())) {
        for (const auto &plugin : tool->knownPlugins())
            extensions.append(plugin.name);
    }
    if (!extensions.isEmpty()) {
        text += tr(" After installing, open %1 and install %2 extension(s).")
                    .arg(name, escaped(extensions).join(QStringLiteral(", ")));
    }
    return text;
}

QString LmtSelectHintTexts::installedText() const
{
    const auto current = m_row.currentVersion();
    const QString location = locationText();

    if (m_row.upgradeKind() == LmtToolSelectRow::None) {
        const QString names = missingNames();
        const QString notInstalled
            = names.isEmpty() ? QString() : tr("Dependencies are not installed: %1. ").arg(names);
        return tr("%1Version %2 installed at %3")
            .arg(notInstalled, escaped(current->displayVersion()), location);
    }

    const QString newest = m_row.versionKeys().first();
    const auto newestVersion = m_row.versionForKey(newest);
    if (current->toolType() == LmtToolType::External && newestVersion
        && !current->isSamePatchLine(*newestVersion)) {
        // The newer version lives in a line of its own: installing it leaves this one alone.
        if (!newestVersion->isOnline() && newestVersion->selected()) {
            return tr("A newer version is already installed. Version %1 installed at %2.")
                .arg(escaped(current->displayVersion()), location);
        }
        return tr("Update available. Select the new version in the dropdown and select the "
                  "check box to install. Version %1 installed at %2 will remain installed.")
            .arg(escaped(current->displayVersion()), location);
    }

    static const QRegularExpression shortVersion(QStringLiteral("^\\d+\\.\\d+\\.\\d+$"));
    const QString shown
        = shortVersion.match(newest).hasMatch() ? current->displayVersion() : current->version();
    return tr("Update available. Select the new version in the dropdown and select the check box "
              "to install. Version %1 installed at %2 will be replaced with %3")
        .arg(escaped(shown), location, escaped(newest));
}

} // namespace zendrel::lmt::setup
