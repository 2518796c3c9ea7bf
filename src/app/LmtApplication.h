#pragma once

#include <QDir>
#include <QString>

#include <memory>

class QSettings;
class QWidget;

namespace zendrel::lmt::setup {

// A version of up to four parts; -1 marks an absent part. Only a prefix of the parts may be
// present and none may be negative, otherwise the constructor throws "Invalid version".
class LmtVersion
{
public:
    LmtVersion(qint64 major, qint64 minor = -1, qint64 patch = -1, qint64 build = -1);

    qint64 major() const { return m_major; }
    qint64 minor() const { return m_minor; }
    qint64 patch() const { return m_patch; }
    qint64 build() const { return m_build; }

    // The present parts joined by points ("1.2.0.787").
    QString toString() const;
    // major.minor ("1.2").
    QString shortText() const;

private:
    qint64 m_major;
    qint64 m_minor;
    qint64 m_patch;
    qint64 m_build;
};

// Product identity, fixed at build time.
QString productName();          // "Lumetra™ Setup"
const LmtVersion &productVersion(); // 1.2.0.787
QString applicationDisplayName(); // "Lumetra™ Setup 1.2"

// The product name without the characters Windows forbids in file names and without any
// character at or above code 127: safe as a path component. Computed once.
QString sanitizedApplicationName();
// Same rule for any text (exposed for tests).
QString sanitizeApplicationName(const QString &name);

// The process-wide INI settings: <generic data location>/Zendrel_Technologies_AG/Lumetra/
// <application name>.ini. Created on first use, lives until process exit.
QSettings &applicationSettings();

// Gives the Qt application its identity (version, locale, names, icon, font). Throws on an
// invalid version.
void applicationSetup();

// The log directory from "LmtGeneralSettings/LogDir"; an empty or vanished one is replaced by
// the temporary directory, which is written back.
QString resolveLogDirectory();

// True when path is an existing directory in which a file can be created.
bool logDirectoryWritable(const QString &path);

// Where downloaded packages are kept: the current-user registry directory, or its "Tools"
// sub-folder when that exists; always absolute.
QDir downloadsDirectory();

// "file:///" on Windows, "file://" elsewhere.
QString fileUrlPrefix();

// The folder that holds the per-program log folders (parent of the current log's folder).
QString logFolder();

// "2023" when built in 2023, else "2023-<build year>".
QString aboutYearRange(const QString &buildYear);
// The About text; the launcher-service log line only when that log exists.
QString aboutText();
void showAbout(QWidget *parent);

} // namespace zendrel::lmt::setup
