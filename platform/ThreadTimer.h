#pragma once
// Timers without a window: a callback that runs every so many milliseconds on the
// thread that started the timer. A thread with a Qt event loop serves its timers by
// itself once the Qt side of this layer is installed; any other thread serves them by
// calling pumpThreadTimers() from its own loop.

#include <cstdint>
#include <functional>

namespace orlim {

// The id of a running timer; 0 is no timer.
using ThreadTimerId = std::uint32_t;

// Calls `callback` every `intervalMs` (at least 1) on the calling thread, the first
// time `intervalMs` from now. Never returns 0.
ThreadTimerId startThreadTimer(int intervalMs, std::function<void()> callback);

// Stops the timer; safe from inside its own callback. False when there is no such
// timer. Call it on the thread that started the timer.
bool killThreadTimer(ThreadTimerId id);

// Runs, on the calling thread, the callback of every timer of this thread that is due
// and not served by the installed backend; returns how many ran.
int pumpThreadTimers();

// A source of timers for the threads it serves (the Qt side: threads with an event
// loop). Calls come on the thread that starts or kills the timer.
class ThreadTimerBackend {
public:
    virtual ~ThreadTimerBackend() = default;
    // True when timers started on the calling thread go through this backend.
    virtual bool servesThisThread() const = 0;
    virtual void start(ThreadTimerId id, int intervalMs, std::function<void()> callback) = 0;
    virtual void kill(ThreadTimerId id) = 0;
};

// Installs the backend used for timers started from now on; null leaves every thread
// to pumpThreadTimers(). Returns the previous one. The backend must outlive its timers.
ThreadTimerBackend* setThreadTimerBackend(ThreadTimerBackend* backend);

} // namespace orlim
