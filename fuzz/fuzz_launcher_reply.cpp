// The launcher service is another program: its token replies and its "-port" output must be
// read safely whatever they hold. The same bytes go to the token reply parser, the token check
// (through a download manager that answers with them) and the port search.
#include "FuzzSupport.h"
#include "LmtFakeDownloadManager.h"
#include "services/LmtLauncherServiceConnector.h"

#include <stdexcept>

using namespace zendrel::lmt::setup;

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    lmtfuzz::setUp(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input = lmtfuzz::bytes(data, size);
    const QUrl url(QStringLiteral("http://127.0.0.1:1/kor-service/requestAccessToken"));
    try {
        const auto reply = LmtLauncherServiceConnector::parseTokenReply(input, url);
        // A reply that passes must carry a token: an empty one would sign the user out.
        if (reply.accessToken.isEmpty())
            __builtin_trap();
    } catch (const std::runtime_error &) {
    }

    auto downloads = std::make_shared<lmttest::FakeDownloadManager>();
    downloads->replyWith(input);
    LmtLauncherServiceConnector connector(downloads);
    try {
        (void)connector.verifyTokenValue(QByteArrayLiteral("token"));
    } catch (const std::runtime_error &) {
    }

    const quint32 port = LmtLauncherServiceConnector::portFromOutput(QString::fromLocal8Bit(input));
    if (port > 65535)
        __builtin_trap();
    return 0;
}
