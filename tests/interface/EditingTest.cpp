#include "engine/include/DuradMessages.h"
#include "tests/interface/InterfaceHelpers.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace orlim::testing {
namespace {

// A Durad with two tracks holding a little of everything, to refuse edits against.
void fill(Durad* d)
{
    musInsertTrack(d, 1, "second");
    musInsertNote(d, 0, 64, 60, 32);
    musInsertClef(d, 0, 128, 1, -2);
    musInsertLoud(d, 0, 100, -600);
    musInsertPano(d, 0, 100, 1, 2, 3);
    musInsertTempo(d, 100, 2000);
    musInsertBeat(d, 256, 3, 32);
    const auto source = sourceBytes(0, 1);
    musInsertSource(d, 0, asSource(source));
    const auto effect = effectBytes(0, 100, 2);
    musInsertEffect(d, 0, asEffect(effect));
}

struct Refusal {
    const char* name;
    std::function<int(Durad*)> edit;
};

TEST(Editing, EveryRefusalReturnsZeroChangesNothingAndStaysSilent)
{
    const auto shortSource = sourceBytes(500, 9, 75);
    const auto sameStart = sourceBytes(0, 9);
    const auto shortEffect = effectBytes(0, 10, 9, 75);
    const auto source = sourceBytes(500, 9);
    const Refusal cases[] = {
        {"insert note where one has that position and pitch", [](Durad* d) { return musInsertNote(d, 0, 64, 60, 8); }},
        {"insert note above pitch 127", [](Durad* d) { return musInsertNote(d, 0, 0, 128, 8); }},
        {"insert note below pitch 0", [](Durad* d) { return musInsertNote(d, 0, 0, -1, 8); }},
        {"insert note on a missing track", [](Durad* d) { return musInsertNote(d, 2, 0, 60, 8); }},
        {"delete note that is not there", [](Durad* d) { return musDeleteNote(d, 0, 64, 61); }},
        {"delete note on a missing track", [](Durad* d) { return musDeleteNote(d, -1, 64, 60); }},
        {"modify note that is not there", [](Durad* d) { return musModifyNote(d, 0, 65, 60, 0, 0, 0); }},
        {"modify note to pitch 128", [](Durad* d) { return musModifyNote(d, 0, 64, 60, 0xFFFFFFFF, 128, 0); }},
        {"modify note on a missing track", [](Durad* d) { return musModifyNote(d, 2, 64, 60, 0, 0, 0); }},
        {"insert clef where one lies", [](Durad* d) { return musInsertClef(d, 0, 128, 2, 0); }},
        {"insert clef at 0", [](Durad* d) { return musInsertClef(d, 0, 0, 2, 0); }},
        {"insert clef equal to the one in force", [](Durad* d) { return musInsertClef(d, 0, 200, 1, -2); }},
        {"insert clef with key 8", [](Durad* d) { return musInsertClef(d, 0, 200, 1, 8); }},
        {"insert clef of kind 16", [](Durad* d) { return musInsertClef(d, 0, 200, 16, 0); }},
        {"delete clef at 0", [](Durad* d) { return musDeleteClef(d, 0, 0); }},
        {"delete clef that is not there", [](Durad* d) { return musDeleteClef(d, 0, 129); }},
        {"delete clef on a missing track", [](Durad* d) { return musDeleteClef(d, 5, 128); }},
        {"insert loudness at 0", [](Durad* d) { return musInsertLoud(d, 0, 0, -100); }},
        {"insert loudness where one lies", [](Durad* d) { return musInsertLoud(d, 0, 100, -100); }},
        {"insert loudness on a missing track", [](Durad* d) { return musInsertLoud(d, 2, 10, -100); }},
        {"delete loudness at 0", [](Durad* d) { return musDeleteLoud(d, 0, 0); }},
        {"delete loudness that is not there", [](Durad* d) { return musDeleteLoud(d, 0, 101); }},
        {"delete loudness on a missing track", [](Durad* d) { return musDeleteLoud(d, 2, 100); }},
        {"insert pan at 0", [](Durad* d) { return musInsertPano(d, 0, 0, 1, 1, 1); }},
        {"insert pan where one lies", [](Durad* d) { return musInsertPano(d, 0, 100, 1, 1, 1); }},
        {"delete pan at 0", [](Durad* d) { return musDeletePano(d, 0, 0); }},
        {"delete pan that is not there", [](Durad* d) { return musDeletePano(d, 1, 100); }},
        {"delete pan on a missing track", [](Durad* d) { return musDeletePano(d, 2, 100); }},
        {"insert tempo at 0", [](Durad* d) { return musInsertTempo(d, 0, 1000); }},
        {"insert tempo where one lies", [](Durad* d) { return musInsertTempo(d, 100, 1000); }},
        {"insert tempo 0", [](Durad* d) { return musInsertTempo(d, 50, 0); }},
        {"insert tempo above 65535", [](Durad* d) { return musInsertTempo(d, 50, 65536); }},
        {"delete tempo at 0", [](Durad* d) { return musDeleteTempo(d, 0); }},
        {"delete tempo that is not there", [](Durad* d) { return musDeleteTempo(d, 99); }},
        {"insert beat snapped to 0", [](Durad* d) { return musInsertBeat(d, 100, 3, 32); }},
        {"insert beat equal to the one in force", [](Durad* d) { return musInsertBeat(d, 400, 3, 32); }},
        {"insert beat of no beats", [](Durad* d) { return musInsertBeat(d, 512, 0, 32); }},
        {"insert beat of no beat ticks", [](Durad* d) { return musInsertBeat(d, 512, 4, 0); }},
        {"delete beat at 0", [](Durad* d) { return musDeleteBeat(d, 0); }},
        {"delete beat that is not there", [](Durad* d) { return musDeleteBeat(d, 128); }},
        {"insert null source", [](Durad* d) { return musInsertSource(d, 0, nullptr); }},
        {"insert source shorter than its head", [&](Durad* d) { return musInsertSource(d, 0, asSource(shortSource)); }},
        {"insert source with a start taken", [&](Durad* d) { return musInsertSource(d, 0, asSource(sameStart)); }},
        {"insert source on a missing track", [&](Durad* d) { return musInsertSource(d, 2, asSource(source)); }},
        {"delete source past the last", [](Durad* d) { return musDeleteSource(d, 0, 1); }},
        {"delete source at a negative index", [](Durad* d) { return musDeleteSource(d, 0, -1); }},
        {"insert null effect", [](Durad* d) { return musInsertEffect(d, 0, nullptr); }},
        {"insert effect shorter than its head", [&](Durad* d) { return musInsertEffect(d, 0, asEffect(shortEffect)); }},
        {"insert effect on a missing track", [&](Durad* d) { return musInsertEffect(d, 2, asEffect(effectBytes(10, 20, 9))); }},
        {"delete effect past the last", [](Durad* d) { return musDeleteEffect(d, 1, 0); }},
        {"delete track that is not there", [](Durad* d) { return musDeleteTrack(d, 2); }},
        {"move track from a negative index", [](Durad* d) { return musMoveTrack(d, -1, 0); }},
        {"move track from past the end", [](Durad* d) { return musMoveTrack(d, 2, 0); }},
        {"move track onto itself", [](Durad* d) { return musMoveTrack(d, 1, 1); }},
        {"set the name of a missing track", [](Durad* d) { return musSetTrackName(d, 2, "x"); }},
        {"copy a track into no Durad", [](Durad* d) { return musCopyTrack(d, 0, nullptr, 0); }},
    };
    for (const Refusal& c : cases) {
        SCOPED_TRACE(c.name);
        MessageRecorder recorder;
        DuradPtr durad = makeDurad(recorder.handle());
        fill(durad.get());
        const Fingerprint before = fingerprint(durad.get());
        recorder.messages.clear();
        EXPECT_EQ(c.edit(durad.get()), 0);
        EXPECT_TRUE(recorder.messages.empty());
        EXPECT_EQ(fingerprint(durad.get()), before);
    }
}

TEST(Editing, EditsOfANullDuradAreRefused)
{
    EXPECT_EQ(musInsertNote(nullptr, 0, 0, 60, 1), 0);
    EXPECT_EQ(musInsertTrack(nullptr, 0, "x"), 0);
    EXPECT_EQ(musGetTrackCount(nullptr), 0);
    EXPECT_EQ(musGetTempo(nullptr, 0), nullptr);
    EXPECT_EQ(musIsChanged(nullptr), 0);
    musDeleteDurad(nullptr);
}

TEST(Editing, ChangesNotifyAsTheirKindRequires)
{
    const auto source = sourceBytes(500, 9);
    const auto effect = effectBytes(10, 20, 9);
    const struct {
        const char* name;
        std::function<int(Durad*)> edit;
        int notifications;
        bool marks = true;
    } cases[] = {
        {"insert note", [](Durad* d) { return musInsertNote(d, 0, 0, 60, 8); }, 1},
        {"delete note", [](Durad* d) { return musDeleteNote(d, 0, 64, 60); }, 1},
        {"insert clef", [](Durad* d) { return musInsertClef(d, 0, 300, 3, 4); }, 1},
        {"delete clef", [](Durad* d) { return musDeleteClef(d, 0, 128); }, 1},
        {"insert loudness", [](Durad* d) { return musInsertLoud(d, 0, 300, 5); }, 1},
        {"delete loudness", [](Durad* d) { return musDeleteLoud(d, 0, 100); }, 1},
        {"insert pan", [](Durad* d) { return musInsertPano(d, 1, 300, 5, 5, 5); }, 1},
        {"delete pan", [](Durad* d) { return musDeletePano(d, 0, 100); }, 1},
        {"insert tempo", [](Durad* d) { return musInsertTempo(d, 300, 5000); }, 1},
        {"delete tempo", [](Durad* d) { return musDeleteTempo(d, 100); }, 1},
        {"insert beat", [](Durad* d) { return musInsertBeat(d, 1000, 2, 16); }, 1},
        {"delete beat", [](Durad* d) { return musDeleteBeat(d, 256); }, 1},
        {"insert source", [&](Durad* d) { return musInsertSource(d, 0, asSource(source)); }, 1},
        {"insert effect", [&](Durad* d) { return musInsertEffect(d, 0, asEffect(effect)); }, 1},
        {"insert track", [](Durad* d) { return musInsertTrack(d, 9, "third"); }, 1},
        {"delete track", [](Durad* d) { return musDeleteTrack(d, 1); }, 1},
        {"move track", [](Durad* d) { return musMoveTrack(d, 0, 1); }, 1},
        // These leave marking to their callers.
        {"delete source", [](Durad* d) { return musDeleteSource(d, 0, 0); }, 0, false},
        {"delete effect", [](Durad* d) { return musDeleteEffect(d, 0, 0); }, 0, false},
        {"set track name", [](Durad* d) { return musSetTrackName(d, 0, "renamed"); }, 0, false},
        {"set level", [](Durad* d) { return musSetLevel(d, -100) == -100 ? 1 : 0; }, 0, false},
        {"set durad info", [](Durad* d) {
             DuradInfo info{};
             info.name = "Song";
             return musSetDuradInfo(d, &info);
         }, 0},
    };
    TempDir files;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MessageRecorder recorder;
        DuradPtr durad = makeDurad(recorder.handle());
        fill(durad.get());
        // Saving leaves the Durad unchanged, so that only the edit can mark it.
        ASSERT_EQ(musFileSave(durad.get(), files.file("saved.rwm").c_str()), 1);
        recorder.messages.clear();
        EXPECT_EQ(c.edit(durad.get()), 1);
        EXPECT_EQ(recorder.messages,
                  std::vector<Message>(static_cast<std::size_t>(c.notifications), Message{WM_MUS_CHANGED, 0, 0}));
        EXPECT_EQ(musIsChanged(durad.get()), c.marks ? 1 : 0);
    }
}

