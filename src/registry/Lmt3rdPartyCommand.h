#pragma once

#include <QString>
#include <QStringList>

#include <chrono>

namespace zendrel::lmt::setup {

// One version or plug-in-list command of a 3rd-party tool, as written in the 3rd-party tools
// file: a program relative to the tool's install directory, a blank, then the arguments.
class Lmt3rdPartyCommand
{
public:
    // The texts that name the caller in the failure lines of run().
    struct LogTexts {
        const char *failedToInvoke;
        const char *exitedWithCode;
    };

    // The program is everything up to the last white-space character, the arguments are the
    // rest split at every white-space character: "bin/tool -a -b" runs "bin/tool -a" with
    // "-b". A command line without white space gives no program and one empty argument.
    static Lmt3rdPartyCommand fromCommandLine(const QString &commandLine);

    QString program() const { return m_program; }
    QStringList arguments() const { return m_arguments; }
    // The command as logged: the resolved program followed by the arguments.
    QString displayText(const QString &directory) const;

    // Runs the program, resolved against directory, waits for it (at most timeout, after which
    // it is killed) and returns its output lines joined with single blanks; empty when the
    // command timed out. Failures are logged with the given texts; none of them is fatal.
    QString run(
        const QString &directory, std::chrono::milliseconds timeout, const LogTexts &texts) const;

private:
    QString m_program;
    QStringList m_arguments;
};

} // namespace zendrel::lmt::setup
