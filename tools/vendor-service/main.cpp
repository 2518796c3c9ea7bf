// lumetra-vendor-service: the stand-in for the vendor's tools web service.
//
//   lumetra-vendor-service --catalogue DIR [--port N] [--token-lifetime SECONDS] [--fault KIND]
//
// Listens on 127.0.0.1 only. Once listening it prints exactly one line to standard output,
// "Listening on http://127.0.0.1:<port>", which callers parse; everything else goes to
// standard error.

#include "TokenAuthority.h"
#include "VendorCatalogue.h"
#include "VendorHttpServer.h"
#include "VendorRoutes.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QHostAddress>

#include <cstdio>

using namespace zendrel::lmt::vendorservice;

namespace {

bool readNumberOption(const QCommandLineParser &parser, const QString &name, qint64 minimum,
    qint64 maximum, qint64 *value)
{
    if (!parser.isSet(name))
        return true;
    bool ok = false;
    *value = parser.value(name).toLongLong(&ok);
    if (ok && *value >= minimum && *value <= maximum)
        return true;
    std::fprintf(stderr, "lumetra-vendor-service: --%s needs a number from %lld to %lld\n",
        qPrintable(name), static_cast<long long>(minimum), static_cast<long long>(maximum));
    return false;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("lumetra-vendor-service"));
    qSetMessagePattern(QStringLiteral("[vendor-service] %{if-warning}warning: %{endif}%{message}"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Serves a tools catalogue the way the vendor's tools web service does."));
    parser.addHelpOption();
    parser.addOption({ QStringLiteral("catalogue"), QStringLiteral("Catalogue folder to serve."),
        QStringLiteral("DIR") });
    parser.addOption({ QStringLiteral("port"),
        QStringLiteral("Port on 127.0.0.1 (0, the default, picks a free one)."),
        QStringLiteral("N"), QStringLiteral("0") });
    parser.addOption({ QStringLiteral("token-lifetime"),
        QStringLiteral("Lifetime of issued tokens in seconds (default 3600)."),
        QStringLiteral("SECONDS"), QStringLiteral("3600") });
    parser.addOption({ QStringLiteral("fault"),
        QStringLiteral("Misbehave on purpose: registry-500, registry-malformed, "
                       "cut-first-package or stall-first-package."),
        QStringLiteral("KIND"), QStringLiteral("none") });
    parser.process(app);

    if (!parser.isSet(QStringLiteral("catalogue"))) {
        std::fprintf(stderr, "lumetra-vendor-service: --catalogue DIR is required\n");
        return 2;
    }
    qint64 port = 0;
    qint64 lifetime = 3600;
    if (!readNumberOption(parser, QStringLiteral("port"), 0, 65535, &port)
        || !readNumberOption(
            parser, QStringLiteral("token-lifetime"), 0, 10LL * 365 * 24 * 3600, &lifetime))
        return 2;
    VendorFault fault = VendorFault::None;
    if (!parseVendorFault(parser.value(QStringLiteral("fault")), &fault)) {
        std::fprintf(stderr, "lumetra-vendor-service: unknown --fault %s\n",
            qPrintable(parser.value(QStringLiteral("fault"))));
        return 2;
    }

    VendorCatalogue catalogue;
    QString error;
    if (!catalogue.load(parser.value(QStringLiteral("catalogue")), &error)) {
        std::fprintf(stderr, "lumetra-vendor-service: %s\n", qPrintable(error));
        return 1;
    }
    for (const QString &problem : catalogue.problems())
        qWarning().noquote() << problem;

    TokenAuthority tokens(lifetime);
    VendorRoutes routes(catalogue, tokens);
    routes.setFault(fault);
    VendorHttpServer server(routes);
    const quint16 listening = server.listen(QHostAddress::LocalHost, quint16(port));
    if (listening == 0) {
        std::fprintf(stderr, "lumetra-vendor-service: cannot listen on 127.0.0.1:%lld\n",
            static_cast<long long>(port));
        return 1;
    }
    const QString base = QStringLiteral("http://127.0.0.1:%1").arg(listening);
    catalogue.setBaseUrl(base);
    qInfo().noquote() << QStringLiteral("Serving %1 tools and %2 package files from %3")
                             .arg(catalogue.toolCount())
                             .arg(catalogue.packageCount())
                             .arg(catalogue.directory().rootPath());

    std::printf("Listening on %s\n", qPrintable(base));
    std::fflush(stdout);
    return app.exec();
}
