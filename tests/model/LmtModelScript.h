#pragma once

#include "common/LmtModelFixtures.h"
#include "model/LmtCoreToolModel.h"
#include "model/LmtInstallOrder.h"

#include <QRegularExpression>

namespace lmttest {

using namespace zendrel::lmt::setup;

// A catalogue written as one line, so that a scenario reads like what the user sees. Tools are
// separated by "; ": "<type> <id>[ free][ nopatch][ key=<version>][ name=<name>]: <version> …". A
// version is "o" (offered), "l" (installed for the current user) or "L" (for all users) and its
// text, then
// "*" selects an offer, "-" unticks an installation, "^" puts an offer in the all-users scope,
// "#n" gives its number, ">id@min[-max]" a dependency and "=dir" its folder. Versions are named
// "<id>/<code><text>" as in "t/o3.2.0"; queries answer with these names.
class ModelScript
{
public:
    explicit ModelScript(const QString &text)
    {
        static const QRegularExpression token(
            R"(^([olL])([\d.]+)([*-]?)(\^?)(?:#(\d+))?((?:>[\w.]+@\d+(?:-\d+)?)*)(?:=(\S+))?$)");
        for (const QString &toolText : text.split(QStringLiteral("; "), Qt::SkipEmptyParts)) {
            const QStringList head = toolText.section(':', 0, 0).split(' ');
            const QString name = head.filter("name=").value(0, "name=" + head[1]).mid(5);
            const auto tool = LmtTool::create(
                head[1], determineToolType(head[0], "", ""), name, !head.contains("free"));
            tool->setIsPatchVersionUpdatable(!head.contains("nopatch"));
            for (const QString &flag : head.filter("key="))
                tool->setSelectedVersionKey(flag.mid(4));
            model.addTool(tool);
            for (const QString &code : toolText.section(':', 1).split(' ', Qt::SkipEmptyParts)) {
                const QRegularExpressionMatch m = token.match(code);
                if (!m.hasMatch())
                    qFatal("Not a version: %s", qPrintable(code));
                const quint64 number = m.captured(5).toULongLong();
                const std::shared_ptr<LmtToolVersion> version = m.captured(1) == "o"
                    ? std::shared_ptr<LmtToolVersion>(addOnline(tool, m.captured(2), number))
                    : addLocal(tool, m.captured(2),
                        m.captured(1) == "L" ? LmtToolInstallScope::AllUsers
                                             : LmtToolInstallScope::CurrentUser,
                        number);
                m_names.insert(version.get(), head[1] + '/' + m.captured(1) + m.captured(2));
                if (!m.captured(4).isEmpty())
                    version->setInstallScope(LmtToolInstallScope::AllUsers);
                if (!m.captured(7).isEmpty())
                    version->setInstallDirectory(m.captured(7));
                for (const QString &d : m.captured(6).split('>', Qt::SkipEmptyParts))
                    version->addDependency(d.section('@', 0, 0),
                        d.section('@', 1).section('-', 0, 0).toULongLong(),
                        d.contains('-') ? d.section('-', 1).toULongLong()
                                        : LmtToolDependency::Unbounded);
                if (!m.captured(3).isEmpty())
                    version->setSelected(m.captured(3) == "*");
            }
        }
    }

    std::shared_ptr<LmtToolVersion> operator[](const QString &name) const
    {
        for (const auto &tool : model.tools())
            for (const auto &version : tool->allVersions())
                if (m_names.value(version.get()) == name)
                    return version;
        qFatal("No version %s", qPrintable(name));
    }

    QString name(const std::shared_ptr<LmtToolVersion> &version) const
    {
        return version ? m_names.value(version.get(), "?") : QStringLiteral("none");
    }

    template<typename List>
    QString names(const List &versions) const
    {
        QStringList texts;
        for (const auto &version : versions)
            texts << name(version);
        return texts.join(' ');
    }

    LmtToolVersionList all(bool onlineOnly = false) const
    {
        LmtToolVersionList versions;
        for (const auto &tool : model.tools())
            for (const auto &version : tool->allVersions())
                if (!onlineOnly || version->isOnline())
                    versions << version;
        return versions;
    }

    // Each version with what the user chose for it, and each tool's remembered drop-down key.
    QString state() const
    {
        QStringList texts;
        for (const auto &version : all()) {
            QString text = name(version);
            if (version->selected() == version->isOnline())
                text += version->isOnline() ? "*" : "-";
            if (version->isOnline() && version->installScope() == LmtToolInstallScope::AllUsers)
                text += '^';
            if (!version->installDirectory().isEmpty())
                text += '=' + version->installDirectory();
            texts << text;
        }
        for (const auto &tool : model.tools())
            if (!tool->selectedVersionKey().isEmpty())
                texts << tool->featureId() + " key=" + tool->selectedVersionKey();
        return texts.join(' ');
    }

    // What an install run would do.
    QString changes() const
    {
        return QStringLiteral("update %1 / new %2 / remove %3 / install %4 / uninstall %5")
            .arg(names(model.updateVersions()), names(model.newInstallVersions()),
                names(model.versionsToUninstall()), names(model.installList()),
                names(model.uninstallList()));
    }

    LmtCoreToolModel model;

private:
    QHash<const LmtToolVersion *, QString> m_names;
};

} // namespace lmttest
