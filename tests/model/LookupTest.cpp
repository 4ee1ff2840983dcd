#include "engine/model/Durad.h"

#include "engine/model/List.h"
#include "tests/model/ModelTestHelpers.h"

#include <gtest/gtest.h>

namespace orlim {
namespace {

TEST(Lookup, AFreshDuradAnswersTheDefaultsAtEveryPosition)
{
    Durad durad(nullptr);
    Track& track = *durad.tracks;
    for (std::uint32_t position : {0u, 1u, 1000u, 0xFFFFFFFFu}) {
        SCOPED_TRACE(position);
        EXPECT_EQ(tempoInForce(durad, position), durad.tempoPoints);
        EXPECT_EQ(beatInForce(durad, position), durad.beats);
        EXPECT_EQ(clefInForce(track, position), track.clefs);
        EXPECT_EQ(loudInForce(track, position), track.loudPoints);
        EXPECT_EQ(panoInForce(track, position), track.panoPoints);
        EXPECT_EQ(sourceInForce(track, position), nullptr);
        EXPECT_EQ(noteAtOrAfter(track, position), nullptr);
        EXPECT_EQ(activeEffect(track, position, 0), nullptr);
    }
    EXPECT_EQ(listCount(durad.tempoPoints), 1);
    EXPECT_EQ(listCount(track.loudPoints), 1);
}

TEST(Lookup, ListsWithoutAnEntryAtTheStartGetTheDefaultCreatedFirst)
{
    Durad durad(nullptr);
    Track& track = *durad.tracks;
    track.loudPoints->position = 100;
    track.loudPoints->loudness = -700;
    track.panoPoints->position = 100;
    durad.beats->position = 64;
    durad.tempoPoints->position = 64;
    durad.tempoPoints->tempo = 1000;

    LoudPoint* loud = loudInForce(track, 50);
    EXPECT_EQ(loud->position, 0u);
    EXPECT_EQ(loud->loudness, 0);
    EXPECT_EQ(loud->next->loudness, -700);
    EXPECT_EQ(loudInForce(track, 100)->loudness, -700);
    EXPECT_EQ(panoInForce(track, 0)->position, 0u);
    EXPECT_EQ(beatInForce(durad, 0)->beats, 4);
    TempoPoint* tempo = tempoInForce(durad, 10);
    EXPECT_EQ(tempo->tempo, 3840);
    EXPECT_EQ(tempoInForce(durad, 64)->tempo, 1000);

    track.clefs->position = 32;
    EXPECT_EQ(clefInForce(track, 31), nullptr) << "clefs are not created lazily";
    EXPECT_EQ(clefInForce(track, 32), track.clefs);
}

TEST(Lookup, TheTempoCursorFollowsForwardScansAndRestartsBackwards)
{
    Durad durad(nullptr);
    ListAppender<TempoPoint> tempo(durad.tempoPoints);
    for (std::uint32_t p : {100u, 200u, 300u}) {
        TempoPoint* point = tempo.add(new TempoPoint);
        point->position = p;
        point->tempo = static_cast<std::uint16_t>(p);
    }
    EXPECT_EQ(tempoInForce(durad, 250)->tempo, 200);
    EXPECT_EQ(durad.tempoCursor->position, 200u);
    EXPECT_EQ(tempoInForce(durad, 999)->tempo, 300);
    EXPECT_EQ(tempoInForce(durad, 99)->tempo, 3840);
    EXPECT_EQ(tempoInForce(durad, 100)->tempo, 100);
}

TEST(Lookup, NoteAtOrAfterFindsTheFirstNoteNotBeforeThePosition)
{
    Durad durad(nullptr);
    Track& track = *durad.tracks;
    ListAppender<Note> notes(track.notes);
    notes.add(testing::makeNote(10, 60, 5));
    notes.add(testing::makeNote(20, 60, 5));
    notes.add(testing::makeNote(20, 64, 5));
    notes.add(testing::makeNote(40, 60, 5));
    const struct {
        std::uint32_t position;
        std::uint32_t found; // 0: none
        int pitch;
    } cases[] = {{0, 10, 60}, {10, 10, 60}, {11, 20, 60}, {20, 20, 60}, {39, 40, 60},
                 {15, 20, 60}, {41, 0, 0}, {5, 10, 60}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.position);
        Note* note = noteAtOrAfter(track, c.position);
        if (c.found == 0) {
            EXPECT_EQ(note, nullptr);
        } else {
            ASSERT_NE(note, nullptr);
            EXPECT_EQ(note->position, c.found);
            EXPECT_EQ(note->pitch, c.pitch);
        }
        EXPECT_EQ(track.noteCursor, note);
    }
}

TEST(Lookup, SourcesAndEffectsInForce)
{
    Durad durad(nullptr);
    Track& track = *durad.tracks;
    const auto s0 = testing::sourceRecord(0, 1);
    const auto s1 = testing::sourceRecord(128, 2);
    ListAppender<SourceNode> sources(track.sources);
    sources.add(SourceNode::copyOf(s0.data()));
    sources.add(SourceNode::copyOf(s1.data()));
    EXPECT_EQ(sourceInForce(track, 127)->entry.data()[12], 1);
    EXPECT_EQ(sourceInForce(track, 128)->entry.data()[12], 2);

    const auto e0 = testing::effectRecord(0, 100, 1);
    const auto e1 = testing::effectRecord(50, 100, 2);
    const auto e2 = testing::effectRecord(0xFFFFFF00u, 0x200, 3);
    ListAppender<EffectNode> effects(track.effects);
    effects.add(EffectNode::copyOf(e0.data()));
    effects.add(EffectNode::copyOf(e1.data()));
    effects.add(EffectNode::copyOf(e2.data()));
    EXPECT_EQ(activeEffect(track, 60, 0)->entry.data()[12], 1);
    EXPECT_EQ(activeEffect(track, 60, 1)->entry.data()[12], 2);
    EXPECT_EQ(activeEffect(track, 60, 2), nullptr);
    EXPECT_EQ(activeEffect(track, 100, 0)->entry.data()[12], 2);
    EXPECT_EQ(activeEffect(track, 150, 0), nullptr);
    EXPECT_EQ(activeEffect(track, 0xFFFFFFFFu, 0)->entry.data()[12], 3)
        << "a range reaching past the last position does not wrap";
    EXPECT_EQ(activeEffect(track, 60, -1), nullptr);
}

struct FractionCase {
    const char* name;
    std::vector<CurvePoint> curve;
    double f;
    int offset;
};

TEST(Lookup, PitchAndLoudnessAtFractionFollowTheCurves)
{
    const FractionCase cases[] = {
        {"no curve gives the base", {}, 0.5, 0},
        {"before the only point, from (0, 0)", {{500, 200}}, 0.25, 100},
        {"after the last point", {{500, 200}}, 0.75, 200},
        {"at the point", {{500, 200}}, 0.5, 200},
        {"above 1 counts as 1", {{500, 200}, {1000, -100}}, 3.0, -100},
        {"between two points", {{0, 100}, {1000, 300}}, 0.5, 200},
        {"truncated toward zero", {{0, 0}, {3, -1}}, 0.002, 0},
        {"truncated toward zero, negative", {{0, 0}, {3, -2}}, 0.002, -1},
        {"a first point at 0 gives its own value at 0", {{0, -40}, {10, 0}}, 0.0, -40},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Note note;
        note.pitch = 60;
        note.tune = 7;
        note.loudness = -200;
        setPortamento(note, c.curve.data(), static_cast<int>(c.curve.size()));
        setExpression(note, c.curve.data(), static_cast<int>(c.curve.size()));
        EXPECT_EQ(pitchAtFraction(note, c.f), 6007 + c.offset);
        EXPECT_EQ(loudnessAtFraction(note, c.f), -200 + c.offset);
    }
}

} // namespace
} // namespace orlim
