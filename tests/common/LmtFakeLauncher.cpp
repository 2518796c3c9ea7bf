#include "common/LmtFakeLauncher.h"

#include "common/LmtTestSupport.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>

namespace lmttest {

FakeLauncher::FakeLauncher(const QByteArray &body)
    : FakeLauncher(QDir::homePath(), body)
{
}

FakeLauncher::FakeLauncher(const QString &folder, const QByteArray &body)
    : m_program(folder + QStringLiteral("/Zendrel/LauncherService/kor-launcher-service"))
{
    writeFile(m_program, fixture("common/fake-launcher.sh") + body + "\nexit 0\n", true);
}

FakeLauncher::~FakeLauncher()
{
    QDir(QFileInfo(m_program).absolutePath()).removeRecursively();
}

QList<FakeLauncher::Run> FakeLauncher::runs() const
{
    QList<Run> runs;
    for (const QString &line : readTextFile(QFileInfo(m_program).path() + "/calls.txt").split('\n'))
        if (line.startsWith("RUN "))
            runs << Run { line.mid(4), {} };
        else if (line.startsWith('[') && !runs.isEmpty())
            runs.last().arguments << line.mid(1, line.size() - 2);
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
    return fixture(QStringLiteral("common/port-body.sh")) + rest;
}

QByteArray tokenWithSubject(const QString &subject)
{
    const QByteArray payload
        = QJsonDocument(QJsonObject { { "sub", subject } }).toJson(QJsonDocument::Compact);
    return "eyJhbGciOiJIUzI1NiJ9."
        + payload.toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals)
        + ".c2lnbmF0dXJl";
}

} // namespace lmttest