TEST(Editing, NotesAtOnePositionAreOrderedByPitch)
{
    DuradPtr durad = makeDurad();
    EXPECT_EQ(musInsertNote(durad.get(), 0, 10, 64, 8), 1);
    EXPECT_EQ(musInsertNote(durad.get(), 0, 10, 60, 8), 1);
    EXPECT_EQ(musInsertNote(durad.get(), 0, 10, 62, 8), 1);
    EXPECT_EQ(musInsertNote(durad.get(), 0, 10, 60, 9), 0);
    EXPECT_EQ(noteList(durad.get(), 0), (PointList{{10, 6000, 8, 0}, {10, 6200, 8, 0}, {10, 6400, 8, 0}}));
}

TEST(Editing, ModifyingANoteOntoAnotherKeepsTheEarlierOneAndNotifiesTwice)
{
    MessageRecorder recorder;
    DuradPtr durad = makeDurad(recorder.handle());
    ASSERT_EQ(musInsertNote(durad.get(), 0, 0, 60, 32), 1);
    ASSERT_EQ(musInsertNote(durad.get(), 0, 32, 62, 16), 1);
    recorder.messages.clear();
    EXPECT_EQ(musModifyNote(durad.get(), 0, 32, 62, 0, 60, 64), 1);
    EXPECT_EQ(noteList(durad.get(), 0), (PointList{{0, 6000, 32, 0}}));
    const auto self = reinterpret_cast<LParam>(durad.get());
    EXPECT_EQ(recorder.messages, (std::vector<Message>{{WM_MUS_CHANGED, 0, self}, {WM_MUS_CHANGED, 0, 0}}));
}

