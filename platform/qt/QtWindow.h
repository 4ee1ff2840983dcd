#pragma once
// Window handles for Qt objects. A QtWindow makes a QObject (usually a widget) a
// message target: sent messages call its handler at once, posted ones travel as
// queued events to the object's thread, and a post to a destroyed one is dropped.

#include <QObject>
#include <QPointer>

#include <memory>

#include "platform/Window.h"

class QWidget;

namespace orlim {

class QtWindow final : public Window {
public:
    // `object` must outlive this handle or be its owner (a member of the widget).
    QtWindow(QObject* object, MessageHandler handler);
    ~QtWindow() override;

    QObject* object() const { return object_; }

    // Calls the handler; from another thread, it waits until the object's thread ran it.
    std::intptr_t deliver(std::uint32_t msg, WParam wParam, LParam lParam) override;
    void enqueue(PostedMessage message) override;

private:
    class Receiver;

    QPointer<QObject> object_;
    MessageHandler handler_;
    std::unique_ptr<Receiver> receiver_;
};

// The handle that makes `object` a message target, or null.
WindowHandle windowOf(const QObject* object);

// The widget behind a handle: its object when that is a widget; null for other handles.
QWidget* widgetOf(WindowHandle window);

// Sends the message, synchronously and in a stable order (depth first, children in
// the order they were added), to every message target among the descendants of
// `root` at all levels, `root` itself excluded, as far as they lie inside `root`'s
// window: widgets that are windows of their own (owned dialogs) and what they hold
// are left out. Targets that a handler destroys on the way are skipped.
void sendToDescendants(QObject* root, std::uint32_t msg, WParam wParam, LParam lParam);

} // namespace orlim
