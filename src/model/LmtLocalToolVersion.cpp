#include "model/LmtLocalToolVersion.h"

#include "model/LmtTool.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace zendrel::lmt::setup {

std::shared_ptr<LmtLocalToolVersion> LmtLocalToolVersion::create(
    const QString &version, quint64 versionNumeric)
{
    return std::shared_ptr<LmtLocalToolVersion>(new LmtLocalToolVersion(version, versionNumeric));
}

LmtLocalToolVersion::LmtLocalToolVersion(const QString &version, quint64 versionNumeric)
    : LmtToolVersion(version, versionNumeric)
{
    setSelected(true);
}

LmtLocalToolVersion::~LmtLocalToolVersion() = default;

QString LmtLocalToolVersion::installLocation() const
{
    const QFileInfo file(m_path);
    if (!file.isFile())
        return m_path;

    // The dashboard program sits in a sub-folder of the installation.
    static const QRegularExpression dashboard(QStringLiteral("dashboard(.exe)?$"));
    QDir directory = file.absoluteDir();
    if (dashboard.match(file.fileName()).hasMatch()) {
        directory.cdUp();
#ifdef Q_OS_MACOS
        // Out of the application bundle: <bundle>.app/Contents/MacOS.
        for (int level = 0; level < 3; ++level)
            directory.cdUp();
#endif
    }
    return directory.absolutePath();
}

QString LmtLocalToolVersion::entryNameOrToolName() const
{
    if (!m_entryName.isEmpty())
        return m_entryName;
    const std::shared_ptr<LmtTool> owner = tool();
    return owner ? owner->name() : QString();
}

} // namespace zendrel::lmt::setup
