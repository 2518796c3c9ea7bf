// The online registry reply comes from the network: any bytes must end in a filled model or a
// std::runtime_error, never in a crash.
#include "FuzzSupport.h"
#include "LmtFakeDownloadManager.h"
#include "model/LmtCoreToolModel.h"
#include "registry/LmtOnlineRegistryParser.h"

#include <stdexcept>

using namespace zendrel::lmt::setup;

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    lmtfuzz::setUp(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    auto downloads = std::make_shared<lmttest::FakeDownloadManager>();
    downloads->replyWith(lmtfuzz::bytes(data, size));
    auto model = std::make_shared<LmtCoreToolModel>();
    LmtOnlineRegistryParser parser(downloads, model);
    try {
        parser.parse();
    } catch (const std::runtime_error &) {
        // The documented outcome for a reply that is empty or not a JSON array.
    }
    // What the rest of the program asks of a freshly parsed model, on whatever was stored.
    model->inheritInstallScopes();
    (void)model->updateVersions();
    (void)model->newInstallVersions();
    return 0;
}