TEST(Editing, ModifyingANoteKeepsWhatIsNotGiven)
{
    DuradPtr durad = makeDurad();
    ASSERT_EQ(musInsertNote(durad.get(), 0, 0, 60, 32), 1);
    ASSERT_EQ(musInsertNote(durad.get(), 0, 64, 61, 16), 1);
    EXPECT_EQ(musModifyNote(durad.get(), 0, 0, 60, 0xFFFFFFFF, 0, 0), 1);
    EXPECT_EQ(noteList(durad.get(), 0), (PointList{{0, 6000, 32, 0}, {64, 6100, 16, 0}}));
    EXPECT_EQ(musModifyNote(durad.get(), 0, 0, 60, 96, -5, 20), 1);
    EXPECT_EQ(noteList(durad.get(), 0), (PointList{{64, 6100, 16, 0}, {96, 6000, 20, 0}}));
}

TEST(Editing, DurationsPastSixteenBitsAreHeldAtTheLargest)
{
    DuradPtr durad = makeDurad();
    ASSERT_EQ(musInsertNote(durad.get(), 0, 0, 60, 40000), 1);
    EXPECT_EQ(musGetDuradLength(durad.get()), 32767u);
    ASSERT_EQ(musModifyNote(durad.get(), 0, 0, 60, 10, 0, 50000), 1);
    EXPECT_EQ(musGetDuradLength(durad.get()), 10u + 32767u);
}

