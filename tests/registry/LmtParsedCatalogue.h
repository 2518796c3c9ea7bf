#pragma once

#include "common/LmtTestSupport.h"
#include "model/Lmt3rdPartyLocalToolVersion.h"
#include "model/Lmt3rdPartyOnlineToolVersion.h"
#include "model/Lmt3rdPartyTool.h"
#include "model/LmtCoreToolModel.h"
#include "model/LmtToolDependency.h"
#include "model/LmtToolPackage.h"

#include <QtTest>

// What a parser made of a case, as compact text: one line per tool, version, package,
// dependency, plug-in and log panel line, so a test compares it whole with an expected file
// below tests/data/registry/ that a reader can check against the case's input by eye.
namespace lmttest {

using namespace zendrel::lmt::setup;

template<typename Number>
QString n(Number value)
{
    return QString::number(value);
}

inline QStringList catalogueLines(const LmtCoreToolModel &model)
{
    QStringList out;
    const auto field = [](const char *key, const QString &value) {
        return value.isEmpty() ? QString() : QStringLiteral(" %1=%2").arg(key, value);
    };
    for (const auto &tool : model.tools()) {
        out << QStringLiteral("tool %1 '%2' type=%3 id=%4 login=%5 patchUpdatable=%6")
                   .arg(tool->featureId(), tool->name(), n(int(tool->type())), n(tool->id()),
                       n(tool->loginRequired()), n(tool->isPatchVersionUpdatable()));
        if (const auto third = std::dynamic_pointer_cast<Lmt3rdPartyTool>(tool)) {
            out << "  short=" + third->shortName();
            for (const auto &known : third->knownPlugins())
                out << QStringLiteral("  knows %1 '%2'").arg(known.id, known.name);
        }
        for (const auto &v : tool->allVersions()) {
            QString line
                = QStringLiteral("  %1 '%2' n=%3 selected=%4 scope=%5")
                      .arg(v->isOnline() ? "offered" : "installed", v->version(),
                          n(v->versionNumeric()), n(v->selected()), n(int(v->installScope())))
                + field("dir", v->installDirectory());
            const auto online = std::dynamic_pointer_cast<LmtOnlineToolVersion>(v);
            if (online) {
                QStringList scopes;
                for (const auto scope : online->supportedScopes())
                    scopes << n(int(scope));
                line += QStringLiteral(" id=%1 scopes=%2 recommended=%3 silent=%4")
                            .arg(n(online->id()), scopes.join(','),
                                n(int(online->recommendedScope())), n(online->silentInstall()))
                    + field("dir0", online->installDirectoryFor(LmtToolInstallScope::CurrentUser))
                    + field("dir1", online->installDirectoryFor(LmtToolInstallScope::AllUsers));
            }
            if (const auto l = std::dynamic_pointer_cast<LmtLocalToolVersion>(v))
                line += field("path", l->path()) + field("entry", l->entryName())
                    + field("uninstall", l->uninstallPath()) + " shown='" + l->displayName() + "'";
            if (const auto o = std::dynamic_pointer_cast<Lmt3rdPartyOnlineToolVersion>(v))
                line += field("url", o->externalUrl().toString());
            out << line;
            if (online)
                for (const auto &p : online->packages())
                    out << QStringLiteral("    package %1 %2 %3 %4 %5 own=%6")
                               .arg(p->os(), p->url().toString(), p->kind(), p->fileType(),
                                   n(p->fileSize()), n(p->version() == online));
            for (const auto &d : v->dependencies())
                out << QStringLiteral("    needs %1 %2..%3")
                           .arg(d->targetFeatureId, n(d->minVersionNumeric),
                               n(d->maxVersionNumeric));
            if (const auto l = std::dynamic_pointer_cast<Lmt3rdPartyLocalToolVersion>(v)) {
                for (const auto &p : l->plugins())
                    out << QStringLiteral("    plug-in %1 '%2' '%3' installed=%4")
                               .arg(p->id(), p->name(), p->installCommand(), n(p->installed()));
                if (l->hasPluginsNotInstalled())
                    out << "    missing " + l->pluginNamesNotInstalled().join(',');
            }
        }
    }
    return out;
}

// The log panel lines a parser sent, with their kind.
inline QStringList panelLines(const QSignalSpy &panel)
{
    QStringList out;
    for (const auto &args : panel)
        out << QStringLiteral("panel %1 %2").arg(args.at(1).toInt()).arg(args.at(0).toString());
    return out;
}

// The text with "@ROOT@"-like keys of placeholders replaced by the run-time folders.
inline QByteArray filled(QByteArray text, const QMap<QString, QString> &placeholders)
{
    for (auto it = placeholders.cbegin(); it != placeholders.cend(); ++it)
        text.replace(it.key().toUtf8(), it.value().toUtf8());
    return text;
}

// Copies a case folder below tests/data/ into the folder to, filling in its placeholders; what
// is below its "home" goes to the user's home instead.
inline void stage(
    const QString &folder, const QString &to, const QMap<QString, QString> &placeholders)
{
    const QString from = fixturePath(folder);
    for (const QString &file : filesBelow(from))
        QVERIFY(
            writeFile(file.startsWith("home/") ? QDir::homePath() + file.mid(4) : to + '/' + file,
                filled(readFile(from + '/' + file), placeholders),
                QFileInfo(from + '/' + file).isExecutable()));
}

// Compares actual with the expected file: its "log " lines must each be part of some line of
// the log and its "!log " lines of none; the other lines are what actual must be, in order.
inline void compareWithExpected(const QStringList &actual, const QStringList &log,
    const QString &expectedFile, const QMap<QString, QString> &placeholders)
{
    const QString text = QString::fromUtf8(filled(fixture(expectedFile), placeholders));
    QStringList expected;
    const QString joinedLog = log.join('\n');
    for (const QString &line : text.split('\n', Qt::SkipEmptyParts)) {
        if (line.startsWith("log "))
            QVERIFY2(joinedLog.contains(line.mid(4)), qPrintable(line));
        else if (line.startsWith("!log "))
            QVERIFY2(!joinedLog.contains(line.mid(5)), qPrintable(line));
        else
            expected << line;
    }
    // Trailing blanks are not kept by every editor, so they do not count.
    static const QRegularExpression trailing(QStringLiteral("\\s+$"));
    QCOMPARE(QStringList(actual).replaceInStrings(trailing, QString()),
        expected.replaceInStrings(trailing, QString()));
}

} // namespace lmttest
