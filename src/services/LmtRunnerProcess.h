#pragma once

#include <QProcess>

namespace zendrel::lmt::lmtqueryapi {

// A QProcess that can start its child in a process group of its own, so that the child and
// everything it starts can be asked to quit together (Runner::sendQuitSignal).
class LmtRunnerProcess : public QProcess
{
    Q_OBJECT

public:
    explicit LmtRunnerProcess(QObject *parent = nullptr);

    bool newProcessGroup() const { return m_newProcessGroup; }
    // Takes effect at the next start().
    void setNewProcessGroup(bool on);

private:
    bool m_newProcessGroup = false;
};

} // namespace zendrel::lmt::lmtqueryapi
