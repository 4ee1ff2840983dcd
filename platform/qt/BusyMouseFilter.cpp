#include "platform/qt/BusyMouseFilter.h"

#include <QCoreApplication>
#include <QMouseEvent>

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

bool BusyMouseFilter::eventFilter(QObject* watched, QEvent* event)
{
    if (busy_) {
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
