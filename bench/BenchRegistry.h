#pragma once

// A generated online registry and a download manager that serves it, shared by the
// benchmarks that read a large catalogue.

#include "services/ILmtDownloadManager.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

namespace bench {

using namespace zendrel::lmt::setup;

// Serves one prepared registry document instead of the network.
class CannedDownloadManager : public ILmtDownloadManager
{
public:
    explicit CannedDownloadManager(QByteArray body)
        : m_body(std::move(body))
    {
    }
    QByteArray getData(const QUrl &, std::shared_ptr<LmtAccessToken>, int) override
    {
        return m_body;
    }
    QByteArray getData(const QUrl &, std::shared_ptr<LmtAccessToken>) override { return m_body; }
    QByteArray getData(const QUrl &, int) override { return m_body; }
    QByteArray getData(const QUrl &) override { return m_body; }
    void postData(const QUrl &, const QByteArray &, int) override { }

private:
    QByteArray m_body;
};

inline QByteArray generatedRegistry(int toolCount, int versionCount)
{
    const char *const types[] = { "tools", "patch", "pack", "external" };
    QJsonArray tools;
    for (int t = 0; t < toolCount; ++t) {
        QJsonObject versions;
        for (int v = 0; v < versionCount; ++v) {
            const QString text
                = QString("%1.%2.%3.%4").arg(1 + v / 10).arg(v % 10).arg(t % 7).arg(1000 + v);
            QJsonArray packages;
            for (const char *os : { "Windows", "Linux" })
                packages.append(QJsonObject {
                    { "url",
                        QString("https://dl.example/t%1/%2/%3/download").arg(t).arg(text, os) },
                    { "os", os }, { "architecture", "x86_64" }, { "kind", "installer" },
                    { "filetype", "exe" }, { "filesize", 123.5 } });
            QJsonObject platform { { "silent-install", true },
                { "install-mode", v % 3 ? "all-users" : "current-user" },
                { "installation-directory", "{sd}/Zendrel/Tool" + QString::number(t) },
                { "recommended-mode", "current-user" } };
            versions.insert(QString("v%1").arg(v, 3, 10, QChar('0')),
                QJsonObject { { "version", text }, { "versionNumeric", t * 100 + v },
                    { "id", t * 100 + v }, { "downloadUrls", packages },
                    { "dependencies",
                        QJsonArray { QJsonObject {
                            { "targetFeatureId", "com.bench.t0" }, { "minVersionNumeric", 0 } } } },
                    { "additionalAttributes",
                        QJsonObject { { "windows", platform }, { "linux", platform } } } });
        }
        tools.append(
            QJsonObject { { "additionalAttributes", QJsonObject { { "lmt-type", types[t % 4] } } },
                { "featureId", QString("com.bench.t%1").arg(t) }, { "id", t },
                { "name", QString("Bench tool %1").arg(t) }, { "versions", versions } });
    }
    return QJsonDocument(tools).toJson(QJsonDocument::Compact);
}

} // namespace bench
