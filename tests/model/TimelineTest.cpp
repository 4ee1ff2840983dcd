#include "engine/model/Timeline.h"

#include "engine/model/Editing.h"
#include "engine/model/List.h"
#include "tests/model/ModelTestHelpers.h"

#include <gtest/gtest.h>

namespace orlim {
namespace {

TEST(TimeOfPosition, FollowsTheTempoCurveAndSubTicks)
{
    const struct {
        const char* name;
        std::uint32_t position;
        int subTicks;
        std::int64_t milliseconds;
    } cases[] = {
        {"a quarter note at 3840", 32, 0, 500},
        {"half a tick, 7.8125 truncated", 0, 120, 7},
        {"the start", 0, 0, 0},
        {"a whole note", 128, 0, 2000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Durad durad(nullptr);
        EXPECT_EQ(timeOfPosition(durad, c.position, c.subTicks), c.milliseconds);
    }
}

TEST(TimeOfPosition, AcceleratingTempoBothWays)
{
    Durad durad(nullptr);
    ASSERT_EQ(insertTempo(durad, 128, 7680), 1);
    EXPECT_EQ(timeOfPosition(durad, 128, 0), 1500);
    EXPECT_EQ(positionOfTime(durad, 1500), 128u);
    // Inside the ramp the tempo is interpolated linearly: at 64 it is 5760, so
    // 64 x (1/3840 + 1/5760) / 2 minutes = 833.3 ms.
    EXPECT_EQ(timeOfPosition(durad, 64, 0), 833);
    // Past the last point at its tempo, with sub-ticks at that tempo.
    EXPECT_EQ(timeOfPosition(durad, 128 + 128, 240), 1500 + 1000 + 7);
}

TEST(TimeOfPosition, ATempoOfZeroWrittenInPlaceGivesNoUndefinedTime)
{
    Durad durad(nullptr);
    durad.tempoPoints->tempo = 0;
    EXPECT_GE(timeOfPosition(durad, 100, 0), 0);
    EXPECT_EQ(positionOfTime(durad, 1000), 0u);
    EXPECT_EQ(timeOfPosition(durad, 0, 0), 0);
}

TEST(Timeline, MeasuresOfNoLengthAreNeverDividedBy)
{
    Durad durad(nullptr);
    durad.beats->beats = 0; // as written in place through a returned Beat
    EXPECT_EQ(measureIndex(durad, 1000), 0);
    EXPECT_EQ(measurePosition(durad, 3), 0u);
    MBT mbt{};
    EXPECT_EQ(fillMBT(durad, 100, mbt), 3);
    EXPECT_EQ(mbt.measure, 0);
    EXPECT_EQ(mbt.tick, 4);
    EXPECT_EQ(snapToMeasure(durad, 100), 0u);
}

TEST(MeasureTable, ANoteWithPortamentoIsMarkedBeforeItsOwnRecord)
{
    Durad durad(nullptr);
    Note* note = testing::makeNote(10, 60, 20);
    note->tune = 5;
    const CurvePoint curve[] = {{0, -100}, {1000, 100}};
    setPortamento(*note, curve, 2);
    ASSERT_TRUE(linkNote(*durad.tracks, note));
    ASSERT_TRUE(linkNote(*durad.tracks, testing::makeNote(40, 62, 8)));
    int last = 0;
    MeasureCell** table = measureTable(durad, 0, last, 0, 0);
    ASSERT_NE(table, nullptr);
    ASSERT_EQ(table[0][0].count, 3);
    const MeasureNote* pieces = table[0][0].notes;
    EXPECT_EQ(pieces[0].kind, 1);
    EXPECT_EQ(pieces[0].time, 10);
    EXPECT_EQ(pieces[0].pitch, 6005 - 100);
    EXPECT_EQ(pieces[0].length, 0);
    EXPECT_EQ(pieces[1].kind, 0);
    EXPECT_EQ(pieces[1].pitch, 6005);
    EXPECT_EQ(pieces[1].length, 20);
    EXPECT_EQ(pieces[2].kind, 0);
    EXPECT_EQ(pieces[2].time, 40);
}

TEST(MeasureTable, IsOwnedByTheDuradAndReplacedByTheNext)
{
    Durad durad(nullptr);
    ASSERT_TRUE(linkNote(*durad.tracks, testing::makeNote(0, 60, 500)));
    int last = 0;
    ASSERT_NE(measureTable(durad, 0, last, 0, 4), nullptr);
    ASSERT_NE(durad.measureTable, nullptr);
    EXPECT_EQ(durad.measureTable->rowCount, 1);
    EXPECT_EQ(durad.measureTable->columnCount, 5);
    const MeasureCell* row = durad.measureTable->rows[0];
    EXPECT_EQ(row[3].notes[0].kind, 2);
    EXPECT_EQ(row[3].notes[0].length, 116) << "the rest of the note, 500 - 384";
    EXPECT_EQ(measureTable(durad, 0, last, 2, 1), nullptr);
    EXPECT_EQ(durad.measureTable, nullptr) << "a refused request frees the previous table";
}

TEST(MeasureTable, AHugeRangeIsRefusedWithoutOverflow)
{
    Durad durad(nullptr);
    for (int i = 0; i < 3; ++i)
        insertTrack(durad, 0, "");
    int last = 3;
    EXPECT_EQ(measureTable(durad, 0, last, 0, 0x7FFFFFFF), nullptr);
}

} // namespace
} // namespace orlim
