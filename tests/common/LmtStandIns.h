#pragma once

#include "common/LmtTestSupport.h"

#include <QDir>
#include <QJsonObject>
#include <QProcess>

namespace lmttest {

// The demo catalogue the build generates for the vendor stand-in.
QString demoCatalogue();

// lumetra-vendor-service serving the demo catalogue on a free loopback port, stopped (killed)
// when this object goes. Extra arguments such as "--fault registry-500" are passed on.
class VendorStandIn
{
public:
    VendorStandIn() = default;
    ~VendorStandIn() { stop(); }
    VendorStandIn(const VendorStandIn &) = delete;
    VendorStandIn &operator=(const VendorStandIn &) = delete;

    // Starts it and waits for its "Listening on" line; false (with the reason in error) when
    // it did not come up.
    bool start(const QStringList &extraArguments = {}, QString *error = nullptr);
    void stop();
    // Serves another catalogue folder from the next start on.
    void setCatalogue(const QString &folder) { m_catalogue = folder; }

    QString url() const { return m_url; }
    // What it wrote to standard error so far: one line per request it answered, e.g.
    // "[vendor-service] GET /api/v1/tools/ -> 200 (5120 bytes), token: none".
    QStringList requestLog() const
    {
        return readTextFile(m_logDir.filePath("requests.log")).split('\n', Qt::SkipEmptyParts);
    }
    // What the application's "korOnlineUrl" setting is set to.
    QString registryUrl() const { return m_url + QStringLiteral("/api/v1/tools/"); }

private:
    QProcess m_process;
    QString m_url;
    QTemporaryDir m_logDir;
    QString m_catalogue = demoCatalogue();
};

// Demo account of the catalogue.
inline constexpr const char *kDemoEmail = "demo.user@lumetra-demo.example";
inline constexpr const char *kDemoPassword = "lumetra-demo";

// Where the application looks for kor-launcher-service in the (sandboxed) home folder.
inline QString launcherServiceDirectory()
{
    return QDir::homePath() + "/Zendrel/LauncherService";
}
// The config with which kor-launcher-service signs in at the vendor stand-in.
bool writeLauncherConfig(const QString &vendorUrl,
    const QString &email = QString::fromLatin1(kDemoEmail),
    const QString &password = QString::fromLatin1(kDemoPassword));
// Copies the built kor-launcher-service to launcherServiceDirectory(); returns its path, empty
// on failure.
QString installLauncherService();
// Runs program (a kor-launcher-service) with arguments and waits for it; the exit code, or -1
// when it did not end normally in time.
int runLauncherService(const QString &program, const QStringList &arguments = {});

// One run of the built kor-launcher-service.
struct RunResult {
    bool finished = false;
    int exitCode = -1;
    QByteArray out;
    QByteArray err;

    QStringList outLines() const { return QString::fromUtf8(out).split('\n', Qt::SkipEmptyParts); }
};

// Runs the built kor-launcher-service, waiting in the event loop so that servers of this
// process (a scripted vendor) keep answering meanwhile.
RunResult runLauncher(const QStringList &arguments);
// Its "-kor.service" verbs: the verb line, then the installer's arguments.
inline RunResult korService(const QString &verbLine, const QStringList &installerArguments = {})
{
    return runLauncher(
        QStringList { QStringLiteral("-kor.service"), verbLine } + installerArguments);
}
// One HTTP exchange with the service's loopback API, also waiting in the event loop.
QJsonObject askService(quint16 port, const QString &path, bool post = false, int *status = nullptr);

} // namespace lmttest
