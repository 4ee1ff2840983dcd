// The ALSA backend on machines without a sound card: the user's ALSA configuration
// (in a home folder of the test's own) makes "default" the sound system's null
// device, which takes every frame at once. This test program is the only user of
// ALSA in its process, so the configuration is read with that home folder.
#include "platform/WaveOut.h"

#include <condition_variable>
#include <mutex>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/ScopedEnvironment.h"
#include "tests/support/TempDir.h"

namespace orlim {
namespace {

TEST(WaveOutAlsa, PlaysBuffersInOrderThroughTheSoundSystemsNullDevice)
{
    testing::TempDir home;
    testing::writeFile(home.file(".asoundrc"), "pcm.!default {\n    type null\n}\n");
    testing::ScopedEnvironment homeFolder("HOME", home.path());
    testing::ScopedEnvironment backend("ORLIM_WAVE_OUT", "alsa");

    const struct {
        const char* what;
        std::uint16_t channels;
        std::uint16_t bits;
    } formats[] = {
        {"16-bit stereo", 2, 16},
        {"8-bit mono", 1, 8},
        {"24-bit stereo", 2, 24},
        {"32-bit mono", 1, 32},
    };
    for (const auto& f : formats) {
        SCOPED_TRACE(f.what);
        WaveOutFormat format;
        format.channels = f.channels;
        format.samplesPerSec = 22050;
        format.bitsPerSample = f.bits;
        format.blockAlign = static_cast<std::uint16_t>(f.channels * f.bits / 8);
        const std::size_t bytes = 22050u / 5 * format.blockAlign;
        std::vector<unsigned char> first(bytes), second(bytes);
        WaveBuffer a, b;
        a.data = first.data();
        a.length = static_cast<std::uint32_t>(bytes);
        a.user = 1;
        b.data = second.data();
        b.length = static_cast<std::uint32_t>(bytes);
        b.user = 2;

        std::mutex mutex;
        std::condition_variable changed;
        std::vector<std::uint32_t> order;
        std::unique_ptr<WaveOut> device;
        device = WaveOut::open(format, [&](WaveBuffer& buffer) {
            std::lock_guard lock(mutex);
            order.push_back(buffer.user);
            // Around the ring twice, queued again from inside the callback.
            if (order.size() <= 2) {
                EXPECT_TRUE(device->write(buffer));
            }
            changed.notify_all();
        });
        ASSERT_TRUE(device) << "the null device opens";
        {
            std::lock_guard lock(mutex);
            ASSERT_TRUE(device->prepare(a) && device->write(a));
            ASSERT_TRUE(device->prepare(b) && device->write(b));
        }
        {
            std::unique_lock lock(mutex);
            changed.wait(lock, [&] { return order.size() == 4; });
            EXPECT_EQ(order, (std::vector<std::uint32_t>{1, 2, 1, 2}));
        }
        EXPECT_TRUE(device->pause());
        EXPECT_TRUE(device->reset());
        EXPECT_TRUE(device->close());
    }
}

} // namespace
} // namespace orlim
