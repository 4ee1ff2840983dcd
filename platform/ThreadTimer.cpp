#include "platform/ThreadTimer.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <vector>

namespace orlim {
namespace {

using Clock = std::chrono::steady_clock;

struct HeadlessTimer {
    std::thread::id owner;
    Clock::duration interval;
    Clock::time_point due;
    // Shared, so that a callback that kills its own timer does not destroy itself.
    std::shared_ptr<std::function<void()>> callback;
};

struct Timers {
    std::mutex mutex;
    std::atomic<ThreadTimerId> lastId{0};
    ThreadTimerBackend* backend = nullptr;
    // Ids handed to a backend, with the backend that serves them.
    std::unordered_map<ThreadTimerId, ThreadTimerBackend*> delegated;
    std::unordered_map<ThreadTimerId, HeadlessTimer> headless;
};

Timers& timers()
{
    static Timers instance;
    return instance;
}

ThreadTimerId nextId(Timers& t)
{
    ThreadTimerId id = ++t.lastId;
    if (id == 0)
        id = ++t.lastId;
    return id;
}

} // namespace

ThreadTimerId startThreadTimer(int intervalMs, std::function<void()> callback)
{
    Timers& t = timers();
    const auto interval = std::chrono::milliseconds(std::max(intervalMs, 1));
    ThreadTimerBackend* backend = nullptr;
    ThreadTimerId id = 0;
    {
        std::lock_guard lock(t.mutex);
        id = nextId(t);
        if (t.backend && t.backend->servesThisThread()) {
            backend = t.backend;
            t.delegated.emplace(id, backend);
        } else {
            t.headless.emplace(id, HeadlessTimer{std::this_thread::get_id(), interval,
                                                 Clock::now() + interval,
                                                 std::make_shared<std::function<void()>>(
                                                     std::move(callback))});
        }
    }
    if (backend)
        backend->start(id, static_cast<int>(interval.count()), std::move(callback));
    return id;
}

bool killThreadTimer(ThreadTimerId id)
{
    Timers& t = timers();
    ThreadTimerBackend* backend = nullptr;
    {
        std::lock_guard lock(t.mutex);
        if (t.headless.erase(id) > 0)
            return true;
        const auto found = t.delegated.find(id);
        if (found == t.delegated.end())
            return false;
        backend = found->second;
        t.delegated.erase(found);
    }
    backend->kill(id);
    return true;
}

int pumpThreadTimers()
{
    Timers& t = timers();
    const auto self = std::this_thread::get_id();
    const auto now = Clock::now();
    std::vector<ThreadTimerId> due;
    {
        std::lock_guard lock(t.mutex);
        for (const auto& [id, timer] : t.headless)
            if (timer.owner == self && timer.due <= now)
                due.push_back(id);
    }
    std::sort(due.begin(), due.end());
    int ran = 0;
    for (const ThreadTimerId id : due) {
        std::shared_ptr<std::function<void()>> callback;
        {
            std::lock_guard lock(t.mutex);
            const auto found = t.headless.find(id);
            // An earlier callback of this round may have killed it.
            if (found == t.headless.end())
                continue;
            found->second.due = now + found->second.interval;
            callback = found->second.callback;
        }
        if (*callback)
            (*callback)();
        ++ran;
    }
    return ran;
}

ThreadTimerBackend* setThreadTimerBackend(ThreadTimerBackend* backend)
{
    Timers& t = timers();
    std::lock_guard lock(t.mutex);
    ThreadTimerBackend* previous = t.backend;
    t.backend = backend;
    return previous;
}

} // namespace orlim
