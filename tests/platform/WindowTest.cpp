#include "platform/Window.h"

#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace orlim {
namespace {

struct Received {
    std::uint32_t msg;
    WParam wParam;
    std::string text;
};

TEST(Window, SendCallsTheHandlerAtOnceAndReturnsItsAnswer)
{
    QueueWindow window([](std::uint32_t msg, WParam w, LParam l) {
        return static_cast<std::intptr_t>(msg + w + l);
    });
    EXPECT_EQ(sendMessage(&window, 0x52D, 2, 3), 0x52D + 5);
    EXPECT_EQ(sendMessage(nullptr, 0x52D, 2, 3), 0);
}

TEST(Window, PostedMessagesWaitForThePumpAndArriveInOrder)
{
    std::vector<std::uint32_t> seen;
    QueueWindow window([&](std::uint32_t msg, WParam, LParam) {
        seen.push_back(msg);
        return 0;
    });
    EXPECT_TRUE(postMessage(&window, 1, 0, 0));
    EXPECT_TRUE(postMessage(&window, 2, 0, 0));
    EXPECT_TRUE(seen.empty());
    EXPECT_EQ(window.pump(), 2);
    EXPECT_EQ(seen, (std::vector<std::uint32_t>{1, 2}));
}

TEST(Window, PostedTextIsACopyThatLivesUntilDelivery)
{
    std::vector<Received> seen;
    QueueWindow window([&](std::uint32_t msg, WParam w, LParam l) {
        seen.push_back({msg, w, reinterpret_cast<const char*>(l)});
        return 0;
    });
    {
        std::string text = "The Track-2 has not defined a source!";
        postText(&window, 0x531, 7, text);
        text.assign(text.size(), 'x');
    }
    window.pump();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].wParam, 7u);
    EXPECT_EQ(seen[0].text, "The Track-2 has not defined a source!");
}

TEST(Window, PostsToNullOrDestroyedTargetsAreDropped)
{
    EXPECT_FALSE(postMessage(nullptr, 1, 0, 0));
    WindowHandle gone = nullptr;
    {
        QueueWindow window;
        gone = &window;
    }
    EXPECT_FALSE(postMessage(gone, 1, 0, 0));
}

TEST(Window, PostsFromAnotherThreadWakeTheWaitingOwner)
{
    int delivered = 0;
    QueueWindow window([&](std::uint32_t, WParam, LParam) {
        ++delivered;
        return 0;
    });
    std::thread poster([&] { postMessage(&window, 9, 0, 0); });
    while (delivered == 0)
        window.waitAndPump(1000);
    poster.join();
    EXPECT_EQ(delivered, 1);
}

} // namespace
} // namespace orlim
