#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace lmttest {

// A scripted launcher service: a shell script placed where the application looks for the
// service (below HOME). Every run appends a line "RUN <working directory>" and its
// arguments, one "[arg]" per line, to calls.txt beside it, so that tests can check the exact
// argument vectors.
class FakeLauncher
{
public:
    // Installs a script below the current HOME (create the Sandbox first) whose body runs
    // after the recording; "$1" etc. are the arguments.
    explicit FakeLauncher(const QByteArray &body);
    // Installs it below folder instead (e.g. a fake system drive).
    FakeLauncher(const QString &folder, const QByteArray &body);
    ~FakeLauncher();

    struct Run {
        QString workingDirectory;
        QStringList arguments;
    };

    QString program() const { return m_program; }
    // All runs so far, in the order they were recorded.
    QList<Run> runs() const;
    // Their argument vectors.
    QList<QStringList> calls() const;

    // A body whose "-port" prints a log chunk, pauses, then prints the port on its own.
    static QByteArray portBody(const QByteArray &rest = QByteArray());

private:
    QString m_program;
};

// A JSON Web Token whose payload is {"sub": subject}.
QByteArray tokenWithSubject(const QString &subject);

} // namespace lmttest
