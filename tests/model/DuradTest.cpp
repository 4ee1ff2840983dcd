#include "engine/model/Durad.h"

#include "engine/include/DuradMessages.h"
#include "engine/model/DuradEngine.h"
#include "engine/model/List.h"
#include "tests/model/ModelTestHelpers.h"

#include <gtest/gtest.h>

#include <vector>

namespace orlim {
namespace {

struct Sent {
    std::uint32_t msg;
    WParam wParam;
    LParam lParam;
    bool operator==(const Sent&) const = default;
};

class Recorder {
public:
    Recorder()
        : window_([this](std::uint32_t msg, WParam w, LParam l) {
            sent.push_back({msg, w, l});
            return 0;
        })
    {
    }
    WindowHandle handle() { return &window_; }
    std::vector<Sent> sent;

private:
    QueueWindow window_;
};

void expectDefaultLists(const Durad& durad)
{
    ASSERT_EQ(trackCount(durad), 1);
    ASSERT_NE(durad.beats, nullptr);
    EXPECT_EQ(durad.beats->position, 0u);
    EXPECT_EQ(durad.beats->beats, 4);
    EXPECT_EQ(durad.beats->beatTicks, 32);
    EXPECT_EQ(durad.beats->next, nullptr);
    ASSERT_NE(durad.tempoPoints, nullptr);
    EXPECT_EQ(durad.tempoPoints->position, 0u);
    EXPECT_EQ(durad.tempoPoints->tempo, 3840);
    EXPECT_EQ(durad.tempoPoints->next, nullptr);
    const Track& track = *durad.tracks;
    EXPECT_EQ(track.sources, nullptr);
    EXPECT_EQ(track.effects, nullptr);
    EXPECT_EQ(track.notes, nullptr);
    ASSERT_NE(track.clefs, nullptr);
    EXPECT_EQ(track.clefs->position, 0u);
    EXPECT_EQ(track.clefs->key, 0);
    EXPECT_EQ(track.clefs->clef, 0);
    ASSERT_NE(track.loudPoints, nullptr);
    EXPECT_EQ(track.loudPoints->loudness, 0);
    ASSERT_NE(track.panoPoints, nullptr);
    EXPECT_EQ(track.panoPoints->x, 0);
    EXPECT_EQ(durad.level, -500);
}

TEST(Durad, AFreshDuradHasTheDefaultListsAndIsUnchanged)
{
    Durad durad(nullptr);
    expectDefaultLists(durad);
    EXPECT_FALSE(isChanged(durad));
    EXPECT_EQ(durad.createdDate.size(), 25u);
    EXPECT_EQ(durad.createdDate.back(), '\n');
    EXPECT_EQ(durad.modifiedDate, durad.createdDate);
    EXPECT_TRUE(durad.name.empty());
    EXPECT_TRUE(durad.filePath.empty());
    EXPECT_EQ(durad.notifyEnabled, 1);
}

TEST(Durad, ClearRestoresTheDefaultsKeepsTheCreationDateAndNotifies)
{
    Recorder recorder;
    Durad durad(recorder.handle());
    durad.createdDate = "Mon Jan  1 00:00:00 2024\n";
    durad.name = "Song";
    durad.author = "A";
    durad.comment = "C";
    durad.filePath = "/x.rwm";
    durad.level = 100;
    durad.tracks->next = new Track;
    durad.tracks->notes = testing::makeNote(0, 60, 32);
    durad.beats->beats = 3;
    tempoInForce(durad, 0);

    clearDurad(durad);

    expectDefaultLists(durad);
    EXPECT_TRUE(isChanged(durad));
    EXPECT_EQ(durad.createdDate, "Mon Jan  1 00:00:00 2024\n");
    EXPECT_TRUE(durad.name.empty());
    EXPECT_TRUE(durad.modifiedDate.empty());
    EXPECT_TRUE(durad.author.empty());
    EXPECT_TRUE(durad.comment.empty());
    EXPECT_TRUE(durad.filePath.empty());
    EXPECT_EQ(durad.tempoCursor, nullptr);
    EXPECT_EQ(recorder.sent, (std::vector<Sent>{{WM_MUS_CHANGED, 0, 0}}));
}

TEST(Durad, MarkingATrackChangedNotifiesTwiceFirstWithTheDurad)
{
    Recorder recorder;
    Durad durad(recorder.handle());
    durad.tracks->notes = testing::makeNote(0, 60, 0);
    markChanged(durad, 0);
    EXPECT_EQ(durad.tracks->notes, nullptr) << "the track is normalized";
    EXPECT_TRUE(isChanged(durad));
    const auto self = reinterpret_cast<LParam>(&durad);
    EXPECT_EQ(recorder.sent, (std::vector<Sent>{{WM_MUS_CHANGED, 0, self}, {WM_MUS_CHANGED, 0, 0}}));
}

TEST(Durad, MarkingTheMusicChangedNormalizesTempoAndNotifiesOnce)
{
    Recorder recorder;
    Durad durad(recorder.handle());
    durad.tempoPoints->position = 50;
    markChanged(durad, -1);
    EXPECT_EQ(durad.tempoPoints->position, 0u);
    EXPECT_EQ(durad.changed, 1);
    EXPECT_EQ(recorder.sent, (std::vector<Sent>{{WM_MUS_CHANGED, 0, 0}}));
}

TEST(Durad, MarkingATrackThatDoesNotExistDoesNothing)
{
    Recorder recorder;
    Durad durad(recorder.handle());
    markChanged(durad, 1);
    markChanged(durad, -2);
    EXPECT_FALSE(isChanged(durad));
    EXPECT_TRUE(recorder.sent.empty());
}

TEST(Durad, NotificationsWaitWhileDisabledAndNeedAWindow)
{
    Recorder recorder;
    Durad durad(recorder.handle());
    setNotifyEnabled(durad, false);
    clearDurad(durad);
    notifyLoaded(durad);
    EXPECT_TRUE(recorder.sent.empty());
    setNotifyEnabled(durad, true);
    notifyLoaded(durad);
    EXPECT_EQ(recorder.sent, (std::vector<Sent>{{WM_MUS_LOADED, 0, reinterpret_cast<LParam>(&durad)}}));

    Durad silent(nullptr);
    clearDurad(silent);
    notifyLoaded(silent);
}

TEST(Durad, AChangedTrackMakesTheDuradChangedUntilFlagsAreCleared)
{
    Durad durad(nullptr);
    durad.tracks->next = new Track;
    durad.tracks->next->changed = 1;
    EXPECT_TRUE(isChanged(durad));
    clearChanged(durad);
    EXPECT_FALSE(isChanged(durad));
}

TEST(Durad, TrackByIndexRefusesNegativeAndTooLargeIndexes)
{
    Durad durad(nullptr);
    Track* second = new Track;
    durad.tracks->next = second;
    EXPECT_EQ(trackCount(durad), 2);
    EXPECT_EQ(trackAt(durad, 0), durad.tracks);
    EXPECT_EQ(trackAt(durad, 1), second);
    EXPECT_EQ(trackAt(durad, 2), nullptr);
    EXPECT_EQ(trackAt(durad, -1), nullptr);
}

TEST(Durad, LengthsFollowTheLongestNoteAndAreZeroWithoutNotes)
{
    Durad durad(nullptr);
    EXPECT_EQ(musicLength(durad), 0u);
    durad.tracks->notes = testing::makeNote(100, 60, 28);
    durad.tracks->notes->next = testing::makeNote(110, 60, 10);
    durad.tracks->next = new Track;
    durad.tracks->next->notes = testing::makeNote(0, 60, 200);
    EXPECT_EQ(trackLength(durad, 0), 128u);
    EXPECT_EQ(trackLength(durad, 1), 200u);
    EXPECT_EQ(trackLength(durad, 2), 0u);
    EXPECT_EQ(trackLength(durad, -1), 0u);
    EXPECT_EQ(musicLength(durad), 200u);
}

TEST(Durad, ADuplicatedNoteOwnsCopiesOfBothCurvesAndDropsReserved)
{
    Note note;
    note.position = 7;
    note.delay = 9;
    note.pitch = 61;
    note.tune = -5;
    note.string = 2;
    note.loudness = -300;
    note.duration = 40;
    note.legato = 1500;
    note.reserved = 3;
    const CurvePoint porta[] = {{100, 50}, {900, -50}};
    const CurvePoint expr[] = {{500, -600}};
    setPortamento(note, porta, 2);
    setExpression(note, expr, 1);
    Note* copy = duplicateNote(note);
    EXPECT_EQ(copy->position, 7u);
    EXPECT_EQ(copy->delay, 9);
    EXPECT_EQ(copy->pitch, 61);
    EXPECT_EQ(copy->tune, -5);
    EXPECT_EQ(copy->string, 2);
    EXPECT_EQ(copy->loudness, -300);
    EXPECT_EQ(copy->duration, 40);
    EXPECT_EQ(copy->legato, 1500);
    EXPECT_EQ(copy->reserved, 0);
    ASSERT_EQ(copy->portamentoCount, 2);
    EXPECT_NE(copy->portamento, note.portamento);
    EXPECT_EQ(copy->portamento[1].y, -50);
    ASSERT_EQ(copy->expressionCount, 1);
    EXPECT_EQ(copy->expression[0].y, -600);
    delete copy;
    setExpression(note, nullptr, 0);
    EXPECT_EQ(note.expression, nullptr);
    EXPECT_EQ(note.expressionCount, 0);
}

TEST(Durad, EntriesShorterThanTheCommonHeadAreRefused)
{
    const auto shortRecord = testing::sourceRecord(0, 0, 75);
    EXPECT_EQ(SourceNode::copyOf(shortRecord.data()), nullptr);
    EXPECT_EQ(EffectNode::copyOf(nullptr), nullptr);
    const auto record = testing::sourceRecord(640, 9, 93);
    SourceNode* node = SourceNode::copyOf(record.data());
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->entry.length(), 93);
    EXPECT_EQ(node->start(), 640u);
    EXPECT_EQ(node->entry.data()[12], 9);
    delete node;
    const auto effect = testing::effectRecord(10, 20);
    EffectNode* e = EffectNode::copyOf(effect.data());
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->start(), 10u);
    EXPECT_EQ(e->rangeLength(), 20u);
    delete e;
}