TEST(Editing, AClefEqualToTheNewOneAfterItIsRemoved)
{
    DuradPtr durad = makeDurad();
    ASSERT_EQ(musInsertClef(durad.get(), 0, 256, 1, 0), 1);
    EXPECT_EQ(musInsertClef(durad.get(), 0, 128, 1, 0), 1);
    EXPECT_EQ(clefList(durad.get(), 0), (PointList{{0, 0, 0}, {128, 1, 0}}));
}

TEST(Editing, ABeatOverAnotherReplacesItAndEqualFollowersGo)
{
    DuradPtr durad = makeDurad();
    ASSERT_EQ(musInsertBeat(durad.get(), 256, 3, 32), 1);
    ASSERT_EQ(musInsertBeat(durad.get(), 448, 2, 32), 1);
    EXPECT_EQ(musInsertBeat(durad.get(), 256, 2, 32), 1);
    EXPECT_EQ(beatList(durad.get()), (PointList{{0, 4, 32}, {256, 2, 32}}));
    EXPECT_EQ(musDeleteBeat(durad.get(), 256), 1);
    EXPECT_EQ(beatList(durad.get()), (PointList{{0, 4, 32}}));
}

TEST(Editing, DeletingABeatSnapsTheFollowingOnes)
{
    DuradPtr durad = makeDurad();
    ASSERT_EQ(musInsertBeat(durad.get(), 128, 3, 32), 1); // measures of 96 from 128
    ASSERT_EQ(musInsertBeat(durad.get(), 320, 2, 32), 1);
    EXPECT_EQ(musDeleteBeat(durad.get(), 128), 1);
    EXPECT_EQ(beatList(durad.get()), (PointList{{0, 4, 32}, {256, 2, 32}}));
}

