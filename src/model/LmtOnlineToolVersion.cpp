#include "model/LmtOnlineToolVersion.h"

#include "model/LmtTool.h"
#include "platform/LmtPlatform.h"
#include "shared_toolkit/Log.h"

#include <stdexcept>

namespace zendrel::lmt::setup {

std::shared_ptr<LmtOnlineToolVersion> LmtOnlineToolVersion::create(
    const QString &version, quint64 versionNumeric, qint64 id)
{
    return std::shared_ptr<LmtOnlineToolVersion>(
        new LmtOnlineToolVersion(version, versionNumeric, id));
}

LmtOnlineToolVersion::LmtOnlineToolVersion(
    const QString &version, quint64 versionNumeric, qint64 id)
    : LmtToolVersion(version, versionNumeric)
    , m_id(id)
{
}

LmtOnlineToolVersion::~LmtOnlineToolVersion() = default;

void LmtOnlineToolVersion::validateSelection()
{
    const std::shared_ptr<LmtTool> owner = tool();
    if (!selected() || !owner)
        return;
    int selectedCount = 0;
    for (const std::shared_ptr<LmtToolVersion> &candidate :
        owner->onlineVersionsWith(major(), minor(), patch())) {
        if (candidate->selected())
            ++selectedCount;
    }
    if (selectedCount > 1) {
        throw std::runtime_error("Invalid version invariant: Several versions with the same "
                                 "major, minor and patch cannot be selected");
    }
}

void LmtOnlineToolVersion::addPackage(const std::shared_ptr<LmtToolPackage> &package)
{
    qCInfo(lmtLocal).noquote() << "[LmtOnlineToolVersion]"
                               << "Add package, url: " + package->url().toDisplayString();
    // Resolve the owner first so that a failure leaves the package list untouched.
    const std::weak_ptr<LmtOnlineToolVersion> self = shared_from_this();
    m_packages.append(package);
    package->setVersion(self);
}

std::shared_ptr<LmtToolPackage> LmtOnlineToolVersion::packageForCurrentOs() const
{
    const QString os = platform::osName();
    for (const std::shared_ptr<LmtToolPackage> &package : m_packages) {
        if (package->os() == os)
            return package;
    }
    return nullptr;
}

QString LmtOnlineToolVersion::installDirectoryFor(LmtToolInstallScope scope) const
{
    return m_installDirectories.value(scope);
}

void LmtOnlineToolVersion::setInstallDirectoryFor(
    LmtToolInstallScope scope, const QString &directory)
{
    m_installDirectories.insert(scope, expandPlaceholders(directory));
}

} // namespace zendrel::lmt::setup
