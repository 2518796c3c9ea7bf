#include "FuzzSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLoggingCategory>
#include <QTemporaryDir>

#include <memory>

namespace lmtfuzz {

namespace {

std::unique_ptr<QTemporaryDir> scratch;

void dropMessage(QtMsgType, const QMessageLogContext &, const QString &)
{
}

} // namespace

void setUp(int *argc, char ***argv)
{
    // The application object keeps a reference to argc and is never destroyed: libFuzzer ends
    // the process with exit(), after main's frame (where argc lives) is gone, and tearing Qt
    // down from an exit handler crashes inside Qt.
    static int argumentCount = *argc;
    static QCoreApplication *application = nullptr;
    if (application)
        return;
    scratch = std::make_unique<QTemporaryDir>();
    const QString root = scratch->path();
    for (const char *sub : { "data", "config", "home", "allusers", "localappdata", "tmp" })
        QDir(root).mkpath(QString::fromLatin1(sub));
    qputenv("XDG_DATA_HOME", QFile::encodeName(root + "/data"));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(root + "/config"));
    qputenv("HOME", QFile::encodeName(root + "/home"));
    qputenv("LOCALAPPDATA", QFile::encodeName(root + "/localappdata"));
    qputenv("ALLUSERSPROFILE", QFile::encodeName(root + "/allusers"));
    qputenv("TMPDIR", QFile::encodeName(root + "/tmp"));
    application = new QCoreApplication(argumentCount, *argv);
    qInstallMessageHandler(dropMessage);
    QLoggingCategory::setFilterRules(QStringLiteral("*=false"));
}

QString scratchDir()
{
    return scratch->path();
}

} // namespace lmtfuzz
