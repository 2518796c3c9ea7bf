// Throughput of LmtDownloadManager::getData for a registry-sized body over loopback.
// Usage: bench_download_manager [megabytes=20] [rounds=5]

#include "common/LmtLoopbackHttpServer.h"
#include "common/LmtTestSupport.h"
#include "services/LmtDownloadManager.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <sys/resource.h>
#include <vector>

using namespace zendrel::lmt::setup;

namespace {

double processCpuSeconds()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds
        = [](const timeval &t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    lmttest::Sandbox sandbox;
    const int megabytes = argc > 1 ? std::max(1, atoi(argv[1])) : 20;
    const int rounds = argc > 2 ? std::max(1, atoi(argv[2])) : 5;

    // A JSON-looking body so that nothing on the way can shortcut a run of equal bytes.
    QByteArray body;
    body.reserve(qsizetype(megabytes) * 1024 * 1024);
    body += '[';
    for (int i = 0; body.size() < qsizetype(megabytes) * 1024 * 1024 - 64; ++i)
        body += "{\"id\":" + QByteArray::number(i) + ",\"name\":\"tool-" + QByteArray::number(i)
            + "\"},";
    body.resize(qsizetype(megabytes) * 1024 * 1024 - 1);
    body += ']';

    lmttest::LoopbackHttpServer server([body](const lmttest::HttpRequest &) {
        return lmttest::HttpResponse { 200, body, {}, {} };
    });
    LmtDownloadManager manager;
    const QUrl url = server.url("/api/v1/tools/?dependencies=true");
    manager.getData(server.url("/warm-up")); // connection set-up is not measured

    std::vector<double> rates;
    for (int round = 0; round < rounds; ++round) {
        QElapsedTimer clock;
        const double cpuBefore = processCpuSeconds();
        clock.start();
        const QByteArray received = manager.getData(url);
        const qint64 nanoseconds = clock.nsecsElapsed();
        const double cpuSeconds = processCpuSeconds() - cpuBefore;
        if (received != body) {
            std::fprintf(stderr, "round %d: body differs (%lld bytes)\n", round,
                static_cast<long long>(received.size()));
            return 1;
        }
        const double rate = (double(received.size()) / (1024.0 * 1024.0)) / (nanoseconds / 1e9);
        rates.push_back(rate);
        // CPU time of the whole process (client and server threads): on a shared machine the
        // wall time also holds the time spent waiting for a core.
        std::printf("round %d: %d MiB in %.1f ms = %.0f MiB/s (process CPU %.1f ms)\n", round + 1,
            megabytes, nanoseconds / 1e6, rate, cpuSeconds * 1e3);
    }
    const double first = rates.front();
    std::sort(rates.begin(), rates.end());
    std::printf("getData throughput over loopback: first fetch %.0f MiB/s, median %.0f MiB/s, "
                "best %.0f MiB/s (target >= 100 MB/s)\n",
        first, rates[rates.size() / 2], rates.back());
    return 0;
}