TEST(DuradEngine, HasNoClipboardUntilOneIsMadeAndOnePresetPath)
{
    DuradEngine& engine = duradEngine();
    EXPECT_EQ(&engine, &duradEngine());
    EXPECT_EQ(engine.clipboard, nullptr);
    EXPECT_TRUE(engine.midiPresetPath.empty());
}

} // namespace
} // namespace orlim

namespace orlim {
namespace {

TEST(ListHelpers, ReadRecordsReplaceTheDefaultFirstAndAppendTheRest)
{
    Durad durad(nullptr);
    Beat* defaultBeat = durad.beats;
    FirstThenAppend<Beat> beats(durad.beats);
    beats.add(Beat{0, 3, 32, nullptr});
    beats.add(Beat{96, 6, 8, nullptr});
    beats.add(Beat{144, 2, 64, nullptr});
    EXPECT_EQ(durad.beats, defaultBeat) << "the first record stays, with new values";
    ASSERT_EQ(listCount(durad.beats), 3);
    EXPECT_EQ(durad.beats->beats, 3);
    EXPECT_EQ(durad.beats->next->beatTicks, 8);
    EXPECT_EQ(listLast(durad.beats)->position, 144u);

    LoudPoint* empty = nullptr;
    FirstThenAppend<LoudPoint> loud(empty);
    loud.add(LoudPoint{5, -100, nullptr});
    loud.add(LoudPoint{9, -200, nullptr});
    ASSERT_EQ(listCount(empty), 2);
    EXPECT_EQ(empty->loudness, -100);
    destroyList(empty);
    EXPECT_EQ(empty, nullptr);
}

} // namespace
} // namespace orlim
