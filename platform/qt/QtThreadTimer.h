#pragma once
// Thread timers on Qt event loops: each timer is a QTimer of the thread that started it.

#include <QPointer>
#include <QTimer>

#include <mutex>
#include <unordered_map>

#include "platform/ThreadTimer.h"

namespace orlim {

class QtThreadTimerBackend final : public ThreadTimerBackend {
public:
    ~QtThreadTimerBackend() override;

    // Threads that run a Qt event loop.
    bool servesThisThread() const override;
    void start(ThreadTimerId id, int intervalMs, std::function<void()> callback) override;
    void kill(ThreadTimerId id) override;

private:
    std::mutex mutex_;
    std::unordered_map<ThreadTimerId, QPointer<QTimer>> timers_;
};

} // namespace orlim
