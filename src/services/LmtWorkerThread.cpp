#include "services/LmtWorkerThread.h"

#include "shared_toolkit/Log.h"

namespace zendrel::lmt::setup {

LmtWorkerThread::~LmtWorkerThread()
{
    shutDown({});
}

void LmtWorkerThread::run(QObject *worker, const QString &name)
{
    m_worker = worker;
    m_thread.setObjectName(name);
    worker->moveToThread(&m_thread);
    m_thread.start();
}

void LmtWorkerThread::shutDown(const std::function<void()> &cleanUp)
{
    if (!m_worker || !m_thread.isRunning())
        return;
    QThread *const caller = QThread::currentThread();
    if (caller == &m_thread) {
        // Cannot happen while workers are released on their services' threads; waiting here
        // would dead-lock, so the thread is only told to end.
        qCCritical(lmtLocal).noquote()
            << "[LmtWorkerThread]" << m_thread.objectName() << "shut down from its own thread";
        if (cleanUp)
            cleanUp();
        m_thread.quit();
        return;
    }
    QObject *const worker = m_worker;
    QMetaObject::invokeMethod(
        worker,
        [worker, caller, &cleanUp] {
            if (cleanUp)
                cleanUp();
            worker->moveToThread(caller);
        },
        Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
}

} // namespace zendrel::lmt::setup
