#include "platform/WaveOut.h"

#include "platform/FileIO.h"

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/ScopedEnvironment.h"
#include "tests/support/TempDir.h"

namespace orlim {
namespace {

using Clock = std::chrono::steady_clock;
using testing::ScopedEnvironment;
using testing::TempDir;

// 8000 frames a second of one signed byte: a buffer of n bytes lasts n / 8 ms.
WaveOutFormat monoBytes()
{
    WaveOutFormat format;
    format.channels = 1;
    format.samplesPerSec = 8000;
    format.blockAlign = 1;
    format.bitsPerSample = 8;
    return format;
}

// A buffer with its own bytes, all of one value.
struct TestBuffer {
    TestBuffer(std::size_t bytes, unsigned char value, std::uint32_t id) : bytes(bytes, value)
    {
        buffer.data = this->bytes.data();
        buffer.length = static_cast<std::uint32_t>(bytes);
        buffer.user = id;
    }
    std::vector<unsigned char> bytes;
    WaveBuffer buffer;
};

// Records which buffers came back, in order, and when.
class DoneRecorder {
public:
    WaveDoneCallback callback()
    {
        return [this](WaveBuffer& buffer) {
            std::lock_guard lock(mutex_);
            ids_.push_back(buffer.user);
            times_.push_back(Clock::now());
            changed_.notify_all();
        };
    }

    void waitFor(std::size_t count)
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return ids_.size() >= count; });
    }

    std::vector<std::uint32_t> ids() const
    {
        std::lock_guard lock(mutex_);
        return ids_;
    }

    Clock::time_point time(std::size_t index) const
    {
        std::lock_guard lock(mutex_);
        return times_.at(index);
    }

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::uint32_t> ids_;
    std::vector<Clock::time_point> times_;
};

bool queue(WaveOut& device, TestBuffer& test)
{
    return device.prepare(test.buffer) && device.write(test.buffer);
}

TEST(WaveOutNull, BuffersComeBackInQueueOrderAfterTheirRealDuration)
{
    ScopedEnvironment backend("ORLIM_WAVE_OUT", "null");
    DoneRecorder done;
    auto device = WaveOut::open(monoBytes(), done.callback());
    ASSERT_TRUE(device);
    TestBuffer a(400, 1, 1), b(200, 2, 2), c(400, 3, 3);
    const Clock::time_point start = Clock::now();
    ASSERT_TRUE(queue(*device, a));
    ASSERT_TRUE(queue(*device, b));
    ASSERT_TRUE(queue(*device, c));
    done.waitFor(3);
    EXPECT_EQ(done.ids(), (std::vector<std::uint32_t>{1, 2, 3}));
    // 50, 25 and 50 ms of sound: none is back before everything ahead of it has played.
    EXPECT_GE(done.time(0) - start, std::chrono::milliseconds(50));
    EXPECT_GE(done.time(1) - start, std::chrono::milliseconds(75));
    EXPECT_GE(done.time(2) - start, std::chrono::milliseconds(125));
    EXPECT_FALSE(a.buffer.queued);
    EXPECT_TRUE(device->close());
}

TEST(WaveOutNull, TheCallbackMayQueueItsBufferAgain)
{
    ScopedEnvironment backend("ORLIM_WAVE_OUT", "null");
    TestBuffer a(80, 1, 1), b(80, 2, 2);
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::uint32_t> order;
    std::unique_ptr<WaveOut> device;
    device = WaveOut::open(monoBytes(), [&](WaveBuffer& buffer) {
        std::lock_guard lock(mutex);
        order.push_back(buffer.user);
        if (order.size() <= 4) {
            EXPECT_TRUE(device->write(buffer));
        }
        changed.notify_all();
    });
    ASSERT_TRUE(device);
    {
        std::lock_guard lock(mutex);
        ASSERT_TRUE(queue(*device, a));
        ASSERT_TRUE(queue(*device, b));
    }
    std::unique_lock lock(mutex);
    changed.wait(lock, [&] { return order.size() == 6; });
    EXPECT_EQ(order, (std::vector<std::uint32_t>{1, 2, 1, 2, 1, 2}));
    lock.unlock();
    EXPECT_TRUE(device->close());
}

