#include "registry/Lmt3rdPartyCommand.h"

#include "services/Runner.h"
#include "shared_toolkit/Log.h"

#include <QDir>
#include <QRegularExpression>

namespace zendrel::lmt::setup {

namespace {

const char *const Tag = "[Lmt3rdPartyRegistryParser]";

} // namespace

Lmt3rdPartyCommand Lmt3rdPartyCommand::fromCommandLine(const QString &commandLine)
{
    static const QRegularExpression split(QStringLiteral(R"(^(?<cli>.+)\s(?<args>.+)$)"));
    static const QRegularExpression whiteSpace(QStringLiteral(R"(\s)"));
    Lmt3rdPartyCommand command;
    const QRegularExpressionMatch match = split.match(commandLine);
    if (match.hasMatch()) {
        command.m_program = match.captured(QStringLiteral("cli"));
        command.m_arguments = match.captured(QStringLiteral("args")).split(whiteSpace);
    } else {
        command.m_arguments = QStringList { QString() };
    }
    return command;
}

QString Lmt3rdPartyCommand::displayText(const QString &directory) const
{
    return (QStringList { QDir(directory).absoluteFilePath(m_program) } + m_arguments)
        .join(QLatin1Char(' '));
}

QString Lmt3rdPartyCommand::run(
    const QString &directory, std::chrono::milliseconds timeout, const LogTexts &texts) const
{
    const QString program = QDir(directory).absoluteFilePath(m_program);
    const QString shown = displayText(directory);

    lmtqueryapi::Runner runner;
    runner.setForwardInput(false);
    runner.setForwardOutput(false, true);
    // Its own process group, so that a probe that hangs is killed with whatever it started.
    runner.setNewProcessGroup(true);
    runner.setTimeout(timeout);
    runner.run(program, m_arguments, true);

    if (runner.isRunning())
        qCWarning(lmtLocal).noquote()
            << Tag << shown << "runner was stopped while process is still running";
    if (runner.timedOut()) {
        qCWarning(lmtLocal).noquote() << Tag << "Command" << shown << "did not end within"
                                      << timeout.count() << "ms - killed, output ignored";
        return {};
    }
    if (runner.exitCode() != 0) {
        qCCritical(lmtLocal).noquote() << Tag << texts.failedToInvoke << shown;
        qCCritical(lmtLocal).noquote() << Tag << texts.exitedWithCode << runner.exitCode();
    } else if (!runner.success()) {
        // Not started at all, or crashed: there is no exit code to report, only the reason.
        qCCritical(lmtLocal).noquote() << Tag << texts.failedToInvoke << shown;
        qCCritical(lmtLocal).noquote() << Tag << runner.errorMessage();
    }
    return runner.standardOutputLines().join(QLatin1Char(' '));
}

} // namespace zendrel::lmt::setup
