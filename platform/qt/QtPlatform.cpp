#include "platform/qt/QtPlatform.h"

#include "platform/qt/QtMessageBox.h"

namespace orlim {

QtPlatform::QtPlatform()
{
    previousPresenter_ = setMessagePresenter(showQtMessageBox);
    previousServer_ = setUiRequestServer(serveQueuedMessageBoxes);
    previousTimers_ = setThreadTimerBackend(&timers_);
}

QtPlatform::~QtPlatform()
{
    setThreadTimerBackend(previousTimers_);
    setUiRequestServer(std::move(previousServer_));
    setMessagePresenter(std::move(previousPresenter_));
}

} // namespace orlim