TEST(WaveOutNull, ResetHandsBackEveryQueuedBufferBeforeItReturns)
{
    ScopedEnvironment backend("ORLIM_WAVE_OUT", "null");
    DoneRecorder done;
    auto device = WaveOut::open(monoBytes(), done.callback());
    ASSERT_TRUE(device);
    // Ten seconds each: reset comes long before either has played.
    TestBuffer a(80000, 1, 1), b(80000, 2, 2);
    ASSERT_TRUE(queue(*device, a));
    ASSERT_TRUE(queue(*device, b));
    EXPECT_TRUE(device->pause());
    EXPECT_TRUE(device->reset());
    EXPECT_EQ(done.ids(), (std::vector<std::uint32_t>{1, 2}));
    EXPECT_FALSE(a.buffer.queued);
    EXPECT_FALSE(b.buffer.queued);

    // The device plays again after a reset.
    TestBuffer c(80, 3, 3);
    ASSERT_TRUE(queue(*device, c));
    done.waitFor(3);
    EXPECT_EQ(done.ids().back(), 3u);
    EXPECT_TRUE(device->close());
}

TEST(WaveOutNull, BookkeepingRefusesBuffersInTheWrongState)
{
    ScopedEnvironment backend("ORLIM_WAVE_OUT", "null");
    DoneRecorder done;
    WaveOutFormat stereo = monoBytes();
    stereo.channels = 2;
    stereo.blockAlign = 2;
    auto device = WaveOut::open(stereo, done.callback());
    ASSERT_TRUE(device);
    TestBuffer a(80000, 1, 1), halfFrame(3, 0, 2), empty(0, 0, 3);
    EXPECT_FALSE(device->write(a.buffer)) << "not prepared";
    EXPECT_FALSE(device->prepare(halfFrame.buffer)) << "not whole frames";
    EXPECT_FALSE(device->prepare(empty.buffer));
    ASSERT_TRUE(device->prepare(a.buffer));
    ASSERT_TRUE(device->write(a.buffer));
    EXPECT_FALSE(device->write(a.buffer)) << "already queued";
    EXPECT_FALSE(device->unprepare(a.buffer)) << "still queued";
    EXPECT_TRUE(device->reset());
    EXPECT_TRUE(device->unprepare(a.buffer));
    EXPECT_FALSE(device->write(a.buffer));
}

TEST(WaveOutNull, CloseDropsQueuedBuffersWithoutCallbacks)
{
    ScopedEnvironment backend("ORLIM_WAVE_OUT", "null");
    DoneRecorder done;
    auto device = WaveOut::open(monoBytes(), done.callback());
    ASSERT_TRUE(device);
    TestBuffer a(80000, 1, 1);
    ASSERT_TRUE(queue(*device, a));
    EXPECT_TRUE(device->close());
    EXPECT_FALSE(device->isOpen());
    EXPECT_FALSE(a.buffer.queued);
    EXPECT_TRUE(done.ids().empty());
    EXPECT_FALSE(device->write(a.buffer));
    EXPECT_FALSE(device->reset());
    EXPECT_FALSE(device->close());
}

std::string le32(std::uint32_t value)
{
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<char>(value >> (8 * i));
    return bytes;
}

TEST(WaveOutFile, WritesWhatWasPlayedAsAWaveFile)
{
    TempDir dir;
    const std::string path = dir.file("played.wav");
    ScopedEnvironment backend("ORLIM_WAVE_OUT", "file:" + path);
    DoneRecorder done;
    auto device = WaveOut::open(monoBytes(), done.callback());
    ASSERT_TRUE(device);
    TestBuffer a(40, 'a', 1), b(41, 'b', 2);
    ASSERT_TRUE(queue(*device, a));
    ASSERT_TRUE(queue(*device, b));
    done.waitFor(2);
    EXPECT_FALSE(std::filesystem::exists(path)) << "the file appears when the device closes";
    ASSERT_TRUE(device->close());

    const std::string fmt = std::string("\x01\x00\x01\x00", 4) + le32(8000) + le32(8000) +
                            std::string("\x01\x00\x08\x00\x00\x00", 6);
    const std::string expected = "RIFF" + le32(4 + 26 + 8 + 81 + 1) + "WAVE" + "fmt " + le32(18) + fmt +
                                 "data" + le32(81) + std::string(40, 'a') + std::string(41, 'b') +
                                 std::string(1, '\0');
    EXPECT_EQ(testing::readFile(path), expected);
}