TEST(Editing, SourcesAreKeptByStartAndEffectsAfterEqualStarts)
{
    DuradPtr durad = makeDurad();
    const auto s1 = sourceBytes(200, 1, 93);
    const auto s2 = sourceBytes(0, 2);
    ASSERT_EQ(musInsertSource(durad.get(), 0, asSource(s1)), 1);
    ASSERT_EQ(musInsertSource(durad.get(), 0, asSource(s2)), 1);
    EXPECT_EQ(sourceList(durad.get(), 0), (std::vector<std::vector<std::uint8_t>>{s2, s1}));
    const auto e1 = effectBytes(50, 10, 1);
    const auto e2 = effectBytes(50, 10, 2);
    const auto e3 = effectBytes(0, 10, 3, 144);
    for (const auto* e : {&e1, &e2, &e3})
        ASSERT_EQ(musInsertEffect(durad.get(), 0, asEffect(*e)), 1);
    EXPECT_EQ(effectList(durad.get(), 0), (std::vector<std::vector<std::uint8_t>>{e3, e1, e2}));
    EXPECT_EQ(musDeleteEffect(durad.get(), 0, 1), 1);
    EXPECT_EQ(effectList(durad.get(), 0), (std::vector<std::vector<std::uint8_t>>{e3, e2}));
}

TEST(Editing, AnEntryChangedInPlaceIsPutInOrderByMarkingItsTrack)
{
    DuradPtr durad = makeDurad();
    const auto s1 = sourceBytes(0, 1);
    const auto s2 = sourceBytes(100, 2);
    ASSERT_EQ(musInsertSource(durad.get(), 0, asSource(s1)), 1);
    ASSERT_EQ(musInsertSource(durad.get(), 0, asSource(s2)), 1);
    std::uint32_t start = 200;
    std::memcpy(reinterpret_cast<std::uint8_t*>(musGetSource(durad.get(), 0, 0)) + 8, &start, 4);
    musSetChanged(durad.get(), 0);
    EXPECT_EQ(reinterpret_cast<const std::uint8_t*>(musGetSource(durad.get(), 0, 0))[12], 2);
    EXPECT_EQ(musGetSource(durad.get(), 0, 2), nullptr);
    EXPECT_EQ(musGetSource(durad.get(), 1, 0), nullptr);
}

TEST(Editing, TheFirstTempoChangesInPlace)
{
    DuradPtr durad = makeDurad();
    EXPECT_EQ(musInsertTempo(durad.get(), 0, 1000), 0);
    musGetTempo(durad.get(), 0)->tempo = 1000;
    musSetChanged(durad.get(), -1);
    EXPECT_EQ(tempoPoints(durad.get()), (PointList{{0, 1000}}));
    EXPECT_EQ(musGetTempoNext(durad.get(), 0), nullptr);
}

TEST(Editing, NextPointsAfterTheLastAreNull)
{
    DuradPtr durad = makeDurad();
    ASSERT_EQ(musInsertLoud(durad.get(), 0, 100, -300), 1);
    EXPECT_EQ(musGetLoudNext(durad.get(), 0, 50)->loudness, -300);
    EXPECT_EQ(musGetLoudNext(durad.get(), 0, 100), nullptr);
    EXPECT_EQ(musGetLoudNext(durad.get(), 1, 0), nullptr);
    EXPECT_EQ(musGetPanoNext(durad.get(), 0, 0), nullptr);
    EXPECT_EQ(musGetLoud(durad.get(), 1, 0), nullptr);
    EXPECT_EQ(musGetClef(durad.get(), 1, 0), nullptr);
}

std::vector<std::string> trackNames(Durad* durad)
{
    std::vector<std::string> names;
    for (int i = 0; i < musGetTrackCount(durad); ++i)
        names.emplace_back(musGetTrackName(durad, i));
    return names;
}

