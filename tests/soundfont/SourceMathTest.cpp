// Arithmetic the source plug-ins share.
#include <cmath>

#include <gtest/gtest.h>

#include "plugins/common/ErrorTexts.h"
#include "plugins/common/SourceMath.h"
#include "plugins/soundfont/KestrowErrors.h"

namespace orlim::plugin {
namespace {

TEST(SourceMath, VelocityFollowsLoudness)
{
    const struct {
        int loudness, velocity;
    } cases[] = {{0, 127}, {-2000, 40}, {-9600, 1}, {-32768, 1}, {32767, 127}, {500, 127}, {-1000, 71}, {-4000, 12}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.loudness);
        EXPECT_EQ(velocityFromLoudness(static_cast<std::int16_t>(c.loudness)), c.velocity);
    }
}

TEST(SourceMath, RelativeCutoffFollowsTheNote)
{
    const struct {
        int pitch, relative;
        std::uint32_t cutoff;
    } cases[] = {
        {6000, 400, 261u * 32 * 1000}, // middle C, four octaves up and one more
        {6200, 400, 9376000},
        {6000, 0, 522000},
        {6050, 100, 1076000}, // fractional semitones count
        {0, 400, 8u * 32 * 1000},
        {6000, 65535, kMaxCutoff}, // saturates
        {-32768, 400, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.pitch << " " << c.relative);
        EXPECT_EQ(relativeCutoff(static_cast<std::int16_t>(c.pitch), static_cast<std::uint16_t>(c.relative)),
                  c.cutoff);
    }
}

TEST(SourceMath, CountsSaturate)
{
    EXPECT_EQ(floorCount(-0.5), 0u);
    EXPECT_EQ(floorCount(12.99), 12u);
    EXPECT_EQ(floorCount(1e30), 0xFFFFFFFFu);
    EXPECT_EQ(floorCount(std::nan("")), 0u);
    EXPECT_EQ(addCounts(0xFFFFFFF0u, 0x20u), 0xFFFFFFFFu);
    EXPECT_EQ(addCounts(1u, 2u), 3u);
    EXPECT_EQ(truncateToInt16(-499.9), -499);
    EXPECT_EQ(truncateToInt16(1e9), 32767);
    EXPECT_EQ(truncateToInt16(-1e9), -32768);
    EXPECT_EQ(saturateToInt16(40000), 32767);
    EXPECT_EQ(saturateToInt16(-40000), -32768);
}

TEST(ErrorTexts, GivesTheTextOfTheLastNumberAndNullWithoutOne)
{
    ErrorTexts errors(kestrow::kErrorTexts);
    EXPECT_EQ(errors.text(), nullptr);
    errors.set(16);
    EXPECT_STREQ(errors.text(), "There's no enough meory to fulfil the operation.");
    errors.set(1);
    EXPECT_STREQ(errors.text(), "Can't Open the file.");
    errors.set(18);
    EXPECT_EQ(errors.text(), nullptr);
    errors.clear();
    EXPECT_EQ(errors.number(), -1);
    EXPECT_EQ(errors.text(), nullptr);
    EXPECT_STREQ(errors.textOf(8), "Can't find the designated sample in the Soundfont file.");
}

} // namespace
} // namespace orlim::plugin
