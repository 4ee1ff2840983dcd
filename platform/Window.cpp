#include "platform/Window.h"

#include <algorithm>
#include <chrono>
#include <unordered_set>

#include "platform/ThreadTimer.h"

namespace orlim {
namespace {

// How often a waiting queue looks at its thread's timers.
constexpr std::chrono::milliseconds kTimerSlice{5};

// Every live target, so that a post to a destroyed one is dropped instead of
// touching freed memory (render and device threads post after the UI may be gone).
struct Registry {
    std::mutex mutex;
    std::unordered_set<const Window*> live;
};

Registry& registry()
{
    static Registry instance;
    return instance;
}

} // namespace

Window::Window()
{
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    r.live.insert(this);
}

Window::~Window()
{
    retire();
}

void Window::retire()
{
    if (retired_)
        return;
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    r.live.erase(this);
    retired_ = true;
}

std::intptr_t sendMessage(WindowHandle window, std::uint32_t msg, WParam wParam, LParam lParam)
{
    if (!window)
        return 0;
    return window->deliver(msg, wParam, lParam);
}

static bool postToLive(WindowHandle window, PostedMessage message)
{
    if (!window)
        return false;
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    if (!r.live.contains(window))
        return false;
    window->enqueue(std::move(message));
    return true;
}

bool postMessage(WindowHandle window, std::uint32_t msg, WParam wParam, LParam lParam)
{
    return postToLive(window, PostedMessage{msg, wParam, lParam, nullptr});
}

bool postText(WindowHandle window, std::uint32_t msg, WParam wParam, std::string text)
{
    auto owned = std::make_shared<std::string>(std::move(text));
    const auto lParam = reinterpret_cast<LParam>(owned->c_str());
    return postToLive(window, PostedMessage{msg, wParam, lParam, std::move(owned)});
}

QueueWindow::QueueWindow(MessageHandler handler) : handler_(std::move(handler)) {}

QueueWindow::~QueueWindow()
{
    retire();
}

void QueueWindow::setHandler(MessageHandler handler)
{
    handler_ = std::move(handler);
}

std::intptr_t QueueWindow::deliver(std::uint32_t msg, WParam wParam, LParam lParam)
{
    return handler_ ? handler_(msg, wParam, lParam) : 0;
}

void QueueWindow::enqueue(PostedMessage message)
{
    {
        std::lock_guard lock(mutex_);
        queue_.push_back(std::move(message));
    }
    arrived_.notify_all();
}

int QueueWindow::pump()
{
    // The owner's loop is also its thread's timer loop: timers post what they find.
    pumpThreadTimers();
    std::deque<PostedMessage> batch;
    {
        std::lock_guard lock(mutex_);
        batch.swap(queue_);
    }
    for (const PostedMessage& message : batch)
        deliver(message.msg, message.wParam, message.lParam);
    return static_cast<int>(batch.size());
}

int QueueWindow::waitAndPump(int timeoutMs)
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        pumpThreadTimers();
        std::unique_lock lock(mutex_);
        const auto left = until - std::chrono::steady_clock::now();
        if (!queue_.empty() || left <= std::chrono::steady_clock::duration::zero())
            break;
        arrived_.wait_for(lock, std::min<std::chrono::steady_clock::duration>(left, kTimerSlice));
    }
    return pump();
}

std::size_t QueueWindow::pending() const
{
    std::lock_guard lock(mutex_);
    return queue_.size();
}

} // namespace orlim
