#include "platform/qt/QtWindow.h"

#include <QCoreApplication>
#include <QEvent>
#include <QThread>
#include <QVariant>
#include <QWidget>

#include <vector>

namespace orlim {
namespace {

// The dynamic property through which an object names its handle.
constexpr const char* kHandleProperty = "orlimWindow";

const QEvent::Type kPostedMessageEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

class PostedMessageEvent final : public QEvent {
public:
    explicit PostedMessageEvent(PostedMessage message)
        : QEvent(kPostedMessageEvent), message_(std::move(message))
    {
    }
    const PostedMessage& message() const { return message_; }

private:
    PostedMessage message_;
};

} // namespace

// Lives on the object's thread and takes the queued events; deleting it discards
// those not yet delivered.
class QtWindow::Receiver final : public QObject {
public:
    explicit Receiver(QtWindow& window) : window_(window) {}

    bool event(QEvent* event) override
    {
        if (event->type() != kPostedMessageEvent)
            return QObject::event(event);
        const PostedMessage& message = static_cast<PostedMessageEvent*>(event)->message();
        window_.deliver(message.msg, message.wParam, message.lParam);
        return true;
    }

private:
    QtWindow& window_;
};

QtWindow::QtWindow(QObject* object, MessageHandler handler)
    : object_(object), handler_(std::move(handler)), receiver_(std::make_unique<Receiver>(*this))
{
    if (object) {
        receiver_->moveToThread(object->thread());
        object->setProperty(kHandleProperty, QVariant::fromValue(static_cast<void*>(this)));
    }
}

QtWindow::~QtWindow()
{
    retire();
    if (object_ && windowOf(object_) == this)
        object_->setProperty(kHandleProperty, QVariant());
}

std::intptr_t QtWindow::deliver(std::uint32_t msg, WParam wParam, LParam lParam)
{
    if (!handler_)
        return 0;
    if (QThread::currentThread() == receiver_->thread())
        return handler_(msg, wParam, lParam);
    std::intptr_t answer = 0;
    QMetaObject::invokeMethod(
        receiver_.get(), [&] { answer = handler_(msg, wParam, lParam); },
        Qt::BlockingQueuedConnection);
    return answer;
}

void QtWindow::enqueue(PostedMessage message)
{
    // postEvent takes no lock of this layer, so it is safe with the registry locked.
    QCoreApplication::postEvent(receiver_.get(), new PostedMessageEvent(std::move(message)));
}

WindowHandle windowOf(const QObject* object)
{
    if (!object)
        return nullptr;
    const QVariant value = object->property(kHandleProperty);
    return value.isValid() ? static_cast<Window*>(value.value<void*>()) : nullptr;
}

QWidget* widgetOf(WindowHandle window)
{
    auto* qtWindow = dynamic_cast<QtWindow*>(window);
    return qtWindow ? qobject_cast<QWidget*>(qtWindow->object()) : nullptr;
}

namespace {

void collectTargets(const QObject* parent, std::vector<QPointer<QObject>>& targets)
{
    for (QObject* child : parent->children()) {
        // Dialogs the frame owns are windows of their own, not its children.
        if (const auto* widget = qobject_cast<const QWidget*>(child); widget && widget->isWindow())
            continue;
        if (windowOf(child))
            targets.emplace_back(child);
        collectTargets(child, targets);
    }
}

} // namespace

void sendToDescendants(QObject* root, std::uint32_t msg, WParam wParam, LParam lParam)
{
    if (!root)
        return;
    std::vector<QPointer<QObject>> targets;
    collectTargets(root, targets);
    for (const QPointer<QObject>& target : targets)
        if (target)
            sendMessage(windowOf(target), msg, wParam, lParam);
}

} // namespace orlim
