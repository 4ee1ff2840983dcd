#include "platform/qt/BusyMouseFilter.h"

#include <QApplication>
#include <QDialog>
#include <QMouseEvent>
#include <QVBoxLayout>
#include <QWidget>

#include <gtest/gtest.h>

namespace orlim {
namespace {

class ClickCounter : public QWidget {
public:
    int presses = 0;
    int moves = 0;

protected:
    void mousePressEvent(QMouseEvent*) override { ++presses; }
    void mouseMoveEvent(QMouseEvent*) override { ++moves; }
};

void press(QWidget& widget, Qt::MouseButton button)
{
    QMouseEvent event(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), button, button,
                      Qt::NoModifier);
    QApplication::sendEvent(&widget, &event);
}

void move(QWidget& widget)
{
    QMouseEvent event(QEvent::MouseMove, QPointF(6, 6), QPointF(6, 6), Qt::NoButton,
                      Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&widget, &event);
}

TEST(BusyMouseFilter, WhileBusyMovesAndLeftClicksAreLostAndOtherButtonsPass)
{
    ClickCounter widget;
    widget.setMouseTracking(true);
    BusyMouseFilter filter;
    filter.setBusy(true);
    press(widget, Qt::LeftButton);
    move(widget);
    press(widget, Qt::RightButton);
    EXPECT_EQ(widget.presses, 1);
    EXPECT_EQ(widget.moves, 0);

    filter.setBusy(false);
    press(widget, Qt::LeftButton);
    move(widget);
    EXPECT_EQ(widget.presses, 2);
    EXPECT_EQ(widget.moves, 1);
}

TEST(BusyMouseFilter, AModalBoxOpenedWhileBusyKeepsItsClicks)
{
    ClickCounter outside;
    QDialog box;
    auto* button = new ClickCounter;
    (new QVBoxLayout(&box))->addWidget(button);
    box.setModal(true);
    box.show();
    ASSERT_EQ(QApplication::activeModalWidget(), &box);

    BusyMouseFilter filter;
    filter.setBusy(true);
    press(*button, Qt::LeftButton);
    press(outside, Qt::LeftButton);
    EXPECT_EQ(button->presses, 1);
    EXPECT_EQ(outside.presses, 0);
}

} // namespace
} // namespace orlim
