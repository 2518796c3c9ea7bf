#include "common/LmtFakeLauncher.h"

#include "common/LmtTestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

namespace lmttest {

namespace {

QString serviceFolder(const QString &root)
{
    return root + QStringLiteral("/Zendrel/LauncherService");
}

} // namespace

FakeLauncher::FakeLauncher(const QByteArray &body)
{
    install(QDir::homePath(), body);
}

FakeLauncher::FakeLauncher(const QString &folder, const QByteArray &body)
{
    install(folder, body);
}

FakeLauncher::~FakeLauncher()
{
    QDir(QFileInfo(m_program).absolutePath()).removeRecursively();
}

void FakeLauncher::install(const QString &folder, const QByteArray &body)
{
    m_program = serviceFolder(folder) + QStringLiteral("/kor-launcher-service");
    // One printf per run: runs that overlap (service start and "-port") each append their
    // record in a single write.
    const QByteArray script = "#!/bin/sh\n"
                              "here=$(dirname \"$0\")\n"
                              "record=\"RUN $(pwd)\"\n"
                              "for a in \"$@\"; do record=\"$record\n[$a]\"; done\n"
                              "printf '%s\\n' \"$record\" >> \"$here/calls.txt\"\n"
        + body + "\nexit 0\n";
    writeFile(m_program, script, true);
}

QList<FakeLauncher::Run> FakeLauncher::runs() const
{
    QFile file(QFileInfo(m_program).absolutePath() + QStringLiteral("/calls.txt"));
    QList<Run> runs;
    if (!file.open(QIODevice::ReadOnly))
        return runs;
    for (const QString &line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1String("RUN ")))
            runs << Run { line.mid(4), {} };
        else if (line.startsWith(QLatin1Char('[')) && !runs.isEmpty())
            runs.last().arguments << line.mid(1, line.size() - 2);
    }
    return runs;
}

QList<QStringList> FakeLauncher::calls() const
{
    QList<QStringList> vectors;
    for (const Run &run : runs())
        vectors << run.arguments;
    return vectors;
}

QByteArray FakeLauncher::portBody(const QByteArray &rest)
{
    return "if [ \"$1\" = -port ]; then\n"
           "  printf '2026-12-06 20:00:00 INFO launcher: looking up the service\\n'\n"
           "  sleep 0.3\n"
           "  printf '49152\\n'\n"
           "  exit 0\n"
           "fi\n"
        + rest;
}

QByteArray tokenWithSubject(const QString &subject)
{
    const auto options = QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals;
    const QByteArray payload = QJsonDocument(
        QJsonObject { { QStringLiteral("sub"),
            subject } }).toJson(QJsonDocument::Compact);
    return "eyJhbGciOiJIUzI1NiJ9." + payload.toBase64(options) + ".c2lnbmF0dXJl";
}

} // namespace lmttest
