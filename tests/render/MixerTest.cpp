// Mixing a note into the mix buffer: pan gains, smoothing, saturation, sample widths
// and channel counts.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "engine/render/Mixer.h"
#include "engine/render/SynthMath.h"

namespace orlim {
namespace {

PanTable panAt(PanTriple pan)
{
    PanTable table;
    table.add(0, pan);
    return table;
}

std::int64_t sampleAt(const MixBuffer& mix, std::size_t byte, unsigned bytes)
{
    std::uint64_t raw = 0;
    for (unsigned b = 0; b < bytes; ++b)
        raw |= std::uint64_t{mix.data()[byte + b]} << (8 * b);
    const std::uint64_t sign = std::uint64_t{1} << (8 * bytes - 1);
    return static_cast<std::int64_t>(raw ^ sign) - static_cast<std::int64_t>(sign);
}

NoteSignal signalOf(const std::vector<std::int32_t>& values, std::uint64_t width = 0, std::int64_t blend = 0)
{
    return {values.data(), static_cast<std::uint32_t>(values.size()), width, blend};
}

TEST(Mixer, ACentredPanGivesBothChannelsTheSquareRootOfAHalf)
{
    const std::vector<std::int32_t> values(10, 10000);
    PanTable pan = panAt({0, 0, 0});
    MixBuffer mix;
    ASSERT_TRUE(mixNote(signalOf(values), pan, {2, 2, 4}, mix, 0));
    const auto expected = static_cast<std::int64_t>(10000 * std::sqrt(0.5));
    for (std::size_t k = 0; k < values.size(); ++k) {
        EXPECT_EQ(sampleAt(mix, 4 * k, 2), expected);
        EXPECT_EQ(sampleAt(mix, 4 * k + 2, 2), expected);
    }
}

TEST(Mixer, PanFullyToOneSideLeavesTheOtherChannelSilent)
{
    const std::vector<std::int32_t> values(4, -12345);
    const struct {
        std::int16_t x;
        std::int64_t left;
        std::int64_t right;
    } cases[] = {{-32768, -12345, 0}, {32767, -static_cast<std::int64_t>(12345 * std::sqrt(1.0 / 65536.0)),
                                       -static_cast<std::int64_t>(12345 * std::sqrt(65535.0 / 65536.0))}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.x);
        PanTable pan = panAt({c.x, 0, 0});
        MixBuffer mix;
        ASSERT_TRUE(mixNote(signalOf(values), pan, {2, 2, 4}, mix, 0));
        EXPECT_EQ(sampleAt(mix, 0, 2), c.left);
        EXPECT_EQ(sampleAt(mix, 2, 2), c.right);
    }
}

TEST(Mixer, SixChannelsFollowXYAndZAndFurtherChannelsStaySilent)
{
    const std::vector<std::int32_t> values(3, 30000);
    PanTable pan = panAt({-32768, 0, 16384});
    MixBuffer mix;
    const OutputLayout layout{8, 2, 16};
    ASSERT_TRUE(mixNote(signalOf(values), pan, layout, mix, 0));
    const double ay = 0.5;
    const double az = (32768.0 - 16384) / 65536.0;
    const std::int64_t expected[8] = {30000, 0, static_cast<std::int64_t>(30000 * std::sqrt(ay)),
                                      static_cast<std::int64_t>(30000 * std::sqrt(1 - ay)),
                                      static_cast<std::int64_t>(30000 * std::sqrt(az)),
                                      static_cast<std::int64_t>(30000 * std::sqrt(1 - az)), 0, 0};
    for (unsigned c = 0; c < 8; ++c)
        EXPECT_EQ(sampleAt(mix, 16 * 2 + 2 * c, 2), expected[c]) << "channel " << c;
}

TEST(Mixer, OneChannelTakesTheGainOfChannelZero)
{
    const std::vector<std::int32_t> values(2, 1000);
    PanTable pan = panAt({-16384, 0, 0});
    MixBuffer mix;
    ASSERT_TRUE(mixNote(signalOf(values), pan, {1, 2, 2}, mix, 0));
    EXPECT_EQ(sampleAt(mix, 0, 2), static_cast<std::int64_t>(1000 * std::sqrt(49152.0 / 65536.0)));
}

TEST(Mixer, SumsBeyondFullScaleAreClampedPerSampleAndNeverWrap)
{
    for (const unsigned bytes : {1u, 2u, 3u, 4u}) {
        SCOPED_TRACE(bytes);
        const std::int64_t full = fullScale(bytes);
        const auto big = static_cast<std::int32_t>(std::min<std::int64_t>(full, 2000000000));
        const std::vector<std::int32_t> up(4, big);
        const std::vector<std::int32_t> down(4, -big);
        PanTable pan = panAt({-32768, 0, 0});
        MixBuffer mix;
        const OutputLayout layout{1, bytes, bytes};
        ASSERT_TRUE(mixNote(signalOf(up), pan, layout, mix, 0));
        ASSERT_TRUE(mixNote(signalOf(up), pan, layout, mix, 0));
        EXPECT_EQ(sampleAt(mix, 0, bytes), full);
        ASSERT_TRUE(mixNote(signalOf(down), pan, layout, mix, bytes));
        ASSERT_TRUE(mixNote(signalOf(down), pan, layout, mix, bytes));
        ASSERT_TRUE(mixNote(signalOf(down), pan, layout, mix, bytes));
        // The lower limit is minus the full scale, not one below it.
        EXPECT_EQ(sampleAt(mix, bytes, bytes), -full);
        EXPECT_EQ(sampleAt(mix, 4 * bytes, bytes), -full);
    }
}

TEST(Mixer, EightBitOutputIsSigned)
{
    const std::vector<std::int32_t> values = {-100, 50};
    PanTable pan = panAt({-32768, 0, 0});
    MixBuffer mix;
    ASSERT_TRUE(mixNote(signalOf(values), pan, {1, 1, 1}, mix, 0));
    EXPECT_EQ(static_cast<std::int8_t>(mix.data()[0]), -100);
    EXPECT_EQ(static_cast<std::int8_t>(mix.data()[1]), 50);
}

TEST(Mixer, SmoothingAveragesTheLastWSamplesAndBlendsIn)
{
    std::vector<std::int32_t> values(40);
    for (std::size_t k = 0; k < values.size(); ++k)
        values[k] = static_cast<std::int32_t>((k * 7919) % 2001) - 1000;
    const struct {
        const char* name;
        std::uint64_t width;
        std::int64_t blend;
    } cases[] = {{"no smoothing below a width of 2", 1, 0}, {"a width of 8", 8, 0}, {"a width of 5 blending in over 12", 5, 12}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PanTable pan = panAt({-32768, 0, 0});
        MixBuffer mix;
        ASSERT_TRUE(mixNote(signalOf(values, c.width, c.blend), pan, {1, 4, 4}, mix, 0));
        std::int64_t running = 0;
        for (std::size_t k = 0; k < values.size(); ++k) {
            double v = values[k];
            if (c.width >= 2) {
                running += values[k];
                if (k >= c.width)
                    running -= values[k - c.width];
                const double w = static_cast<double>(c.width);
                v = static_cast<std::int64_t>(k) < c.blend
                        ? (double(k) / double(c.blend)) * double(running) / w + values[k] * (1 - double(k) / double(c.blend))
                        : double(running) / w;
            }
            EXPECT_EQ(sampleAt(mix, 4 * k, 4), static_cast<std::int64_t>(v)) << k;
        }
    }
}

TEST(Mixer, TheGainsFollowThePanCurveAlongTheNote)
{
    PanTable pan;
    pan.add(0, {-32768, 0, 0});
    pan.add(5000, {32767, 0, 0});
    const std::vector<std::int32_t> values(100, 20000);
    MixBuffer mix;
    ASSERT_TRUE(mixNote(signalOf(values), pan, {2, 2, 4}, mix, 0));
    for (std::size_t k = 0; k < values.size(); ++k) {
        const std::int64_t t = static_cast<std::int64_t>(10000.0 * (double(k) / 100.0));
        const std::int64_t x = t >= 5000 ? 32767 : -32768 + floorDivide(t * 65535, 5000);
        const double ax = (32768.0 - double(x)) / 65536.0;
        EXPECT_EQ(sampleAt(mix, 4 * k, 2), static_cast<std::int64_t>(20000 * std::sqrt(ax))) << k;
        EXPECT_EQ(sampleAt(mix, 4 * k + 2, 2), static_cast<std::int64_t>(20000 * std::sqrt(1 - ax))) << k;
    }
}

TEST(Mixer, TheFillCountRisesToTheNotesEndAndTheBytesBeforeAreKept)
{
    MixBuffer mix;
    ASSERT_TRUE(mix.fillTo(8));
    mix.data()[0] = 7;
    const std::vector<std::int32_t> values(3, 100);
    PanTable pan = panAt({0, 0, 0});
    ASSERT_TRUE(mixNote(signalOf(values), pan, {2, 2, 4}, mix, 20));
    EXPECT_EQ(mix.fill(), 32u);
    EXPECT_EQ(mix.data()[0], 7);
    EXPECT_EQ(sampleAt(mix, 8, 2), 0);
    // A note beyond what any buffer may hold is left out.
    EXPECT_FALSE(mixNote(signalOf(values), pan, {2, 2, 4}, mix, MixBuffer::kMaxBytes));
    EXPECT_EQ(mix.fill(), 32u);
}

} // namespace
} // namespace orlim
