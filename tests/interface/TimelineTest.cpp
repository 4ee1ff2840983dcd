#include "tests/interface/InterfaceHelpers.h"

#include <gtest/gtest.h>

namespace orlim::testing {
namespace {

TEST(Timeline, MeasuresUnderFourFourThenThreeFour)
{
    DuradPtr durad = makeDurad();
    EXPECT_EQ(musGetMeasureIndex(durad.get(), 127), 0);
    EXPECT_EQ(musGetMeasureIndex(durad.get(), 128), 1);
    EXPECT_EQ(musGetMeasurePos(durad.get(), 3), 384u);

    ASSERT_EQ(musInsertBeat(durad.get(), 256, 3, 32), 1);
    const struct {
        int measure;
        std::uint32_t position;
    } bars[] = {{0, 0}, {1, 128}, {2, 256}, {3, 352}, {4, 448}};
    for (const auto& bar : bars) {
        SCOPED_TRACE(bar.measure);
        EXPECT_EQ(musGetMeasurePos(durad.get(), bar.measure), bar.position);
        EXPECT_EQ(musGetMeasureIndex(durad.get(), bar.position), bar.measure);
        if (bar.position > 0) {
            EXPECT_EQ(musGetMeasureIndex(durad.get(), bar.position - 1), bar.measure - 1);
        }
    }
}

TEST(Timeline, MBTOfAPosition)
{
    DuradPtr durad = makeDurad();
    MBT mbt{};
    EXPECT_EQ(musGetMBT(durad.get(), 200, &mbt), 2);
    EXPECT_EQ(mbt.measure, 1);
    EXPECT_EQ(mbt.beat, 2);
    EXPECT_EQ(mbt.tick, 8);
    EXPECT_EQ(mbt.measureStart, 128);
    EXPECT_EQ(mbt.beats, 4);
    EXPECT_EQ(mbt.beatTicks, 32);

    ASSERT_EQ(musInsertBeat(durad.get(), 256, 3, 16), 1);
    EXPECT_EQ(musGetMBT(durad.get(), 256 + 48 + 20, &mbt), 1);
    EXPECT_EQ(mbt.measure, 3);
    EXPECT_EQ(mbt.measureStart, 304);
    EXPECT_EQ(mbt.beat, 1);
    EXPECT_EQ(mbt.tick, 4);
    EXPECT_EQ(mbt.beats, 3);
    EXPECT_EQ(mbt.beatTicks, 16);
    EXPECT_EQ(musGetMBT(durad.get(), 0, nullptr), 0);
}

TEST(Timeline, BeatsAreSnappedToTheStartOfTheirMeasure)
{
    const struct {
        std::uint32_t asked;
        std::uint32_t placed;
    } cases[] = {{300, 256}, {256, 256}, {129, 128}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.asked);
        DuradPtr durad = makeDurad();
        ASSERT_EQ(musInsertBeat(durad.get(), c.asked, 3, 32), 1);
        EXPECT_EQ(beatList(durad.get()), (PointList{{0, 4, 32}, {static_cast<int>(c.placed), 3, 32}}));
    }
}

TEST(Timeline, PositionOfTime)
{
    DuradPtr durad = makeDurad();
    EXPECT_EQ(musTimeToPos(durad.get(), 1000), 64u);
    EXPECT_EQ(musTimeToPos(durad.get(), 500), 32u);
    EXPECT_EQ(musTimeToPos(durad.get(), 0), 0u);
}

TEST(Timeline, PositionOfTimeUnderAnAcceleratingTempo)
{
    DuradPtr durad = makeDurad();
    ASSERT_EQ(musInsertTempo(durad.get(), 128, 7680), 1);
    EXPECT_EQ(musTimeToPos(durad.get(), 1500), 128u);
    // Past the last point at its tempo: 1000 ms more are 128 ticks, but the minutes are
    // taken as written, (2500 / 60000 - 0.025) x 7680 = 127.99..., truncated.
    EXPECT_EQ(musTimeToPos(durad.get(), 2500), 255u);
    // Inside the ramp the reciprocal tempo grows linearly: 1000 ms reach
    // (sqrt(4/3840^2 + 8/60 * g) - 2/3840) / (2g) with g = (1/7680 - 1/3840) / 128.
    EXPECT_EQ(musTimeToPos(durad.get(), 1000), 74u) << "74.98 truncated";
}

TEST(Timeline, MeasureTableSplitsANoteThatCrossesABar)
{
    DuradPtr durad = makeDurad();
    ASSERT_EQ(musInsertNote(durad.get(), 0, 120, 60, 40), 1);
    ASSERT_EQ(musInsertNote(durad.get(), 0, 0, 62, 32), 1);
    int last = 0;
    MeasureCell** table = musGetGMeasure(durad.get(), 0, &last, 0, 2);
    ASSERT_NE(table, nullptr);
    const MeasureCell& first = table[0][0];
    ASSERT_EQ(first.count, 2);
    EXPECT_EQ(first.notes[0].time, 0);
    EXPECT_EQ(first.notes[0].pitch, 6200);
    EXPECT_EQ(first.notes[0].length, 32);
    EXPECT_EQ(first.notes[0].kind, 0);
    EXPECT_EQ(first.notes[1].time, 120);
    EXPECT_EQ(first.notes[1].pitch, 6000);
    EXPECT_EQ(first.notes[1].length, 8);
    EXPECT_EQ(first.notes[1].kind, 4);
    const MeasureCell& second = table[0][1];
    ASSERT_EQ(second.count, 1);
    EXPECT_EQ(second.notes[0].time, 128);
    EXPECT_EQ(second.notes[0].length, 32);
    EXPECT_EQ(second.notes[0].kind, 2);
    for (const MeasureNote* piece : {&first.notes[0], &first.notes[1], &second.notes[0]}) {
        EXPECT_EQ(piece->unused1, 0);
        EXPECT_EQ(piece->unused2, 0);
        EXPECT_EQ(piece->unused3, 0);
    }
    EXPECT_EQ(table[0][2].count, 0);
    EXPECT_EQ(table[0][2].notes, nullptr);
}

TEST(Timeline, MeasureTableForALastTrackBeyondTheEndIsCorrected)
{
    DuradPtr durad = makeDurad();
    ASSERT_EQ(musInsertTrack(durad.get(), 1, "second"), 1);
    ASSERT_EQ(musInsertNote(durad.get(), 1, 130, 70, 10), 1);
    int last = 7;
    MeasureCell** table = musGetGMeasure(durad.get(), 0, &last, 1, 1);
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(last, 1);
    EXPECT_EQ(table[0][0].count, 0);
    ASSERT_EQ(table[1][0].count, 1);
    EXPECT_EQ(table[1][0].notes[0].time, 130);
}

TEST(Timeline, MeasureTableRefusesEmptyOrInvalidRanges)
{
    DuradPtr durad = makeDurad();
    ASSERT_EQ(musInsertTrack(durad.get(), 1, "second"), 1);
    const struct {
        const char* name;
        int first, last, firstMeasure, lastMeasure;
    } cases[] = {
        {"first measure above the last", 0, 1, 3, 2},
        {"last track before the first", 1, 0, 0, 0},
        {"first track past the end", 2, 3, 0, 0},
        {"negative first track", -1, 1, 0, 0},
        {"negative first measure", 0, 1, -1, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        int last = c.last;
        EXPECT_EQ(musGetGMeasure(durad.get(), c.first, &last, c.firstMeasure, c.lastMeasure), nullptr);
    }
    EXPECT_EQ(musGetGMeasure(durad.get(), 0, nullptr, 0, 0), nullptr);
}

} // namespace
} // namespace orlim::testing
