#pragma once

#include "common/LmtSignalRecords.h"
#include "controller/LmtSetupController.h"

#include <QtTest>

#include <type_traits>

namespace lmttest {

// The signals of a setup controller that tell how its work went, recorded in order as lines
// "signalName arguments", enumerations and booleans as numbers, e.g.
// "downloadStatus 2 com.zdr.tb.tool.flashprobe 2.1.1.60" or "toolDataChanged 1".
class ControllerEvents
{
public:
    explicit ControllerEvents(zendrel::lmt::setup::LmtSetupController *controller)
        : m_controller(controller)
    {
        using C = zendrel::lmt::setup::LmtSetupController;
        record(&C::error, "error");
        record(&C::toolDataChanged, "toolDataChanged");
        record(&C::loginStateChanged, "loginStateChanged");
        record(&C::downloadStatus, "downloadStatus");
        record(&C::installStatus, "installStatus");
        record(&C::uninstallStatus, "uninstallStatus");
        record(&C::askForElevatedPrivileges, "askForElevatedPrivileges");
    }

    QStringList lines;

    QStringList matching(const QString &prefix) const { return startingWith(lines, prefix); }
    bool waitFor(const QString &prefix, int timeoutMs = 60000) const
    {
        return QTest::qWaitFor([&] { return !matching(prefix).isEmpty(); }, timeoutMs);
    }

private:
    template<typename T>
    static QString text(const T &value)
    {
        if constexpr (std::is_enum_v<T> || std::is_same_v<T, bool>)
            return QString::number(int(value));
        else
            return value;
    }
    template<typename... Args>
    void record(void (zendrel::lmt::setup::LmtSetupController::*signal)(Args...), const char *name)
    {
        QObject::connect(m_controller, signal, &m_context, [this, name](Args... arguments) {
            const QStringList line { QString::fromLatin1(name), text(arguments)... };
            lines << line.join(QLatin1Char(' '));
        });
    }

    zendrel::lmt::setup::LmtSetupController *m_controller;
    QObject m_context;
};

} // namespace lmttest
