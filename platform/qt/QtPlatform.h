#pragma once
// The Qt side of the platform layer, installed for the life of this object: message
// boxes as QMessageBox on the GUI thread, UI-thread waits that serve the boxes of
// workers, and thread timers on Qt event loops. Make it after the QApplication, on
// the GUI thread.

#include <memory>

#include "platform/MessageBox.h"
#include "platform/ThreadTimer.h"
#include "platform/UiRequests.h"
#include "platform/qt/QtThreadTimer.h"

namespace orlim {

class QtPlatform {
public:
    QtPlatform();
    ~QtPlatform();
    QtPlatform(const QtPlatform&) = delete;
    QtPlatform& operator=(const QtPlatform&) = delete;

private:
    QtThreadTimerBackend timers_;
    MessagePresenter previousPresenter_;
    UiRequestServer previousServer_;
    ThreadTimerBackend* previousTimers_ = nullptr;
};

} // namespace orlim
