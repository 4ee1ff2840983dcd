#include "platform/ThreadTimer.h"
#include "platform/UiRequests.h"

#include <chrono>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace orlim {
namespace {

constexpr int kOneHour = 3'600'000;

// Pumps until the timer has run `count` times; timers of 1 ms are due almost at once.
void pumpUntil(const int& ran, int count)
{
    while (ran < count) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        pumpThreadTimers();
    }
}

TEST(ThreadTimer, ATimerThatIsNotDueDoesNotRun)
{
    int ran = 0;
    const ThreadTimerId id = startThreadTimer(kOneHour, [&] { ++ran; });
    EXPECT_NE(id, 0u);
    EXPECT_EQ(pumpThreadTimers(), 0);
    EXPECT_EQ(ran, 0);
    EXPECT_TRUE(killThreadTimer(id));
}

TEST(ThreadTimer, ADueTimerRunsOnEveryPumpAfterItsIntervalUntilKilled)
{
    int ran = 0;
    const ThreadTimerId id = startThreadTimer(1, [&] { ++ran; });
    pumpUntil(ran, 3);
    EXPECT_TRUE(killThreadTimer(id));
    EXPECT_FALSE(killThreadTimer(id));
    std::this_thread::sleep_for(std::chrono::milliseconds(3));
    EXPECT_EQ(pumpThreadTimers(), 0);
    EXPECT_EQ(ran, 3);
}

TEST(ThreadTimer, ACallbackMayKillItsOwnTimer)
{
    int ran = 0;
    ThreadTimerId id = 0;
    id = startThreadTimer(1, [&] {
        ++ran;
        EXPECT_TRUE(killThreadTimer(id));
    });
    pumpUntil(ran, 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(3));
    EXPECT_EQ(pumpThreadTimers(), 0);
    EXPECT_EQ(ran, 1);
}

TEST(ThreadTimer, TimersRunOnlyOnTheThreadThatStartedThem)
{
    int ran = 0;
    const ThreadTimerId id = startThreadTimer(1, [&] { ++ran; });
    std::this_thread::sleep_for(std::chrono::milliseconds(3));
    int ranElsewhere = -1;
    std::thread other([&] { ranElsewhere = pumpThreadTimers(); });
    other.join();
    EXPECT_EQ(ranElsewhere, 0);
    EXPECT_EQ(ran, 0);
    EXPECT_EQ(pumpThreadTimers(), 1);
    killThreadTimer(id);
}

class RecordingBackend final : public ThreadTimerBackend {
public:
    bool servesThisThread() const override { return serves; }
    void start(ThreadTimerId id, int intervalMs, std::function<void()> callback) override
    {
        started.push_back({id, intervalMs});
        last = std::move(callback);
    }
    void kill(ThreadTimerId id) override { killed.push_back(id); }

    struct Start {
        ThreadTimerId id;
        int intervalMs;
    };
    bool serves = true;
    std::vector<Start> started;
    std::vector<ThreadTimerId> killed;
    std::function<void()> last;
};

TEST(ThreadTimer, AnInstalledBackendServesTheThreadsItClaims)
{
    RecordingBackend backend;
    ThreadTimerBackend* previous = setThreadTimerBackend(&backend);
    int ran = 0;
    const ThreadTimerId served = startThreadTimer(500, [&] { ++ran; });
    ASSERT_EQ(backend.started.size(), 1u);
    EXPECT_EQ(backend.started[0].id, served);
    EXPECT_EQ(backend.started[0].intervalMs, 500);
    backend.last();
    EXPECT_EQ(ran, 1);
    EXPECT_TRUE(killThreadTimer(served));
    EXPECT_EQ(backend.killed, std::vector<ThreadTimerId>{served});

    backend.serves = false;
    const ThreadTimerId own = startThreadTimer(1, [&] { ++ran; });
    EXPECT_EQ(backend.started.size(), 1u);
    pumpUntil(ran, 2);
    EXPECT_TRUE(killThreadTimer(own));
    EXPECT_EQ(backend.killed.size(), 1u);
    setThreadTimerBackend(previous);
}

TEST(UiRequests, ServingCallsTheInstalledServerAndNothingWithoutOne)
{
    int served = 0;
    UiRequestServer previous = setUiRequestServer([&] { ++served; });
    servePendingUiRequests();
    servePendingUiRequests();
    EXPECT_EQ(served, 2);
    setUiRequestServer({});
    servePendingUiRequests();
    EXPECT_EQ(served, 2);
    setUiRequestServer(std::move(previous));
}

} // namespace
} // namespace orlim
