#include "editor/shell/CPlayBar.h"

#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QSignalBlocker>
#include <QSlider>
#include <QToolButton>

#include <cstdio>

#include "editor/shell/CEditorApp.h"
#include "editor/shell/CMainFrame.h"
#include "editor/shell/CommandIds.h"
#include "editor/shell/ResourceImages.h"
#include "engine/include/DuradMessages.h"

namespace orlim {
namespace {

using namespace command;

// A button slot of the bar: 16-by-15 images on 23-by-22 buttons.
constexpr int kSlotWidth = 23;
constexpr int kSlotHeight = 22;

// The slots of tool bar 283; 0 is a blank button without a handler.
constexpr int kSlots[] = {0, 0, 0, 0, kPlay, kToStart, kRewind, kForward, kStop,
                          0, 0, 0, 0, 0, 0, 0};
constexpr int kSlotCount = static_cast<int>(sizeof(kSlots) / sizeof(kSlots[0]));

const QRect kTimeRect(8, 3, 76, 16);
const QPoint kLevelIconAt(210, 2);
const QRect kSliderRect(226, 2, 140, 18);

constexpr int kLevelStep = 100; // mB per slider step

const char* buttonText(int id)
{
    switch (id) {
    case kPlay: return "Play";
    case kToStart: return "To Start";
    case kRewind: return "Rewind";
    case kForward: return "Forward";
    default: return "Stop";
    }
}

} // namespace

QString timeDisplayText(Durad* music, std::uint32_t position)
{
    if (!music)
        return "   1:01:00";
    MBT mbt{};
    musGetMBT(music, position, &mbt);
    char text[40];
    std::snprintf(text, sizeof text, "%4d:%02d:%02d", mbt.measure + 1, mbt.beat + 1, mbt.tick);
    return QString::fromLatin1(text);
}

// The bar's client area, laid out by its own pixel grid.
class CPlayBar::Panel final : public QWidget {
public:
    explicit Panel(QWidget* parent) : QWidget(parent)
    {
        setFixedSize(kSlotWidth * kSlotCount, kSlotHeight);
    }
};

class CPlayBar::TimeDisplay final : public QWidget {
public:
    TimeDisplay(CPlayBar& bar, QWidget* parent) : QWidget(parent), bar_(bar)
    {
        setGeometry(kTimeRect);
        setAttribute(Qt::WA_OpaquePaintEvent);
        QFont font("Monospace");
        font.setStyleHint(QFont::TypeWriter);
        // Ten characters must fit the 76 pixels of the display.
        font.setPixelSize(12);
        setFont(font);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::black);
        painter.setPen(QColor(0, 255, 0));
        painter.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter, bar_.timeText());
    }

private:
    CPlayBar& bar_;
};

CPlayBar::CPlayBar(CMainFrame& frame) : QToolBar("Play", &frame), frame_(frame)
{
    setObjectName("playBar");
    setProperty("resourceId", resource::kPlayBar);
    auto* panel = new Panel(this);
    for (int slot = 0; slot < kSlotCount; ++slot) {
        auto* button = new QToolButton(panel);
        button->setGeometry(slot * kSlotWidth, 0, kSlotWidth, kSlotHeight);
        button->setAutoRaise(true);
        button->setIconSize(QSize(16, 15));
        const int id = kSlots[slot];
        if (id == 0) {
            button->setEnabled(false);
            continue;
        }
        auto* action = new QAction(QIcon(toolBarImage(id)), buttonText(id), button);
        action->setData(id);
        // The same prompt in the status bar as the command's menu entry.
        if (const QAction* entry = frame_.commandAction(id))
            action->setStatusTip(entry->statusTip());
        if (id == kPlay) {
            action->setCheckable(true);
            playAction_ = action;
        }
        // A click does not change Play's pressed state; the frame decides it.
        connect(action, &QAction::triggered, this, [this, id] {
            if (playAction_)
                playAction_->setChecked(playPressed_);
            frame_.onCommand(id);
        });
        button->setDefaultAction(action);
    }

    display_ = new TimeDisplay(*this, panel);
    auto* levelIcon = new QLabel(panel);
    levelIcon->setPixmap(resourceIcon(resource::kLevelIcon).pixmap(16, 16));
    levelIcon->setGeometry(QRect(kLevelIconAt, QSize(16, 16)));

    slider_ = new QSlider(Qt::Horizontal, panel);
    slider_->setProperty("resourceId", resource::kLevelSlider);
    slider_->setGeometry(kSliderRect);
    slider_->setRange(-30, 30);
    slider_->setTickPosition(QSlider::TicksBelow);
    slider_->setTickInterval(5);
    slider_->setPageStep(1);
    slider_->setValue(0);
    connect(slider_, &QSlider::valueChanged, this, &CPlayBar::levelMoved);
    slider_->show();

    addWidget(panel);
}

void CPlayBar::setPlayPressed(bool pressed)
{
    playPressed_ = pressed;
    playAction_->setChecked(pressed);
}

QString CPlayBar::timeText() const
{
    return timeDisplayText(music_, shownPosition_.value_or(frame_.playPosition()));
}

std::intptr_t CPlayBar::onMusMessage(std::uint32_t msg, WParam, LParam lParam)
{
    switch (msg) {
    case WM_MUS_LOADED:
        if (!music_)
            if (CEditorApp* app = CEditorApp::instance())
                music_ = app->documentMusic();
        showLevel();
        break;
    case WM_MUS_CHANGED: showLevel(); break;
    case WM_MUS_POSITION:
        // Drawn at once, straight into the display, once per position.
        shownPosition_ = static_cast<std::uint32_t>(lParam);
        display_->repaint();
        shownPosition_.reset();
        if (QApplication::activeWindow() == &frame_)
            frame_.focusActiveView();
        break;
    default: break;
    }
    return 0;
}

void CPlayBar::showLevel()
{
    if (!music_)
        return;
    const QSignalBlocker quiet(slider_);
    slider_->setValue(musGetLevel(music_) / kLevelStep);
}

void CPlayBar::levelMoved(int value)
{
    if (!music_)
        return;
    if (frame_.isMusicPlaying()) {
        showLevel();
        return;
    }
    musSetLevel(music_, value * kLevelStep);
    // The level is part of the document: mark it changed so that it is offered for
    // saving and the other views hear of it.
    musSetChanged(music_, -1);
}

} // namespace orlim
