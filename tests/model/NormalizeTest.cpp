#include "engine/model/Durad.h"

#include "engine/model/List.h"
#include "tests/model/ModelTestHelpers.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

namespace orlim {
namespace {

using NoteKey = std::tuple<std::uint32_t, int, int>; // position, pitch, duration

std::vector<NoteKey> notesOf(const Track& track)
{
    std::vector<NoteKey> keys;
    for (const Note* n = track.notes; n; n = n->next)
        keys.emplace_back(n->position, n->pitch, n->duration);
    return keys;
}

void addNotes(Track& track, const std::vector<NoteKey>& keys)
{
    ListAppender<Note> notes(track.notes);
    for (const auto& [position, pitch, duration] : keys)
        notes.add(testing::makeNote(position, pitch, duration));
}

TEST(NormalizeTrack, RemovesNotesWithoutDurationAndOrdersByPositionThenPitch)
{
    const struct {
        const char* name;
        std::vector<NoteKey> before;
        std::vector<NoteKey> after;
    } cases[] = {
        {"duration 0 in the middle and at the end", {{0, 60, 1}, {10, 60, 0}, {20, 60, 5}, {30, 60, 0}},
         {{0, 60, 1}, {20, 60, 5}}},
        {"negative duration", {{0, 60, -3}}, {}},
        {"equal positions ordered by pitch", {{10, 64, 5}, {10, 60, 5}, {0, 70, 5}},
         {{0, 70, 5}, {10, 60, 5}, {10, 64, 5}}},
        {"the later of equal position and pitch goes", {{10, 60, 5}, {0, 50, 1}, {10, 60, 9}},
         {{0, 50, 1}, {10, 60, 5}}},
        {"negative pitches order below positive ones", {{0, 5, 5}, {0, -3, 5}}, {{0, -3, 5}, {0, 5, 5}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Track track;
        addNotes(track, c.before);
        track.noteCursor = track.notes;
        normalizeTrack(track);
        EXPECT_EQ(notesOf(track), c.after);
        EXPECT_EQ(track.changed, 1);
        EXPECT_EQ(track.noteCursor, nullptr);
    }
}

TEST(NormalizeTrack, AnOrderedTrackStaysUnchanged)
{
    Track track;
    addNotes(track, {{0, 60, 1}, {0, 61, 1}, {5, 40, 1}});
    const auto cursorTarget = track.notes->next;
    track.noteCursor = cursorTarget;
    normalizeTrack(track);
    EXPECT_EQ(track.changed, 0);
    EXPECT_EQ(notesOf(track).size(), 3u);
}

TEST(NormalizeTrack, SourcesWithEqualStartsAreReducedToTheFirstAndEffectsAllKept)
{
    Track track;
    const auto s0 = testing::sourceRecord(64, 1);
    const auto s1 = testing::sourceRecord(0, 2);
    const auto s2 = testing::sourceRecord(64, 3);
    ListAppender<SourceNode> sources(track.sources);
    for (const auto* r : {&s0, &s1, &s2})
        sources.add(SourceNode::copyOf(r->data()));
    const auto e0 = testing::effectRecord(64, 10, 1);
    const auto e1 = testing::effectRecord(0, 10, 2);
    const auto e2 = testing::effectRecord(64, 10, 3);
    ListAppender<EffectNode> effects(track.effects);
    for (const auto* r : {&e0, &e1, &e2})
        effects.add(EffectNode::copyOf(r->data()));

    normalizeTrack(track);

    std::vector<int> sourceTags, effectTags;
    for (const SourceNode* s = track.sources; s; s = s->next)
        sourceTags.push_back(s->entry.data()[12]);
    for (const EffectNode* e = track.effects; e; e = e->next)
        effectTags.push_back(e->entry.data()[12]);
    EXPECT_EQ(sourceTags, (std::vector<int>{2, 1}));
    EXPECT_EQ(effectTags, (std::vector<int>{2, 1, 3}));
    EXPECT_EQ(track.changed, 1);
}

TEST(NormalizeTrack, PointsAreOrderedAndTheLaterOfEqualPositionsRemoved)
{
    Track track;
    ListAppender<LoudPoint> loud(track.loudPoints);
    for (auto [p, l] : {std::pair{50u, 1}, {20u, 2}, {50u, 3}}) {
        LoudPoint* point = loud.add(new LoudPoint);
        point->position = p;
        point->loudness = static_cast<std::int16_t>(l);
    }
    ListAppender<Clef> clefs(track.clefs);
    Clef* clef = clefs.add(new Clef);
    clef->position = 0;
    clef->clef = 5;
    normalizeTrack(track);
    std::vector<std::pair<std::uint32_t, int>> points;
    for (const LoudPoint* p = track.loudPoints; p; p = p->next)
        points.emplace_back(p->position, p->loudness);
    EXPECT_EQ(points, (std::vector<std::pair<std::uint32_t, int>>{{0, 0}, {20, 2}, {50, 1}}));
    EXPECT_EQ(listCount(track.clefs), 1);
    EXPECT_EQ(track.clefs->clef, 0);
}

struct BeatSpec {
    std::uint32_t position;
    int beats;
    int beatTicks;
    bool operator==(const BeatSpec&) const = default;
};

std::vector<BeatSpec> beatsOf(const Durad& durad)
{
    std::vector<BeatSpec> specs;
    for (const Beat* b = durad.beats; b; b = b->next)
        specs.push_back({b->position, b->beats, b->beatTicks});
    return specs;
}

void setBeats(Durad& durad, const std::vector<BeatSpec>& specs)
{
    destroyList(durad.beats);
    ListAppender<Beat> beats(durad.beats);
    for (const BeatSpec& s : specs) {
        Beat* beat = beats.add(new Beat);
        beat->position = s.position;
        beat->beats = static_cast<std::uint8_t>(s.beats);
        beat->beatTicks = static_cast<std::uint8_t>(s.beatTicks);
    }
}

TEST(NormalizeMusic, BeatsAreSnappedToTheMeasuresOfTheirPredecessor)
{
    const struct {
        const char* name;
        std::vector<BeatSpec> before;
        std::vector<BeatSpec> after;
    } cases[] = {
        {"a Beat inside the first measure replaces the first Beat", {{0, 4, 32}, {100, 3, 32}}, {{0, 3, 32}}},
        {"snapped down to a bar line", {{0, 4, 32}, {300, 3, 32}}, {{0, 4, 32}, {256, 3, 32}}},
        {"each against the snapped predecessor", {{0, 4, 32}, {300, 3, 32}, {500, 2, 32}},
         {{0, 4, 32}, {256, 3, 32}, {448, 2, 32}}},
        {"landing on a later predecessor replaces it", {{0, 4, 32}, {256, 3, 32}, {300, 2, 32}},
         {{0, 4, 32}, {256, 2, 32}}},
        {"the first Beat moves to 0", {{64, 4, 32}, {256, 3, 32}}, {{0, 4, 32}, {256, 3, 32}}},
        {"ordered, the later of equal positions removed", {{0, 4, 32}, {384, 2, 32}, {256, 3, 32}, {256, 6, 8}},
         {{0, 4, 32}, {256, 3, 32}, {352, 2, 32}}},
        {"a measure of no length does not divide", {{0, 0, 32}, {100, 3, 32}, {200, 4, 0}, {210, 2, 32}},
         {{0, 0, 32}, {100, 3, 32}, {196, 4, 0}, {210, 2, 32}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Durad durad(nullptr);
        setBeats(durad, c.before);
        normalizeMusic(durad);
        EXPECT_EQ(beatsOf(durad), c.after);
        EXPECT_EQ(durad.changed, 1);
        EXPECT_EQ(beatInForce(durad, c.after.back().position)->beats, c.after.back().beats);
        // A second pass finds nothing more to do: what is stored stays as it is.
        durad.changed = 0;
        normalizeMusic(durad);
        EXPECT_EQ(beatsOf(durad), c.after);
        EXPECT_EQ(durad.changed, 0);
    }
}

TEST(NormalizeMusic, TempoPointsAreOrderedFromZeroAndTheCursorCleared)
{
    Durad durad(nullptr);
    durad.tempoPoints->position = 10;
    ListAppender<TempoPoint> tempo(durad.tempoPoints);
    for (auto [p, t] : {std::pair{200u, 1000}, {100u, 2000}, {200u, 3000}}) {
        TempoPoint* point = tempo.add(new TempoPoint);
        point->position = p;
        point->tempo = static_cast<std::uint16_t>(t);
    }
    tempoInForce(durad, 150);
    normalizeMusic(durad);
    std::vector<std::pair<std::uint32_t, int>> points;
    for (const TempoPoint* p = durad.tempoPoints; p; p = p->next)
        points.emplace_back(p->position, p->tempo);
    EXPECT_EQ(points, (std::vector<std::pair<std::uint32_t, int>>{{0, 3840}, {100, 2000}, {200, 1000}}));
    EXPECT_EQ(durad.tempoCursor, nullptr);
    EXPECT_EQ(durad.changed, 1);
}

TEST(NormalizeMusic, NormalizeAllReachesEveryTrack)
{
    Durad durad(nullptr);
    durad.tracks->next = new Track;
    addNotes(*durad.tracks->next, {{0, 60, 0}});
    durad.beats->position = 5;
    normalizeAll(durad);
    EXPECT_EQ(durad.beats->position, 0u);
    EXPECT_EQ(durad.tracks->next->notes, nullptr);
    EXPECT_EQ(durad.tracks->changed, 0);
    EXPECT_EQ(durad.tracks->next->changed, 1);
}

TEST(PermanentFirstEntries, ADefaultIsPutFirstWhereNoEntryLiesAtZero)
{
    Track track;
    track.clefs->position = 64;
    track.clefs->clef = 1;
    track.clefs->key = -2;
    destroyList(track.loudPoints);
    track.panoPoints->position = 32;
    PanoPoint* zero = new PanoPoint;
    zero->x = 9;
    track.panoPoints->next = zero; // an entry at 0 that is not yet first

    ensurePermanentFirstEntries(track);

    ASSERT_EQ(listCount(track.clefs), 2);
    EXPECT_EQ(track.clefs->position, 0u);
    EXPECT_EQ(track.clefs->clef, 0);
    EXPECT_EQ(track.clefs->key, 0);
    EXPECT_EQ(track.clefs->next->clef, 1);
    ASSERT_EQ(listCount(track.loudPoints), 1);
    EXPECT_EQ(track.loudPoints->loudness, 0);
    EXPECT_EQ(listCount(track.panoPoints), 2);
    normalizeTrack(track);
    EXPECT_EQ(track.panoPoints->x, 9);
    EXPECT_NE(clefInForce(track, 0), nullptr);
}

} // namespace
} // namespace orlim