TEST(WaveOutFile, BuffersHandedBackByResetAreNotWritten)
{
    TempDir dir;
    const std::string path = dir.file("played.wav");
    ScopedEnvironment backend("ORLIM_WAVE_OUT", "file:" + path);
    DoneRecorder done;
    auto device = WaveOut::open(monoBytes(), done.callback());
    ASSERT_TRUE(device);
    TestBuffer shortOne(8, 's', 1), longOne(80000, 'l', 2);
    ASSERT_TRUE(queue(*device, shortOne));
    ASSERT_TRUE(queue(*device, longOne));
    done.waitFor(1);
    ASSERT_TRUE(device->reset());
    ASSERT_TRUE(device->close());
    const std::string file = testing::readFile(path);
    ASSERT_EQ(file.size(), 46u + 8u);
    EXPECT_EQ(file.substr(46), std::string(8, 's'));
}

TEST(WaveOutFile, AFileThatCannotBeWrittenFailsTheCloseAndLeavesNothing)
{
    TempDir dir;
    const std::string path = dir.file("played.wav");
    ScopedEnvironment backend("ORLIM_WAVE_OUT", "file:" + path);
    DoneRecorder done;
    auto device = WaveOut::open(monoBytes(), done.callback());
    ASSERT_TRUE(device);
    FileWriter::failAfterBytes(0);
    TestBuffer a(8, 'a', 1);
    ASSERT_TRUE(queue(*device, a));
    done.waitFor(1);
    EXPECT_FALSE(device->close());
    FileWriter::failAfterBytes(std::nullopt);
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST(WaveOut, OpensFailCleanly)
{
    TempDir dir;
    WaveOutFormat notPcm = monoBytes();
    notPcm.formatTag = 3;
    WaveOutFormat oddBits = monoBytes();
    oddBits.bitsPerSample = 12;
    WaveOutFormat noChannels = monoBytes();
    noChannels.channels = 0;
    WaveOutFormat noRate = monoBytes();
    noRate.samplesPerSec = 0;
    WaveOutFormat narrowFrame = monoBytes();
    narrowFrame.channels = 2;
    const struct {
        const char* what;
        std::string backend;
        WaveOutFormat format;
    } cases[] = {
        {"a file in a folder that does not exist", "file:" + dir.file("missing/played.wav"), monoBytes()},
        {"a file without a name", "file:", monoBytes()},
        {"an unknown backend", "speaker", monoBytes()},
        {"a format that is not PCM", "file:" + dir.file("a.wav"), notPcm},
        {"12-bit samples", "null", oddBits},
        {"no channels", "null", noChannels},
        {"no rate", "null", noRate},
        {"a frame narrower than its samples", "null", narrowFrame},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ScopedEnvironment backend("ORLIM_WAVE_OUT", c.backend);
        DoneRecorder done;
        EXPECT_EQ(WaveOut::open(c.format, done.callback()), nullptr);
    }
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST(WaveOutAlsa, WithoutASoundCardTheDeviceDoesNotOpen)
{
    if (std::filesystem::exists("/dev/snd"))
        GTEST_SKIP() << "this machine has a sound card";
    ScopedEnvironment backend("ORLIM_WAVE_OUT", "alsa");
    WaveOutFormat format;
    DoneRecorder done;
    EXPECT_EQ(WaveOut::open(format, done.callback()), nullptr);
}

} // namespace
} // namespace orlim
