#include "platform/qt/BusyMouseFilter.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

namespace orlim {

BusyMouseFilter::BusyMouseFilter()
{
    if (QCoreApplication::instance())
        QCoreApplication::instance()->installEventFilter(this);
}

BusyMouseFilter::~BusyMouseFilter()
{
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeEventFilter(this);
}

namespace {

// A box the busy work itself opens (a failed load or save) must stay usable.
bool insideActiveModalWindow(QObject* watched)
{
    const QWidget* modal = QApplication::activeModalWidget();
    const auto* widget = qobject_cast<QWidget*>(watched);
    return modal && widget && widget->window() == modal;
}

} // namespace

bool BusyMouseFilter::eventFilter(QObject* watched, QEvent* event)
{
    if (busy_ && !insideActiveModalWindow(watched)) {
        switch (event->type()) {
        case QEvent::MouseMove: return true;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
            if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
                return true;
            break;
        default: break;
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace orlim
