#include "model/LmtTool.h"

#include "model/LmtLocalToolVersion.h"
#include "model/LmtOnlineToolVersion.h"
#include "shared_toolkit/Log.h"

#include <algorithm>

namespace zendrel::lmt::setup {

namespace {

// Whether v heads its line: a selected version unless a newer one of the line is selected
// too; an unselected one only when nothing in the line is selected. In an unselected line an
// installed version goes before every offered one, and otherwise the newest one leads. (An
// installed version is not pushed aside by a newer offered one: that would leave a line with
// an installed version marked for removal without any head, and so without a row.)
bool isHeadOfLine(const LmtToolVersion &v, const LmtToolVersionList &line)
{
    const auto exists = [&line](auto predicate) {
        return std::any_of(line.cbegin(), line.cend(),
            [&predicate](const std::shared_ptr<LmtToolVersion> &x) { return predicate(*x); });
    };
    if (v.selected())
        return !exists([&v](const LmtToolVersion &x) { return x.selected() && x > v; });
    if (exists([](const LmtToolVersion &x) { return x.selected(); }))
        return false;
    return !exists([&v](const LmtToolVersion &x) {
        return (!x.isOnline() && v.isOnline()) || (x.isOnline() == v.isOnline() && x > v);
    });
}

} // namespace

std::shared_ptr<LmtTool> LmtTool::create(
    const QString &featureId, LmtToolType type, const QString &name, bool loginRequired)
{
    return std::shared_ptr<LmtTool>(new LmtTool(featureId, type, name, loginRequired));
}

LmtTool::LmtTool(
    const QString &featureId, LmtToolType type, const QString &name, bool loginRequired)
    : m_featureId(featureId)
    , m_type(type)
    , m_name(name)
    , m_loginRequired(loginRequired)
{
}

LmtTool::~LmtTool() = default;

bool LmtTool::isPatchUpdatable() const
{
    return m_type != LmtToolType::External || m_isPatchVersionUpdatable;
}

void LmtTool::addVersion(const std::shared_ptr<LmtToolVersion> &version)
{
    qCInfo(lmtLocal).noquote() << "[LmtTool]"
                               << QStringLiteral("\tAdd %1 version: ")
                                      .arg(version->isOnline() ? QStringLiteral("Online")
                                                               : QStringLiteral("Local"))
            + version->version();
    // Resolve the owner first so that a failure leaves the lists untouched.
    std::weak_ptr<LmtTool> self = shared_from_this();
    m_allVersions.append(version);
    version->setTool(std::move(self));
    if (version->isOnline())
        m_onlineVersions.append(version);
    else
        m_localVersions.append(version);
}

bool LmtTool::hasVersion(const QString &version) const
{
    return std::any_of(m_allVersions.cbegin(), m_allVersions.cend(),
        [&version](const auto &v) { return v->version() == version; });
}

std::shared_ptr<LmtOnlineToolVersion> LmtTool::findOnlineVersion(const QString &version) const
{
    for (const std::shared_ptr<LmtToolVersion> &v : m_onlineVersions) {
        if (v->version() == version)
            return std::dynamic_pointer_cast<LmtOnlineToolVersion>(v);
    }
    return nullptr;
}

std::shared_ptr<LmtLocalToolVersion> LmtTool::findLocalVersion(const QString &version) const
{
    for (const std::shared_ptr<LmtToolVersion> &v : m_localVersions) {
        if (v->version() == version)
            return std::dynamic_pointer_cast<LmtLocalToolVersion>(v);
    }
    return nullptr;
}

std::shared_ptr<LmtLocalToolVersion> LmtTool::findLocalVersion(
    const QString &version, LmtToolInstallScope scope) const
{
    for (const std::shared_ptr<LmtToolVersion> &v : m_localVersions) {
        if (v->version() == version && v->installScope() == scope)
            return std::dynamic_pointer_cast<LmtLocalToolVersion>(v);
    }
    return nullptr;
}

LmtToolVersionList LmtTool::onlineVersionsWith(quint32 major, quint32 minor, quint32 patch) const
{
    LmtToolVersionList matching;
    for (const std::shared_ptr<LmtToolVersion> &v : m_onlineVersions) {
        if (v->major() == major && v->minor() == minor && v->patch() == patch)
            matching.append(v);
    }
    return matching;
}

LmtVersionGroups LmtTool::versionGroups() const
{
    LmtVersionGroups groups;
    for (const std::shared_ptr<LmtToolVersion> &v : m_allVersions) {
        LmtToolVersionList line = v->relatedVersions();
        if (isHeadOfLine(*v, line))
            groups.insert(v, line);
    }
    return groups;
}

} // namespace zendrel::lmt::setup
