#include "platform/qt/QtMessageBox.h"

#include <QApplication>
#include <QEvent>
#include <QMessageBox>
#include <QPointer>
#include <QThread>
#include <QWidget>

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>

#include "platform/qt/QtWindow.h"

namespace orlim {
namespace {

struct BoxRequest {
    WindowHandle parent;
    std::string text;
    std::string caption;
    MessageButtons buttons;
    MessageAnswer answer = MessageAnswer::Ok;
    bool done = false;
};

struct BoxQueue {
    std::mutex mutex;
    std::condition_variable answered;
    std::deque<std::shared_ptr<BoxRequest>> waiting;
};

BoxQueue& boxQueue()
{
    static BoxQueue queue;
    return queue;
}

const QEvent::Type kServeBoxesEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

// Wakes the GUI thread's event loop to serve the queue when it is not busy waiting.
class BoxServer final : public QObject {
public:
    bool event(QEvent* event) override
    {
        if (event->type() != kServeBoxesEvent)
            return QObject::event(event);
        serveQueuedMessageBoxes();
        return true;
    }
};

BoxServer* boxServer()
{
    // Made on first use by a worker, then moved to the GUI thread for good.
    static QPointer<BoxServer> server;
    static std::once_flag made;
    std::call_once(made, [] {
        auto* created = new BoxServer;
        created->moveToThread(QCoreApplication::instance()->thread());
        server = created;
    });
    return server;
}

bool onGuiThread()
{
    return QCoreApplication::instance()
           && QThread::currentThread() == QCoreApplication::instance()->thread();
}

MessageAnswer showNow(WindowHandle parent, const std::string& text, const std::string& caption,
                      MessageButtons buttons)
{
    QWidget* owner = widgetOf(parent);
    if (owner)
        owner = owner->window();
    else
        owner = QApplication::activeWindow();
    QMessageBox::StandardButtons shown = QMessageBox::Ok;
    QMessageBox::StandardButton preferred = QMessageBox::Ok;
    switch (buttons) {
    case MessageButtons::Ok: break;
    case MessageButtons::YesNo:
        shown = QMessageBox::Yes | QMessageBox::No;
        preferred = QMessageBox::Yes;
        break;
    case MessageButtons::OkCancel: shown = QMessageBox::Ok | QMessageBox::Cancel; break;
    }
    QMessageBox box(QMessageBox::NoIcon, QString::fromStdString(caption),
                    QString::fromStdString(text), shown, owner);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(preferred);
    // A box may open while a load or save shows the wait cursor: point at it normally.
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    const int answer = box.exec();
    QApplication::restoreOverrideCursor();
    switch (answer) {
    case QMessageBox::Yes: return MessageAnswer::Yes;
    case QMessageBox::No: return MessageAnswer::No;
    case QMessageBox::Cancel: return MessageAnswer::Cancel;
    default:
        // Closing a Yes/No box from the title bar is not possible on Windows; No is
        // the harmless reading here.
        return buttons == MessageButtons::YesNo ? MessageAnswer::No
               : buttons == MessageButtons::OkCancel ? MessageAnswer::Cancel
                                                     : MessageAnswer::Ok;
    }
}

} // namespace

MessageAnswer showQtMessageBox(WindowHandle parent, const std::string& text,
                               const std::string& caption, MessageButtons buttons)
{
    if (!QCoreApplication::instance())
        return buttons == MessageButtons::YesNo ? MessageAnswer::Yes : MessageAnswer::Ok;
    if (onGuiThread())
        return showNow(parent, text, caption, buttons);

    auto request = std::make_shared<BoxRequest>(BoxRequest{parent, text, caption, buttons});
    BoxQueue& queue = boxQueue();
    {
        std::lock_guard lock(queue.mutex);
        queue.waiting.push_back(request);
    }
    QCoreApplication::postEvent(boxServer(), new QEvent(kServeBoxesEvent));
    std::unique_lock lock(queue.mutex);
    queue.answered.wait(lock, [&] { return request->done; });
    return request->answer;
}

void serveQueuedMessageBoxes()
{
    if (!onGuiThread())
        return;
    BoxQueue& queue = boxQueue();
    for (;;) {
        std::shared_ptr<BoxRequest> request;
        {
            std::lock_guard lock(queue.mutex);
            if (queue.waiting.empty())
                return;
            request = queue.waiting.front();
            queue.waiting.pop_front();
        }
        const MessageAnswer answer =
            showNow(request->parent, request->text, request->caption, request->buttons);
        {
            std::lock_guard lock(queue.mutex);
            request->answer = answer;
            request->done = true;
        }
        queue.answered.notify_all();
    }
}

} // namespace orlim
