#pragma once
// Window handles and messages: the one way the engine and the plug-ins talk back to
// their host. A handle names a notification target that lives on one thread.

#include <cstdint>
#include <functional>
#include <memory>
#include <condition_variable>
#include <mutex>
#include <deque>
#include <string>

namespace orlim {

using WParam = std::uintptr_t;
using LParam = std::intptr_t;
using MessageHandler = std::function<std::intptr_t(std::uint32_t msg, WParam, LParam)>;

// A message waiting for delivery. `text`, when set, is owned by the message and
// lParam points at its characters while the handler runs.
struct PostedMessage {
    std::uint32_t msg = 0;
    WParam wParam = 0;
    LParam lParam = 0;
    std::shared_ptr<std::string> text;
};

// A notification target. Subclasses decide how posted messages reach the owner's
// thread; send() always calls the handler directly.
class Window {
public:
    Window();
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    // Runs the handler on the calling thread and returns its answer.
    virtual std::intptr_t deliver(std::uint32_t msg, WParam wParam, LParam lParam) = 0;

    // Queues a message for the owner's thread. Only postMessage and postText call
    // it, with the handle registry locked, so it must not call back into this layer.
    virtual void enqueue(PostedMessage message) = 0;

protected:
    // Subclasses call this first thing in their destructor, so that no post can
    // reach a half-destroyed target.
    void retire();

private:
    bool retired_ = false;
};

using WindowHandle = Window*;

// Synchronous: the handler runs now, on this thread. A null handle answers 0.
std::intptr_t sendMessage(WindowHandle window, std::uint32_t msg, WParam wParam, LParam lParam);

// Safe from any thread: the message is delivered later on the target's thread.
// A null or destroyed target drops it and answers false.
bool postMessage(WindowHandle window, std::uint32_t msg, WParam wParam, LParam lParam);

// As postMessage, with a copy of `text` that lParam points at during delivery.
bool postText(WindowHandle window, std::uint32_t msg, WParam wParam, std::string text);

// A target for headless code and tests: posted messages wait in a queue until the
// owner pumps them; send() calls the handler at once. Pumping also serves the
// calling thread's timers, so the queue is that thread's whole message loop.
class QueueWindow final : public Window {
public:
    explicit QueueWindow(MessageHandler handler = {});
    ~QueueWindow() override;

    void setHandler(MessageHandler handler);
    std::intptr_t deliver(std::uint32_t msg, WParam wParam, LParam lParam) override;

    // Runs the thread's due timers, then delivers every message queued so far;
    // returns how many messages were delivered.
    int pump();
    // Waits up to `timeoutMs` for at least one message, serving timers meanwhile,
    // then pumps.
    int waitAndPump(int timeoutMs);
    std::size_t pending() const;
    void enqueue(PostedMessage message) override;

private:
    MessageHandler handler_;
    mutable std::mutex mutex_;
    std::condition_variable arrived_;
    std::deque<PostedMessage> queue_;
};

} // namespace orlim
