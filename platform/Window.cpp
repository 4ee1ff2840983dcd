#include "platform/Window.h"

#include <chrono>
#include <unordered_set>

namespace orlim {
namespace {

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
    {
        std::unique_lock lock(mutex_);
        arrived_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return !queue_.empty(); });
    }
    return pump();
}

std::size_t QueueWindow::pending() const
{
    std::lock_guard lock(mutex_);
    return queue_.size();
}

} // namespace orlim
