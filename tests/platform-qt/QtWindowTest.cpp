#include "platform/qt/QtWindow.h"

#include <QCoreApplication>
#include <QThread>
#include <QWidget>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace orlim {
namespace {

// A widget that records the messages it gets and the thread it got them on.
class RecordingWidget : public QWidget {
public:
    explicit RecordingWidget(std::string name, std::vector<std::string>* log = nullptr,
                             QWidget* parent = nullptr)
        : QWidget(parent), name_(std::move(name)), log_(log)
    {
    }

    std::vector<std::uint32_t> messages;
    std::vector<std::string> texts;
    bool onGuiThread = true;

private:
    std::intptr_t onMusMessage(std::uint32_t msg, WParam, LParam lParam)
    {
        messages.push_back(msg);
        onGuiThread = onGuiThread && QThread::currentThread() == qApp->thread();
        if (msg == 0x531 && lParam)
            texts.emplace_back(reinterpret_cast<const char*>(lParam));
        if (log_)
            log_->push_back(name_);
        return static_cast<std::intptr_t>(msg) + 1;
    }

    std::string name_;
    std::vector<std::string>* log_;

public:
    QtWindow window{this, [this](std::uint32_t m, WParam w, LParam l) { return onMusMessage(m, w, l); }};
};

TEST(QtWindow, AnObjectNamesItsHandleAndAWidgetHandleNamesItsWidget)
{
    RecordingWidget widget("w");
    EXPECT_EQ(windowOf(&widget), &widget.window);
    EXPECT_EQ(widgetOf(&widget.window), &widget);
    QObject plain;
    EXPECT_EQ(windowOf(&plain), nullptr);
    EXPECT_EQ(widgetOf(nullptr), nullptr);
}

TEST(QtWindow, SendIsADirectCallThatReturnsTheAnswer)
{
    RecordingWidget widget("w");
    EXPECT_EQ(sendMessage(&widget.window, 0x5F5, 0, 0), 0x5F6);
    EXPECT_EQ(widget.messages, std::vector<std::uint32_t>{0x5F5});
}

TEST(QtWindow, PostsFromWorkerThreadsArriveInOrderOnTheGuiThread)
{
    RecordingWidget widget("w");
    std::thread worker([&] {
        for (std::uint32_t msg = 1; msg <= 50; ++msg)
            postMessage(&widget.window, msg, 0, 0);
        postText(&widget.window, 0x531, 0, "The Track-1 has not defined a source!");
    });
    worker.join();
    EXPECT_TRUE(widget.messages.empty());
    QCoreApplication::processEvents();
    ASSERT_EQ(widget.messages.size(), 51u);
    for (std::uint32_t i = 0; i < 50; ++i)
        EXPECT_EQ(widget.messages[i], i + 1);
    EXPECT_EQ(widget.texts, std::vector<std::string>{"The Track-1 has not defined a source!"});
    EXPECT_TRUE(widget.onGuiThread);
}

TEST(QtWindow, SendFromAWorkerWaitsForTheGuiThreadToAnswer)
{
    RecordingWidget widget("w");
    std::atomic<std::intptr_t> answer{0};
    std::thread worker([&] { answer = sendMessage(&widget.window, 0x5F7, 0, 0); });
    while (answer == 0)
        QCoreApplication::processEvents();
    worker.join();
    EXPECT_EQ(answer, 0x5F8);
    EXPECT_TRUE(widget.onGuiThread);
}

TEST(QtWindow, MessagesPostedToADestroyedTargetAreDropped)
{
    auto widget = std::make_unique<RecordingWidget>("w");
    WindowHandle handle = &widget->window;
    EXPECT_TRUE(postMessage(handle, 0x52F, 0, 400));
    widget.reset();
    EXPECT_FALSE(postMessage(handle, 0x52F, 0, 400));
    QCoreApplication::processEvents();
}

TEST(QtWindow, DescendantsGetTheMessageDepthFirstInCreationOrderWithoutTheRoot)
{
    std::vector<std::string> log;
    RecordingWidget root("root", &log);
    auto* a = new RecordingWidget("a", &log, &root);
    auto* plain = new QWidget(&root);
    new RecordingWidget("a1", &log, a);
    new RecordingWidget("b1", &log, plain);
    auto* c = new RecordingWidget("c", &log, &root);
    c->hide();
    // A window of its own (a dialog the frame owns) and what it holds are not children.
    auto* dialog = new RecordingWidget("dialog", &log, &root);
    dialog->setWindowFlags(Qt::Dialog);
    new RecordingWidget("in dialog", &log, dialog);
    sendToDescendants(&root, 0x52D, 0, 0);
    EXPECT_EQ(log, (std::vector<std::string>{"a", "a1", "b1", "c"}));
    sendToDescendants(nullptr, 0x52D, 0, 0);
}

TEST(QtWindow, ATargetDestroyedByAnEarlierHandlerIsSkipped)
{
    std::vector<std::string> log;
    QWidget root;
    auto* first = new QObject(&root);
    QPointer<RecordingWidget> second = new RecordingWidget("second", &log, &root);
    QtWindow killer(first, [&](std::uint32_t, WParam, LParam) {
        log.push_back("first");
        delete second.data();
        return 0;
    });
    sendToDescendants(&root, 0x52E, 0, 0);
    EXPECT_EQ(log, std::vector<std::string>{"first"});
    EXPECT_TRUE(second.isNull());
}

} // namespace
} // namespace orlim
