#include "platform/qt/QtPlatform.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <atomic>
#include <optional>
#include <string>
#include <thread>

#include <gtest/gtest.h>

namespace orlim {
namespace {

struct SeenBox {
    std::string text;
    std::string caption;
    std::vector<QMessageBox::StandardButton> buttons;
};

// Answers the next modal box with `button` as soon as the event loop shows it, and
// remembers what it showed.
class BoxAnswerer {
public:
    explicit BoxAnswerer(QMessageBox::StandardButton button)
    {
        QObject::connect(&poll_, &QTimer::timeout, [this, button] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            SeenBox box_seen{box->text().toStdString(), box->windowTitle().toStdString(), {}};
            for (QAbstractButton* b : box->buttons())
                box_seen.buttons.push_back(box->standardButton(b));
            seen = box_seen;
            box->button(button)->click();
        });
        poll_.start(1);
    }

    std::optional<SeenBox> seen;

private:
    QTimer poll_;
};

TEST(QtMessageBox, AGuiThreadBoxShowsTheExactTextCaptionAndButtons)
{
    QtPlatform platform;
    BoxAnswerer answerer(QMessageBox::No);
    EXPECT_EQ(messageBox(nullptr, "Save current file?", "Orlim", MessageButtons::YesNo),
              MessageAnswer::No);
    ASSERT_TRUE(answerer.seen);
    EXPECT_EQ(answerer.seen->text, "Save current file?");
    EXPECT_EQ(answerer.seen->caption, "Orlim");
    EXPECT_EQ(answerer.seen->buttons.size(), 2u);
}

TEST(QtMessageBox, AWorkerBoxIsShownWhileTheGuiThreadWaitsForTheWorker)
{
    QtPlatform platform;
    BoxAnswerer answerer(QMessageBox::Ok);
    std::atomic<bool> running{true};
    MessageAnswer answer = MessageAnswer::Cancel;
    std::thread worker([&] {
        answer = messageBox(nullptr, "Can't open wave device");
        running = false;
    });
    // The wait of End play: yield until the worker is gone, serving its boxes.
    while (running) {
        servePendingUiRequests();
        std::this_thread::yield();
    }
    worker.join();
    EXPECT_EQ(answer, MessageAnswer::Ok);
    ASSERT_TRUE(answerer.seen);
    EXPECT_EQ(answerer.seen->text, "Can't open wave device");
    EXPECT_EQ(answerer.seen->buttons, std::vector<QMessageBox::StandardButton>{QMessageBox::Ok});
}

TEST(QtMessageBox, AWorkerBoxIsAlsoServedByTheEventLoop)
{
    QtPlatform platform;
    BoxAnswerer answerer(QMessageBox::Ok);
    std::atomic<bool> running{true};
    std::thread worker([&] {
        messageBox(nullptr, "Can't create the wave file.");
        running = false;
    });
    while (running)
        QApplication::processEvents();
    worker.join();
    ASSERT_TRUE(answerer.seen);
    EXPECT_EQ(answerer.seen->text, "Can't create the wave file.");
}

TEST(QtThreadTimer, TimersOfTheGuiThreadRunOnItsEventLoopUntilKilled)
{
    QtPlatform platform;
    int ran = 0;
    ThreadTimerId id = 0;
    id = startThreadTimer(1, [&] {
        if (++ran == 3)
            killThreadTimer(id);
    });
    while (ran < 3)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents(QEventLoop::AllEvents, 2);
    EXPECT_EQ(ran, 3);
    EXPECT_EQ(pumpThreadTimers(), 0);
}

TEST(QtThreadTimer, AThreadWithoutAnEventLoopPumpsItsOwnTimers)
{
    QtPlatform platform;
    int ran = 0;
    std::thread worker([&] {
        const ThreadTimerId id = startThreadTimer(1, [&] { ++ran; });
        while (ran == 0)
            pumpThreadTimers();
        killThreadTimer(id);
    });
    worker.join();
    EXPECT_EQ(ran, 1);
}

} // namespace
} // namespace orlim
