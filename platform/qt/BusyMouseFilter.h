#pragma once
// While the application is busy opening or saving a document, mouse moves and
// left-button presses, releases and double clicks are discarded before any widget
// sees them, so that clicks made meanwhile are lost rather than queued. A modal box
// opened by the busy work keeps its mouse.

#include <QObject>

namespace orlim {

class BusyMouseFilter final : public QObject {
public:
    // Installs itself on the application; removed again when destroyed.
    BusyMouseFilter();
    ~BusyMouseFilter() override;

    void setBusy(bool busy) { busy_ = busy; }
    bool isBusy() const { return busy_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool busy_ = false;
};

} // namespace orlim
