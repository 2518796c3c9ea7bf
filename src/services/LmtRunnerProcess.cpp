#include "services/LmtRunnerProcess.h"

#include "platform/LmtPlatform.h"

namespace zendrel::lmt::lmtqueryapi {

LmtRunnerProcess::LmtRunnerProcess(QObject *parent)
    : QProcess(parent)
{
}

void LmtRunnerProcess::setNewProcessGroup(bool on)
{
    m_newProcessGroup = on;
    if (on)
        platform::startInOwnProcessGroup(*this);
    else
        platform::startInCallersProcessGroup(*this);
}

} // namespace zendrel::lmt::lmtqueryapi
