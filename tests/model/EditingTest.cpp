#include "engine/model/Editing.h"

#include "engine/include/DuradMessages.h"
#include "engine/model/List.h"
#include "tests/model/ModelTestHelpers.h"

#include <gtest/gtest.h>

#include <functional>

namespace orlim {
namespace {

// A two-track Durad with one entry of each kind on track 0, all flags clear.
void fill(Durad& d)
{
    insertTrack(d, 1, "second");
    insertNote(d, 0, 64, 60, 32);
    insertClef(d, 0, 128, 1, -2);
    insertLoud(d, 0, 100, -600);
    insertPano(d, 0, 100, 1, 2, 3);
    insertTempo(d, 100, 2000);
    insertBeat(d, 256, 3, 32);
    const auto source = testing::sourceRecord(0, 1);
    insertSource(d, 0, source.data());
    const auto effect = testing::effectRecord(0, 100, 2);
    insertEffect(d, 0, effect.data());
    clearChanged(d);
}

TEST(EditingFlags, EachOperationMarksWhatItTouches)
{
    const auto source = testing::sourceRecord(500, 9);
    const auto effect = testing::effectRecord(10, 20, 9);
    const struct {
        const char* name;
        std::function<int(Durad&)> edit;
        bool trackChanged; // track 0
        bool duradChanged;
        int notifications;
    } cases[] = {
        {"insert note", [](Durad& d) { return insertNote(d, 0, 0, 60, 8); }, true, true, 1},
        {"delete note", [](Durad& d) { return deleteNote(d, 0, 64, 60); }, true, true, 1},
        {"modify note", [](Durad& d) { return modifyNote(d, 0, 64, 60, 70, 0, 0); }, true, true, 2},
        {"insert clef", [](Durad& d) { return insertClef(d, 0, 300, 3, 4); }, true, true, 1},
        {"delete clef marks only the Durad", [](Durad& d) { return deleteClef(d, 0, 128); }, false, true, 1},
        {"insert loudness", [](Durad& d) { return insertLoud(d, 0, 300, 5); }, true, true, 1},
        {"delete loudness", [](Durad& d) { return deleteLoud(d, 0, 100); }, true, true, 1},
        {"insert pan", [](Durad& d) { return insertPano(d, 0, 300, 5, 5, 5); }, true, true, 1},
        {"delete pan", [](Durad& d) { return deletePano(d, 0, 100); }, true, true, 1},
        {"insert tempo", [](Durad& d) { return insertTempo(d, 300, 5000); }, false, true, 1},
        {"delete tempo", [](Durad& d) { return deleteTempo(d, 100); }, false, true, 1},
        {"insert beat", [](Durad& d) { return insertBeat(d, 1000, 2, 16); }, false, true, 1},
        {"delete beat", [](Durad& d) { return deleteBeat(d, 256); }, false, true, 1},
        {"insert source", [&](Durad& d) { return insertSource(d, 0, source.data()); }, true, true, 1},
        {"delete source", [](Durad& d) { return deleteSource(d, 0, 0); }, false, false, 0},
        {"insert effect", [&](Durad& d) { return insertEffect(d, 0, effect.data()); }, true, true, 1},
        {"delete effect", [](Durad& d) { return deleteEffect(d, 0, 0); }, false, false, 0},
        {"insert track", [](Durad& d) { return insertTrack(d, 5, "x"); }, false, true, 1},
        {"delete track", [](Durad& d) { return deleteTrack(d, 1); }, false, true, 1},
        {"move track", [](Durad& d) { return moveTrack(d, 1, 0) && moveTrack(d, 0, 1); }, false, true, 2},
        {"delete block", [](Durad& d) {
             deleteBlock(d, Selection{0, 0, 12700, 0, 0, 1000, kSelectNotes | kSelectLoudness});
             return 1;
         }, false, true, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        int notifications = 0;
        QueueWindow window([&](std::uint32_t msg, WParam, LParam) {
            EXPECT_EQ(msg, WM_MUS_CHANGED);
            ++notifications;
            return 0;
        });
        Durad durad(&window);
        fill(durad);
        notifications = 0;
        EXPECT_EQ(c.edit(durad), 1);
        EXPECT_EQ(durad.tracks->changed == 1, c.trackChanged);
        EXPECT_EQ(durad.changed == 1, c.duradChanged);
        EXPECT_EQ(notifications, c.notifications);
    }
}

TEST(EditingCursors, RemovalsNeverLeaveACursorOnARemovedRecord)
{
    Durad durad(nullptr);
    Track& track = *durad.tracks;
    insertTempo(durad, 100, 1000);
    insertNote(durad, 0, 50, 60, 8);
    EXPECT_EQ(tempoInForce(durad, 150)->position, 100u);
    EXPECT_EQ(noteAtOrAfter(track, 10)->position, 50u);
    deleteTempo(durad, 100);
    EXPECT_EQ(durad.tempoCursor, nullptr);
    deleteNote(durad, 0, 50, 60);
    EXPECT_EQ(track.noteCursor, nullptr);

    insertTempo(durad, 100, 1000);
    insertNote(durad, 0, 50, 60, 8);
    tempoInForce(durad, 150);
    noteAtOrAfter(track, 10);
    deleteBlock(durad, Selection{0, 0, 12700, 0, 0, 1000, kSelectNotes | kSelectTempo});
    EXPECT_EQ(durad.tempoCursor, nullptr);
    EXPECT_EQ(track.noteCursor, nullptr);
}

TEST(CopyTrack, NotesKeepTheirCurvesAndAllFieldsButReserved)
{
    Durad source(nullptr);
    Note* note = testing::makeNote(10, 60, 40);
    note->delay = 7;
    note->tune = -12;
    note->string = 3;
    note->loudness = -800;
    note->legato = 1800;
    note->reserved = 5;
    const CurvePoint porta[] = {{250, 300}, {750, -300}};
    const CurvePoint expr[] = {{500, -1200}};
    setPortamento(*note, porta, 2);
    setExpression(*note, expr, 1);
    ASSERT_TRUE(linkNote(*source.tracks, note));

    Durad preview(nullptr);
    ASSERT_EQ(copyTrack(source, 0, preview, 0), 1);
    const Note* copy = preview.tracks->notes;
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy, note);
    EXPECT_EQ(copy->delay, 7);
    EXPECT_EQ(copy->tune, -12);
    EXPECT_EQ(copy->string, 3);
    EXPECT_EQ(copy->loudness, -800);
    EXPECT_EQ(copy->legato, 1800);
    EXPECT_EQ(copy->reserved, 0);
    ASSERT_EQ(copy->portamentoCount, 2);
    EXPECT_NE(copy->portamento, note->portamento);
    EXPECT_EQ(copy->portamento[1].x, 750);
    ASSERT_EQ(copy->expressionCount, 1);
    EXPECT_EQ(copy->expression[0].y, -1200);
    EXPECT_EQ(pitchAtFraction(*copy, 0.25), pitchAtFraction(*note, 0.25));
}

} // namespace
} // namespace orlim
