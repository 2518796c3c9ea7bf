// A registry file left by an installation may be damaged or written by another program: any
// bytes in it must be logged and skipped (or added as a version), never crash the parse.
#include "FuzzSupport.h"
#include "model/LmtCoreToolModel.h"
#include "registry/ILmtRegistryLocationProvider.h"
#include "registry/LmtLocalRegistryParser.h"

#include <QDir>
#include <QFile>

#include <stdexcept>

using namespace zendrel::lmt::setup;

namespace {

class FixedLocations : public ILmtRegistryLocationProvider
{
public:
    QMap<int, QDir> registryDirectories() const override
    {
        return { { 0, QDir(lmtfuzz::scratchDir() + QStringLiteral("/registry")) } };
    }
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    lmtfuzz::setUp(argc, argv);
    QDir().mkpath(lmtfuzz::scratchDir() + QStringLiteral("/registry"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QFile file(lmtfuzz::scratchDir() + QStringLiteral("/registry/fuzzed-tool.json"));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 0;
    file.write(lmtfuzz::bytes(data, size));
    file.close();

    auto model = std::make_shared<LmtCoreToolModel>();
    LmtLocalRegistryParser parser(model, std::make_unique<FixedLocations>());
    try {
        parser.parse();
    } catch (const std::runtime_error &) {
        // Only an unreadable directory ends the parse this way.
    }
    model->inheritInstallScopes();
    (void)model->versionsToUninstall();
    return 0;
}
