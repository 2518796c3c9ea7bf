#pragma once

#include "registry/ILmtRegistryLocationProvider.h"
#include "registry/ILmtRegistryParser.h"
#include "registry/LmtBaseRegistryParser.h"
#include "services/ILmtSetupInstallation.h"
#include "shared_toolkit/LmtTr.h"

#include <QDir>
#include <QMap>

#include <memory>

namespace zendrel::lmt::setup {

// Reads the registry files that installations leave in the per-scope registry directories
// (one JSON object per installed version) and adds them to the core tool model as installed
// versions, each with the scope of the directory it was found in. It also notices the
// running setup application's own registry file and remembers its scope for the
// self-updater.
class LmtLocalRegistryParser : public ILmtRegistryParser,
                               public LmtBaseRegistryParser,
                               public ILmtSetupInstallation
{
    Q_OBJECT
    LMT_TR_CONTEXT(LmtLocalRegistryParser)

public:
    // Asks the provider once for its directories; the provider is not kept.
    LmtLocalRegistryParser(std::shared_ptr<LmtCoreToolModel> model,
        std::unique_ptr<ILmtRegistryLocationProvider> locationProvider, QObject *parent = nullptr);

    // Faulty files are logged and skipped; throws only when a directory could not be read,
    // leaving the remaining directories unread.
    void parse() override;

    // The scope (an LmtToolInstallScope value) of the directory in which the running setup's
    // registry file was last found; 0 until it has been found. Kept across refreshes.
    int setupInstallScope() const override { return m_setupInstallScope; }

    QMap<int, QDir> directories() const { return m_directories; }

private:
    void parseDirectory(const QDir &directory, int scope);
    void parseFile(const QString &filePath, int scope);

    QMap<int, QDir> m_directories;
    qint32 m_setupInstallScope = 0;
};

} // namespace zendrel::lmt::setup
