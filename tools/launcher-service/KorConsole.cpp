#include "KorConsole.h"

#include "shared_toolkit/Log.h"

#include <cstdio>

namespace zendrel::lmt::korservice {

namespace {

void writeLine(std::FILE *stream, const QString &line)
{
    const QByteArray bytes = line.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream);
    std::fflush(stream);
}

} // namespace

void printLine(const QString &line)
{
    writeLine(stdout, line);
    qCInfo(lmtLocal).noquote() << "[KorConsole]"
                               << "Output:" << line;
}

void printProgress(const QString &line)
{
    writeLine(stdout, line);
}

void printError(const QString &line)
{
    writeLine(stderr, line);
    qCCritical(lmtLocal).noquote() << "[KorConsole]" << line;
}

} // namespace zendrel::lmt::korservice
