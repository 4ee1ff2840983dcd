#include "platform/qt/QtThreadTimer.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QThread>

namespace orlim {

QtThreadTimerBackend::~QtThreadTimerBackend()
{
    std::lock_guard lock(mutex_);
    for (auto& [id, timer] : timers_)
        if (timer)
            timer->deleteLater();
}

bool QtThreadTimerBackend::servesThisThread() const
{
    return QCoreApplication::instance() && QThread::currentThread()->eventDispatcher();
}

void QtThreadTimerBackend::start(ThreadTimerId id, int intervalMs, std::function<void()> callback)
{
    auto* timer = new QTimer;
    timer->setInterval(intervalMs);
    QObject::connect(timer, &QTimer::timeout, timer, std::move(callback));
    {
        std::lock_guard lock(mutex_);
        timers_.emplace(id, timer);
    }
    timer->start();
}

void QtThreadTimerBackend::kill(ThreadTimerId id)
{
    QPointer<QTimer> timer;
    {
        std::lock_guard lock(mutex_);
        const auto found = timers_.find(id);
        if (found == timers_.end())
            return;
        timer = found->second;
        timers_.erase(found);
    }
    if (!timer)
        return;
    if (QThread::currentThread() == timer->thread()) {
        // Deleting later keeps a callback that kills its own timer safe.
        timer->stop();
        timer->deleteLater();
    } else {
        QMetaObject::invokeMethod(timer, [timer] {
            timer->stop();
            timer->deleteLater();
        }, Qt::QueuedConnection);
    }
}

} // namespace orlim
