#pragma once

#include <QList>
#include <QMutex>
#include <QMutexLocker>
#include <QObject>
#include <QThread>

#include <functional>
#include <memory>

namespace zendrel::lmt::setup {

// The thread of one job worker. run() moves the worker onto it and starts it; shutDown() runs a
// clean-up on that thread (where the worker's process handles live and report), hands the
// worker back to the calling thread and stops the thread. After that the worker can be
// destroyed on the caller's thread without any of its slots still running or its process
// objects being touched from a foreign thread.
class LmtWorkerThread
{
public:
    LmtWorkerThread() = default;
    ~LmtWorkerThread();
    Q_DISABLE_COPY_MOVE(LmtWorkerThread)

    void run(QObject *worker, const QString &name);
    // Must not be called on the worker's own thread: a thread cannot wait for itself.
    void shutDown(const std::function<void()> &cleanUp);

private:
    QObject *m_worker = nullptr;
    QThread m_thread;
};

// Workers that a service replaced on the controller's thread, kept until they can be destroyed
// on the service's own (GUI) thread: after the signals they already queued there, and never on
// a thread that has to wait for their running process instead of serving the controller.
// The owner calls release() first thing in its destructor, while everything the workers refer
// to still exists.
template<class Worker>
class LmtRetiredWorkers
{
public:
    void retire(QObject *owner, std::shared_ptr<Worker> worker)
    {
        if (!worker)
            return;
        {
            QMutexLocker lock(&m_mutex);
            m_workers << std::move(worker);
        }
        if (QThread::currentThread() == owner->thread())
            release();
        else
            QMetaObject::invokeMethod(
                owner, [this] { release(); }, Qt::QueuedConnection);
    }

    void release()
    {
        QList<std::shared_ptr<Worker>> dying;
        {
            QMutexLocker lock(&m_mutex);
            dying.swap(m_workers);
        }
        dying.clear(); // outside the lock: a worker may wait for its process
    }

private:
    QMutex m_mutex;
    QList<std::shared_ptr<Worker>> m_workers;
};

} // namespace zendrel::lmt::setup
