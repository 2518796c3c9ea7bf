#include "common/LmtTestSupport.h"

#include <QtTest>

#include <cstdio>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lmttest {

Sandbox::Sandbox()
{
    const QString root = m_dir.path();
    const std::pair<const char *, const char *> folders[] { { "XDG_DATA_HOME", "data" },
        { "XDG_CONFIG_HOME", "config" }, { "HOME", "home" }, { "USERPROFILE", "home" },
        { "LOCALAPPDATA", "localappdata" }, { "ALLUSERSPROFILE", "allusers" },
        { "TMPDIR", "tmp" } };
    for (const auto &[variable, sub] : folders) {
        QDir(root).mkpath(QString::fromLatin1(sub));
        qputenv(variable, QFile::encodeName(root + '/' + sub));
    }
}

LogCapture::LogCapture()
{
    auto &log = zendrel::lmt::shared_toolkit::Log::instance();
    m_previousDirect = log.directToFile();
    m_listener.onWrite = [this](const char *bytes, qsizetype length) {
        QMutexLocker lock(&m_mutex);
        m_lines << QString::fromUtf8(bytes, length).split('\n', Qt::SkipEmptyParts);
    };
    log.setDirectToFile(false);
    log.addListener(&m_listener);
    m_previousHandler = qInstallMessageHandler(forwardToLog);
}

LogCapture::~LogCapture()
{
    qInstallMessageHandler(m_previousHandler);
    auto &log = zendrel::lmt::shared_toolkit::Log::instance();
    log.removeListener(&m_listener);
    log.setDirectToFile(m_previousDirect);
}

StderrCapture::StderrCapture()
    : m_path(m_dir.filePath(QStringLiteral("stderr.txt")))
{
    std::fflush(stderr);
    const int fd
        = ::open(QFile::encodeName(m_path).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0)
        return;
    m_savedFd = ::dup(STDERR_FILENO);
    ::dup2(fd, STDERR_FILENO);
    ::close(fd);
}

StderrCapture::~StderrCapture()
{
    if (m_savedFd < 0)
        return;
    std::fflush(stderr);
    ::dup2(m_savedFd, STDERR_FILENO);
    ::close(m_savedFd);
}

QString StderrCapture::text() const
{
    std::fflush(stderr);
    return readTextFile(m_path);
}

QString binDir()
{
    const QString fromEnv = qEnvironmentVariable("LUMETRA_BIN_DIR");
    return fromEnv.isEmpty() ? QStringLiteral(LUMETRA_BIN_DIR) : fromEnv;
}

QByteArray fixture(const QString &relative)
{
    QFile file(fixturePath(relative));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read the fixture %s: %s", qPrintable(file.fileName()),
            qPrintable(file.errorString()));
    return file.readAll();
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList filesBelow(const QString &folder)
{
    QStringList files;
    for (QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
         it.hasNext();)
        files << QDir(folder).relativeFilePath(it.next());
    files.sort();
    return files;
}

QList<qint64> processesWhere(const std::function<bool(const QString &folder)> &test)
{
    QList<qint64> found;
    for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool isPid = false;
        const qint64 pid = entry.toLongLong(&isPid);
        if (isPid && test(QStringLiteral("/proc/%1/").arg(pid)))
            found << pid;
    }
    return found;
}

bool writeFile(const QString &path, const QByteArray &text, bool executable)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    file.write(text);
    file.close();
    return !executable
        || file.setPermissions(file.permissions() | QFileDevice::ExeOwner | QFileDevice::ExeGroup);
}

bool rerunUnprivileged()
{
    if (::geteuid() != 0)
        return false;
    const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
    const passwd *const nobody = ::getpwnam("nobody");
    if (setpriv.isEmpty() || !nobody) {
        QTest::qSkip("runs as root, and there is no setpriv or no account 'nobody' to run the "
                     "test as an ordinary user",
            __FILE__, __LINE__);
        return true;
    }

    // A copy of the program, in a folder the account can reach: the build tree may be private
    // to root. Its own temporary folder (where its sandbox goes) belongs to the account.
    QTemporaryDir dir(QStringLiteral("/tmp/lmt-unprivileged-XXXXXX"));
    const QString self = QCoreApplication::applicationFilePath();
    const QString program = dir.filePath(QFileInfo(self).fileName());
    const QString temp = dir.filePath(QStringLiteral("tmp"));
    if (!dir.isValid() || ::chmod(QFile::encodeName(dir.path()).constData(), 0755) != 0
        || !QFile::copy(self, program) || ::chmod(QFile::encodeName(program).constData(), 0755) != 0
        || !QDir().mkpath(temp)
        || ::chown(QFile::encodeName(temp).constData(), nobody->pw_uid, nobody->pw_gid) != 0) {
        QTest::qFail("cannot prepare the run as 'nobody'", __FILE__, __LINE__);
        return true;
    }

    const QString function = QString::fromLatin1(QTest::currentTestFunction());
    const char *tag = QTest::currentDataTag();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TMPDIR"), temp);
    environment.insert(QStringLiteral("HOME"), temp);
    QProcess run;
    run.setProcessEnvironment(environment);
    run.setWorkingDirectory(temp);
    run.setProcessChannelMode(QProcess::MergedChannels);
    run.start(setpriv,
        { QStringLiteral("--reuid=%1").arg(nobody->pw_uid),
            QStringLiteral("--regid=%1").arg(nobody->pw_gid), QStringLiteral("--clear-groups"),
            program, tag ? function + ':' + QString::fromLatin1(tag) : function });
    const bool ended = run.waitForFinished(240000);
    const QString output = QString::fromLocal8Bit(run.readAll());
    // The run must have passed this very test, not skipped it or found nothing to run.
    const bool passed = ended && run.exitStatus() == QProcess::NormalExit && run.exitCode() == 0
        && output.contains(QRegularExpression(
            QStringLiteral("^PASS   : \\S+::%1\\b").arg(QRegularExpression::escape(function)),
            QRegularExpression::MultilineOption))
        && !output.contains(QStringLiteral("SKIP   : "));
    if (!passed)
        QTest::qFail(qPrintable(QStringLiteral("the run as 'nobody' failed:\n") + output), __FILE__,
            __LINE__);
    return true;
}

} // namespace lmttest
