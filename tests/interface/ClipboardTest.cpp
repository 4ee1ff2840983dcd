#include "engine/include/DuradMessages.h"
#include "tests/interface/InterfaceHelpers.h"

#include <gtest/gtest.h>

namespace orlim::testing {
namespace {

// Looks at the clipboard before any test of the program has run.
class ClipboardAtStart : public ::testing::Environment {
public:
    void SetUp() override { wasEmpty = musGetClipboard() == nullptr; }
    bool wasEmpty = false;
};
ClipboardAtStart* const clipboardAtStart =
    static_cast<ClipboardAtStart*>(::testing::AddGlobalTestEnvironment(new ClipboardAtStart));

Selection select(int firstTrack, int lastTrack, std::uint32_t start, std::uint32_t end, int parts,
                 int topPitch = 12700, int bottomPitch = 0)
{
    return Selection{firstTrack, lastTrack, topPitch, bottomPitch, static_cast<std::int32_t>(start),
                     static_cast<std::int32_t>(end), parts};
}

TEST(Clipboard, ThereIsNoneUntilTheFirstCopyAndTheSameOneAfterwards)
{
    EXPECT_TRUE(clipboardAtStart->wasEmpty);
    DuradPtr durad = makeDurad();
    const Selection all = select(0, 0, 0, 1000, 1);
    ASSERT_EQ(musCopy(durad.get(), &all), 1);
    Durad* clipboard = musGetClipboard();
    ASSERT_NE(clipboard, nullptr);
    EXPECT_EQ(musCopy(durad.get(), &all), 1);
    EXPECT_EQ(musGetClipboard(), clipboard);
}

TEST(Clipboard, BlockDeletionKeepsTheFirstPointsAndNotifiesNothing)
{
    MessageRecorder recorder;
    DuradPtr durad = makeDurad(recorder.handle());
    ASSERT_EQ(musInsertTrack(durad.get(), 1, "second"), 1);
    for (int t = 0; t < 2; ++t) {
        for (std::uint32_t p : {100u, 1000u, 1001u}) {
            ASSERT_EQ(musInsertLoud(durad.get(), t, p, -100), 1);
            ASSERT_EQ(musInsertPano(durad.get(), t, p, 1, 2, 3), 1);
        }
    }
    ASSERT_EQ(musInsertTempo(durad.get(), 500, 1000), 1);
    recorder.messages.clear();
    const Selection block = select(0, 1, 0, 1000, 4 | 8);
    musDelete(durad.get(), &block);
    for (int t = 0; t < 2; ++t) {
        SCOPED_TRACE(t);
        EXPECT_EQ(loudPoints(durad.get(), t), (PointList{{0, 0}, {1001, -100}}));
        EXPECT_EQ(panoPoints(durad.get(), t), (PointList{{0, 0, 0, 0}, {1001, 1, 2, 3}}));
    }
    EXPECT_EQ(tempoPoints(durad.get()), (PointList{{0, 3840}, {500, 1000}}));
    EXPECT_EQ(musIsChanged(durad.get()), 1);
    EXPECT_TRUE(recorder.messages.empty());

    const Selection tempo = select(0, 0, 0, 1000, 2);
    musDelete(durad.get(), &tempo);
    EXPECT_EQ(tempoPoints(durad.get()), (PointList{{0, 3840}}));
}

TEST(Clipboard, BlockDeletionOfNotesHonoursThePitchLimitsOfTheOuterTracks)
{
    DuradPtr durad = makeDurad();
    for (int t = 0; t < 3; ++t) {
        if (t > 0) {
            ASSERT_EQ(musInsertTrack(durad.get(), t, ""), 1);
        }
        for (int pitch : {50, 60, 70})
            ASSERT_EQ(musInsertNote(durad.get(), t, 10, pitch, 5), 1);
        ASSERT_EQ(musInsertNote(durad.get(), t, 500, 60, 5), 1);
    }
    // Top 6099 cents gives pitch 60 on the first track, bottom 6050 gives 60 on the last.
    const Selection block = select(0, 2, 0, 100, 1, 6099, 6050);
    musDelete(durad.get(), &block);
    EXPECT_EQ(noteList(durad.get(), 0), (PointList{{10, 7000, 5, 0}, {500, 6000, 5, 0}}));
    EXPECT_EQ(noteList(durad.get(), 1), (PointList{{500, 6000, 5, 0}}));
    EXPECT_EQ(noteList(durad.get(), 2), (PointList{{10, 5000, 5, 0}, {500, 6000, 5, 0}}));
}

TEST(Clipboard, PanPointsArePastedAtTheirOffsetFromTheSelection)
{
    DuradPtr durad = makeDurad();
    ASSERT_EQ(musInsertPano(durad.get(), 0, 200, 10, 20, 30), 1);
    const Selection block = select(0, 0, 100, 300, 8);
    ASSERT_EQ(musCopy(durad.get(), &block), 1);
    EXPECT_EQ(musGetTrackCount(musGetClipboard()), 1);
    // The clipboard holds only the copied point, at 100; looking it up through the
    // lookups would give it a default first point, so only the paste shows it.
    musPaste(durad.get(), 0, 1000, 8);
    EXPECT_EQ(panoPoints(durad.get(), 0), (PointList{{0, 0, 0, 0}, {200, 10, 20, 30}, {1100, 10, 20, 30}}));
}

TEST(Clipboard, PastingCreatesMissingTracksAndReplacesPoints)
{
    DuradPtr durad = makeDurad();
    ASSERT_EQ(musInsertTrack(durad.get(), 1, "second"), 1);
    ASSERT_EQ(musInsertLoud(durad.get(), 0, 64, -100), 1);
    ASSERT_EQ(musInsertLoud(durad.get(), 1, 64, -200), 1);
    const Selection block = select(0, 1, 64, 64, 4);
    ASSERT_EQ(musCopy(durad.get(), &block), 1);
    ASSERT_EQ(musInsertLoud(durad.get(), 1, 300, -900), 1);
    musPaste(durad.get(), 1, 300, 4);
    EXPECT_EQ(musGetTrackCount(durad.get()), 3);
    EXPECT_EQ(loudPoints(durad.get(), 1), (PointList{{0, 0}, {64, -200}, {300, -100}}));
    EXPECT_EQ(loudPoints(durad.get(), 2), (PointList{{0, 0}, {300, -200}}));
    EXPECT_STREQ(musGetTrackName(durad.get(), 2), "");
}

TEST(Clipboard, PastingANoteReplacesTheNoteAtItsPlace)
{
    MessageRecorder recorder;
    DuradPtr durad = makeDurad(recorder.handle());
    ASSERT_EQ(musInsertNote(durad.get(), 0, 100, 60, 64), 1);
    ASSERT_EQ(musInsertNote(durad.get(), 0, 500, 60, 8), 1);
    const Selection block = select(0, 0, 100, 100, 1);
    ASSERT_EQ(musCopy(durad.get(), &block), 1);
    recorder.messages.clear();
    musPaste(durad.get(), 0, 500, 1);
    EXPECT_EQ(noteList(durad.get(), 0), (PointList{{100, 6000, 28, 4}, {128, 6000, 36, 2}, {500, 6000, 12, 4},
                                                   {512, 6000, 52, 2}}));
    EXPECT_EQ(recorder.messages, (std::vector<Message>(2, {WM_MUS_CHANGED, 0, 0})))
        << "one for the deletion, one for the insertion";
}

TEST(Clipboard, CopyingTempoCopiesOnlyTempo)
{
    DuradPtr durad = makeDurad();
    ASSERT_EQ(musInsertTempo(durad.get(), 200, 2000), 1);
    ASSERT_EQ(musInsertTempo(durad.get(), 250, 3000), 1);
    ASSERT_EQ(musInsertNote(durad.get(), 0, 200, 60, 8), 1);
    const Selection block = select(0, 0, 100, 300, 1 | 2);
    ASSERT_EQ(musCopy(durad.get(), &block), 1);
    EXPECT_EQ(musGetTrackCount(musGetClipboard()), 0);

    musPaste(durad.get(), 0, 1000, 1 | 2);
    EXPECT_EQ(tempoPoints(durad.get()), (PointList{{0, 3840}, {200, 2000}, {250, 3000}, {1100, 2000}, {1150, 3000}}));
    EXPECT_EQ(noteList(durad.get(), 0), (PointList{{200, 6000, 8, 0}}));
}

TEST(Clipboard, CopyingFromAMissingTrackStopsWithZero)
{
    DuradPtr durad = makeDurad();
    ASSERT_EQ(musInsertNote(durad.get(), 0, 0, 60, 8), 1);
    const Selection block = select(0, 3, 0, 100, 1);
    EXPECT_EQ(musCopy(durad.get(), &block), 0);
    Durad* clipboard = musGetClipboard();
    ASSERT_EQ(musGetTrackCount(clipboard), 1);
    EXPECT_EQ(noteList(clipboard, 0), (PointList{{0, 6000, 8, 0}}));
}

TEST(Clipboard, TheClipboardCanBeCopiedAndPastedOntoItself)
{
    DuradPtr durad = makeDurad();
    ASSERT_EQ(musInsertNote(durad.get(), 0, 10, 60, 8), 1);
    const Selection block = select(0, 0, 0, 100, 1);
    ASSERT_EQ(musCopy(durad.get(), &block), 1);
    Durad* clipboard = musGetClipboard();
    const Selection again = select(0, 0, 5, 100, 1);
    ASSERT_EQ(musCopy(clipboard, &again), 1);
    EXPECT_EQ(noteList(clipboard, 0), (PointList{{5, 6000, 8, 0}}));
    musPaste(clipboard, 0, 1, 1);
    EXPECT_EQ(noteList(clipboard, 0), (PointList{{5, 6000, 8, 0}, {6, 6000, 8, 0}}));
}

// A Durad with one of everything on its second track.
DuradPtr richSource()
{
    DuradPtr durad = makeDurad();
    musInsertTrack(durad.get(), 1, "source");
    musSetLevel(durad.get(), -300);
    musInsertTempo(durad.get(), 128, 7680);
    musInsertNote(durad.get(), 1, 0, 60, 200);
    musInsertNote(durad.get(), 1, 32, 64, 16);
    musInsertLoud(durad.get(), 1, 64, -1000);
    musInsertPano(durad.get(), 1, 64, 5, 6, 7);
    musInsertClef(durad.get(), 1, 64, 1, 3);
    const auto source = sourceBytes(0, 1, 93);
    const auto effect = effectBytes(0, 64, 2, 144);
    musInsertSource(durad.get(), 1, asSource(source));
    musInsertEffect(durad.get(), 1, asEffect(effect));
    musGetLoud(durad.get(), 1, 0)->loudness = -50;
    return durad;
}

TEST(Clipboard, CopyingATrackIntoAFreshDuradTakesItsSoundAndLeavesTheSource)
{
    DuradPtr source = richSource();
    const Fingerprint before = fingerprint(source.get());
    DuradPtr preview = makeDurad();
    EXPECT_EQ(musCopyTrack(source.get(), 1, preview.get(), 0), 1);
    EXPECT_EQ(fingerprint(source.get()), before);
    EXPECT_EQ(musGetLevel(preview.get()), -300);
    EXPECT_EQ(tempoPoints(preview.get()), tempoPoints(source.get()));
    EXPECT_EQ(noteList(preview.get(), 0), noteList(source.get(), 1));
    EXPECT_EQ(loudPoints(preview.get(), 0), (PointList{{0, -50}, {64, -1000}}));
    EXPECT_EQ(panoPoints(preview.get(), 0), panoPoints(source.get(), 1));
    EXPECT_EQ(sourceList(preview.get(), 0), sourceList(source.get(), 1));
    EXPECT_EQ(effectList(preview.get(), 0), effectList(source.get(), 1));
    EXPECT_EQ(clefList(preview.get(), 0), (PointList{{0, 0, 0}})) << "clefs are not copied";
    EXPECT_STREQ(musGetTrackName(preview.get(), 0), "");
}

TEST(Clipboard, CopyingATrackReplacesWhatTheTargetTrackHeld)
{
    DuradPtr source = richSource();
    DuradPtr target = makeDurad();
    musInsertNote(target.get(), 0, 500, 40, 5);
    musInsertLoud(target.get(), 0, 900, -1);
    const auto other = sourceBytes(64, 7);
    musInsertSource(target.get(), 0, asSource(other));
    musInsertTempo(target.get(), 50, 100);
    EXPECT_EQ(musCopyTrack(source.get(), 1, target.get(), 0), 1);
    EXPECT_EQ(noteList(target.get(), 0), noteList(source.get(), 1));
    EXPECT_EQ(loudPoints(target.get(), 0), loudPoints(source.get(), 1));
    EXPECT_EQ(sourceList(target.get(), 0), sourceList(source.get(), 1));
    EXPECT_EQ(tempoPoints(target.get()), tempoPoints(source.get()));
}

TEST(Clipboard, CopyingAMissingTrackStillCopiesTempoAndLevel)
{
    DuradPtr source = richSource();
    DuradPtr target = makeDurad();
    EXPECT_EQ(musCopyTrack(source.get(), 2, target.get(), 0), 0);
    EXPECT_EQ(musGetLevel(target.get()), -300);
    EXPECT_EQ(tempoPoints(target.get()), tempoPoints(source.get()));
    EXPECT_EQ(musCopyTrack(source.get(), 1, target.get(), 1), 0);
}

TEST(Clipboard, CopyingATrackWithinOneDuradReadsTheOriginal)
{
    DuradPtr durad = richSource();
    const PointList notes = noteList(durad.get(), 1);
    EXPECT_EQ(musCopyTrack(durad.get(), 1, durad.get(), 0), 1);
    EXPECT_EQ(noteList(durad.get(), 0), notes);
    EXPECT_EQ(musCopyTrack(durad.get(), 1, durad.get(), 1), 1);
    EXPECT_EQ(noteList(durad.get(), 1), notes);
    EXPECT_EQ(sourceList(durad.get(), 1).size(), 1u);
    EXPECT_EQ(tempoPoints(durad.get()), (PointList{{0, 3840}, {128, 7680}}));
}

TEST(Clipboard, CopyingATrackOutOfTheClipboardKeepsEntriesAtZero)
{
    // The clipboard's lists start where the copied block starts.
    DuradPtr durad = makeDurad();
    ASSERT_EQ(musInsertLoud(durad.get(), 0, 200, -700), 1);
    ASSERT_EQ(musInsertPano(durad.get(), 0, 200, 10, 20, 30), 1);
    ASSERT_EQ(musInsertTempo(durad.get(), 200, 5000), 1);
    DuradPtr target = makeDurad();
    const Selection curves = select(0, 0, 100, 300, 4 | 8);
    ASSERT_EQ(musCopy(durad.get(), &curves), 1);
    EXPECT_EQ(musCopyTrack(musGetClipboard(), 0, target.get(), 0), 1);
    EXPECT_EQ(loudPoints(target.get(), 0), (PointList{{0, 0}, {100, -700}}));
    EXPECT_EQ(panoPoints(target.get(), 0), (PointList{{0, 0, 0, 0}, {100, 10, 20, 30}}));
    const Selection tempo = select(0, 0, 100, 300, 2);
    ASSERT_EQ(musCopy(durad.get(), &tempo), 1);
    EXPECT_EQ(musCopyTrack(musGetClipboard(), 0, target.get(), 0), 0) << "the clipboard holds no track now";
    EXPECT_EQ(tempoPoints(target.get()), (PointList{{0, 3840}, {100, 5000}}));
}

TEST(Clipboard, CopyingIntoTheClipboardGivesItATrack)
{
    DuradPtr source = richSource();
    const Selection tempo = select(0, 0, 0, 10, 2);
    ASSERT_EQ(musCopy(source.get(), &tempo), 1);
    Durad* clipboard = musGetClipboard();
    ASSERT_EQ(musGetTrackCount(clipboard), 0);
    EXPECT_EQ(musCopyTrack(source.get(), 1, clipboard, 0), 1);
    EXPECT_EQ(musGetTrackCount(clipboard), 1);
}

} // namespace
} // namespace orlim::testing
