#pragma once
// The play bar (tool bar 283): the transport buttons, the time display drawn green on
// black over its first four slots, and the master-level slider over its last ones.

#include <QToolBar>

#include <cstdint>
#include <optional>

#include "engine/include/durad.h"
#include "platform/qt/QtWindow.h"

class QSlider;

namespace orlim {

class CMainFrame;

// The time display's text for a position: measure + 1 right-aligned in 4, then beat
// + 1 and tick in two digits each ("   1:01:00"); that text, too, without a music.
QString timeDisplayText(Durad* music, std::uint32_t position);

class CPlayBar final : public QToolBar {
public:
    explicit CPlayBar(CMainFrame& frame);

    // The Play button's pressed state; only the frame sets it (clicks do not).
    void setPlayPressed(bool pressed);
    bool isPlayPressed() const { return playPressed_; }

    QSlider* slider() const { return slider_; }
    // What the time display shows now.
    QString timeText() const;

    std::intptr_t onMusMessage(std::uint32_t msg, WParam wParam, LParam lParam);

private:
    class Panel;
    class TimeDisplay;

    void showLevel();
    void levelMoved(int value);

    CMainFrame& frame_;
    Durad* music_ = nullptr;
    QAction* playAction_ = nullptr;
    bool playPressed_ = false;
    QSlider* slider_ = nullptr;
    TimeDisplay* display_ = nullptr;
    // The position a WM_MUS_POSITION asks to show, while it is drawn.
    std::optional<std::uint32_t> shownPosition_;

    QtWindow window_{this, [this](std::uint32_t m, WParam w, LParam l) { return onMusMessage(m, w, l); }};
};

} // namespace orlim