TEST(Editing, TracksAreInsertedMovedAndDeletedByIndex)
{
    DuradPtr durad = makeDurad();
    ASSERT_EQ(musSetTrackName(durad.get(), 0, "a"), 1);
    EXPECT_EQ(musDeleteTrack(durad.get(), 0), 0) << "the only track stays";
    EXPECT_EQ(trackNames(durad.get()), (std::vector<std::string>{"a"}));
    EXPECT_EQ(musInsertTrack(durad.get(), 7, "c"), 1);
    EXPECT_EQ(musInsertTrack(durad.get(), 1, "b"), 1);
    EXPECT_EQ(musInsertTrack(durad.get(), -3, "z"), 1);
    EXPECT_EQ(trackNames(durad.get()), (std::vector<std::string>{"z", "a", "b", "c"}));
    EXPECT_EQ(musDeleteTrack(durad.get(), 0), 1);
    EXPECT_EQ(musMoveTrack(durad.get(), 0, 5), 1);
    EXPECT_EQ(trackNames(durad.get()), (std::vector<std::string>{"b", "c", "a"}));
    EXPECT_EQ(musMoveTrack(durad.get(), 2, -1), 1);
    EXPECT_EQ(trackNames(durad.get()), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(musMoveTrack(durad.get(), 0, 1), 1);
    EXPECT_EQ(trackNames(durad.get()), (std::vector<std::string>{"b", "a", "c"}));
    EXPECT_EQ(musInsertTrack(durad.get(), 0, nullptr), 1);
    EXPECT_EQ(trackNames(durad.get()).front(), "");
    EXPECT_EQ(musGetTrackName(durad.get(), 9), nullptr);
}

TEST(Editing, DuradInfoIsCopiedButTheDatesStay)
{
    MessageRecorder recorder;
    DuradPtr durad = makeDurad(recorder.handle());
    DuradInfo info{};
    ASSERT_EQ(musGetDuradInfo(durad.get(), &info), &info);
    EXPECT_EQ(info.version, 0x10000u);
    const std::string created = info.createdDate;
    EXPECT_EQ(std::string(info.modifiedDate), created);
    std::string name = "Night";
    const DuradInfo update{0, name.c_str(), "Sun Jan  1 00:00:00 2000\n", "x", "Me", "Band", "(c)", "text"};
    EXPECT_EQ(musSetDuradInfo(durad.get(), &update), 1);
    name = "changed afterwards";
    musGetDuradInfo(durad.get(), &info);
    EXPECT_STREQ(info.name, "Night");
    EXPECT_EQ(std::string(info.createdDate), created);
    EXPECT_EQ(std::string(info.modifiedDate), created);
    EXPECT_STREQ(info.author, "Me");
    EXPECT_STREQ(info.executant, "Band");
    EXPECT_STREQ(info.copyright, "(c)");
    EXPECT_STREQ(info.comment, "text");
    EXPECT_EQ(musIsChanged(durad.get()), 1);
    EXPECT_TRUE(recorder.messages.empty());
    EXPECT_EQ(musGetDuradInfo(durad.get(), nullptr), nullptr);
}

TEST(Editing, ClearLeavesTheDefaultsAndNoFileName)
{
    MessageRecorder recorder;
    DuradPtr durad = makeDurad(recorder.handle());
    fill(durad.get());
    musSetLevel(durad.get(), 300);
    recorder.messages.clear();
    musClear(durad.get());
    EXPECT_STREQ(musFileName(durad.get()), "");
    EXPECT_EQ(musGetTrackCount(durad.get()), 1);
    EXPECT_EQ(tempoPoints(durad.get()), (PointList{{0, 3840}}));
    EXPECT_EQ(beatList(durad.get()), (PointList{{0, 4, 32}}));
    EXPECT_EQ(musGetLevel(durad.get()), -500);
    EXPECT_EQ(musIsChanged(durad.get()), 1);
    EXPECT_EQ(recorder.messages, (std::vector<Message>{{WM_MUS_CHANGED, 0, 0}}));
}

TEST(Editing, LevelIsStoredInSixteenBits)
{
    DuradPtr durad = makeDurad();
    EXPECT_EQ(musGetLevel(durad.get()), -500);
    EXPECT_EQ(musSetLevel(durad.get(), -1200), -1200);
    EXPECT_EQ(musGetLevel(durad.get()), -1200);
    EXPECT_EQ(musSetLevel(durad.get(), 65536 - 3), -3);
}

} // namespace
} // namespace orlim::testing
