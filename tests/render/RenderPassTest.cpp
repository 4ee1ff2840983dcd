// The render pass: the walk over the range, the requests to the sources, the
// flushes, the jitter and the error reports.
#include <algorithm>
#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "engine/model/Timeline.h"
#include "platform/MessageBox.h"
#include "tests/render/RenderFixture.h"

namespace orlim::testing {
namespace {

// Frames from 0 on that are silent on every channel.
std::size_t leadingSilence(const std::vector<unsigned char>& bytes, unsigned align)
{
    std::size_t frame = 0;
    while ((frame + 1) * align <= bytes.size() &&
           std::all_of(bytes.begin() + static_cast<std::ptrdiff_t>(frame * align),
                       bytes.begin() + static_cast<std::ptrdiff_t>((frame + 1) * align), [](unsigned char b) { return b == 0; }))
        ++frame;
    return frame;
}

class RenderPassTest : public RenderFixture {};

TEST_F(RenderPassTest, AMusicWithoutNotesGivesTheSilenceOfItsFirstTick)
{
    const std::vector<unsigned char> bytes = render(0, 0);
    // The first tick lasts 15.625 ms at the default tempo: 15 ms of 44.1 kHz stereo.
    EXPECT_EQ(bytes.size(), std::size_t{661} * 4);
    EXPECT_TRUE(std::all_of(bytes.begin(), bytes.end(), [](unsigned char b) { return b == 0; }));
    EXPECT_EQ(renderedBytes, static_cast<std::int64_t>(bytes.size()));
}

TEST_F(RenderPassTest, APassWhoseStartIsItsEndRendersTheNotesOfThatTickAndTheirWholeRelease)
{
    addSource(0, testSource(0));
    addNote(0, 10, 60, 32); // 500 ms
    addNote(0, 11, 60, 32); // starts after the range
    const std::vector<unsigned char> bytes = render(10, 10);
    ASSERT_EQ(requests().size(), 1u);
    EXPECT_EQ(requests()[0].totalSamples, 22050u);
    // The source gives noteOff = 22050: the mix buffer grows for twice that from the
    // note's jittered start, and the final flush writes all of it.
    EXPECT_EQ(bytes.size(), std::size_t{4} * (6 + 2 * 22050));
    EXPECT_TRUE(errors.empty());
}

TEST_F(RenderPassTest, TheFirstTwoNotesOfAProcessStartSixThenTwelveSamplesLate)
{
    request.format = pcmFormat(1, 10000);
    SampleRequest answer = plainAnswer();
    answer.startOffset = 100;
    addSource(0, testSource(0, TestSource::Constant, 10000, answer));
    addNote(0, 0, 60, 16);
    addTrack();
    addSource(1, testSource(0, TestSource::Constant, 10000, answer));
    addNote(1, 64, 60, 16); // 1000 ms
    const std::vector<unsigned char> first = render(0, 0);
    EXPECT_EQ(leadingSilence(first, 2), 6u);

    const std::vector<unsigned char> both = render(0, 64);
    // The sequence goes on across passes: the next two notes are 12 and 18 samples late.
    EXPECT_EQ(leadingSilence(both, 2), 12u);
    ASSERT_GT(both.size(), std::size_t{2} * 10050);
    std::size_t frame = 10000;
    while (sample16(both, frame, 0, 1) == sample16(both, frame - 1, 0, 1) && frame < 10100)
        ++frame;
    EXPECT_EQ(frame, 10000u + 18u);
}

TEST_F(RenderPassTest, ResettingTheSharedStateStartsTheJitterSequenceAgain)
{
    request.format = pcmFormat(1, 10000);
    SampleRequest answer = plainAnswer();
    answer.startOffset = 100;
    addSource(0, testSource(0, TestSource::Constant, 10000, answer));
    addNote(0, 0, 60, 16);
    EXPECT_EQ(leadingSilence(render(0, 0), 2), 6u);
    EXPECT_EQ(leadingSilence(render(0, 0), 2), 12u);
    resetRenderState();
    EXPECT_EQ(leadingSilence(render(0, 0), 2), 6u);
}

TEST_F(RenderPassTest, ATrackWithoutSourceIsReportedAndStaysSilent)
{
    addTrack();
    addNote(1, 0, 60, 32);
    const std::vector<unsigned char> bytes = render(0, 0);
    EXPECT_EQ(errors, std::vector<std::string>{"The Track-2 has not defined a source!"});
    EXPECT_TRUE(std::all_of(bytes.begin(), bytes.end(), [](unsigned char b) { return b == 0; }));
    EXPECT_TRUE(requests().empty());
}

TEST_F(RenderPassTest, AMutedTrackIsNeitherRequestedNorReported)
{
    addSource(0, testSource(0));
    addNote(0, 0, 60, 32);
    addTrack();
    addNote(1, 0, 62, 32); // no source: reported unless muted
    const struct {
        std::uint8_t mask[2];
        std::size_t requested;
        std::size_t reported;
    } cases[] = {{{255, 255}, 0, 0}, {{0, 255}, 1, 0}, {{255, 0}, 0, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << int{c.mask[0]} << " " << int{c.mask[1]});
        forgetRequests();
        errors.clear();
        request.muteMask = c.mask;
        render(0, 4);
        EXPECT_EQ(requests().size(), c.requested);
        EXPECT_EQ(errors.size(), c.reported);
    }
}

TEST_F(RenderPassTest, NotesOfOneTickAreRequestedInAscendingPitchWithTheSameSource)
{
    addSource(0, testSource(0));
    addNote(0, 0, 67, 32);
    addNote(0, 0, 60, 32);
    addNote(0, 0, 64, 32);
    render(0, 0);
    const std::vector<SampleRequest> all = requests();
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[0].pitch, 6000);
    EXPECT_EQ(all[1].pitch, 6400);
    EXPECT_EQ(all[2].pitch, 6700);
}

TEST_F(RenderPassTest, TheRequestCarriesTheNoteAndTheOutputFormat)
{
    addSource(0, testSource(0));
    insertLoud(*music, 0, 64, -1000);
    Note& note = addNote(0, 32, 61, 32);
    note.tune = -7;
    note.loudness = 300;
    note.string = 3;
    note.legato = 500;
    request.format = pcmFormat(1, 22050, 24);
    render(32, 32);
    ASSERT_EQ(requests().size(), 1u);
    const SampleRequest r = requests()[0];
    EXPECT_EQ(r.pitch, 6093);
    // Half way from 0 to -1000 mB, plus the note's own loudness.
    EXPECT_EQ(r.loudness, -500 + 300);
    EXPECT_EQ(r.string, 3);
    EXPECT_EQ(r.outBytes, 3);
    EXPECT_EQ(r.outRate, 22050u);
    // 500 ms at legato 500 per mille.
    EXPECT_EQ(r.totalSamples, 5512u);
}

TEST_F(RenderPassTest, ANoteOfLegatoZeroIsRequestedWithNoSamples)
{
    addSource(0, testSource(0));
    addNote(0, 0, 60, 32).legato = 0;
    render(0, 0);
    ASSERT_EQ(requests().size(), 1u);
    EXPECT_EQ(requests()[0].totalSamples, 0u);
}

TEST_F(RenderPassTest, AFailingSourceIsReportedWithItsFileNameAndText)
{
    addSource(0, testSource(0));
    addNote(0, 0, 60, 32).pitch = -1;
    addTrack();
    addSource(1, testSource(0, TestSource::Constant, 1000, plainAnswer(), TestSource::kNoteOffAtLength, 0, 100,
                            "nullerror.dll"));
    addNote(1, 0, 60, 32);
    addNote(1, 1, 60, 32);
    render(0, 1);
    EXPECT_EQ(errors, (std::vector<std::string>{"Track-1(testsource.dll):Test source failed.",
                                                "Track-2(nullerror.dll):", "Track-2(nullerror.dll):"}));
}

TEST_F(RenderPassTest, WithStopOnErrorTheFirstErrorIsShownAndEndsThePass)
{
    MessageBoxRecorder boxes;
    addTrack();
    addNote(1, 0, 60, 32);
    addNote(1, 64, 60, 32);
    request.flags = kPlayStopOnError;
    const std::vector<unsigned char> bytes = render(0, 200);
    EXPECT_EQ(boxes.texts(), std::vector<std::string>{"The Track-2 has not defined a source!"});
    EXPECT_TRUE(errors.empty());
    EXPECT_FALSE(stopped) << "the pass ends on its own, the consumer's stop word stays clear";
    EXPECT_EQ(playedBytes, 0);
    // Ended at tick 0: the final flush covers the first tick.
    EXPECT_EQ(bytes.size(), std::size_t{661} * 4);
}

TEST_F(RenderPassTest, FlushesFollowTheTempoCurve)
{
    insertTempo(*music, 32, 7680);
    const std::vector<unsigned char> bytes = render(0, 127);
    // Ends at the time of tick 128; every flush rounds down to whole samples.
    std::uint64_t expected = 0;
    std::int64_t flushed = 0;
    for (std::uint32_t o = 0; o <= 128; ++o) {
        const std::int64_t t = timeOfPosition(*music, o, 0);
        if (t - flushed > 80 || o == 128) {
            expected += static_cast<std::uint64_t>((t - flushed) * 44100 / 1000) * 4;
            flushed = t;
        }
    }
    EXPECT_EQ(bytes.size(), expected);
}

TEST_F(RenderPassTest, APassEndingAtTheLastPositionThereIsEnds)
{
    const std::uint32_t last = 0xFFFFFFFF;
    const std::vector<unsigned char> bytes = render(last - 2, last);
    // The final flush reaches the time of the tick after the last position.
    const std::int64_t from = timeOfPosition(*music, last - 2, 0);
    const std::int64_t to = timeOfPosition(*music, last, 240);
    EXPECT_EQ(bytes.size(), static_cast<std::size_t>((to - from) * 44100 / 1000 * 4));
}

TEST_F(RenderPassTest, AFormatWhoseFramesCannotHoldTheirSamplesRendersNothing)
{
    addSource(0, testSource(0));
    addNote(0, 0, 60, 32);
    const WaveFormat bad[] = {pcmFormat(0, 44100), pcmFormat(2, 0), pcmFormat(2, 44100, 4), pcmFormat(2, 44100, 40)};
    for (WaveFormat format : bad) {
        request.format = format;
        EXPECT_TRUE(render(0, 10).empty());
    }
    WaveFormat narrow = pcmFormat(2, 44100);
    narrow.blockAlign = 3;
    request.format = narrow;
    EXPECT_TRUE(render(0, 10).empty());
    EXPECT_TRUE(requests().empty());
}

} // namespace
} // namespace orlim::testing
