#include "tests/playback/PlaybackFixture.h"

#include "engine/render/RenderState.h"
#include "engine/render/SaveWave.h"
#include "platform/UiRequests.h"
#include "plugin-api/Entries.h"
#include "tests/playback/RenderBytes.h"
#include "tests/render/TestPluginRecords.h"
#include "tests/support/ScopedEnvironment.h"

#include <thread>

namespace orlim::testing {
namespace {

TEST_F(PlaybackTest, PositionsAdvanceIn200MsStepsFromTheStartsTime)
{
    addNote(0, 60, 2 * kTicksPerSecond);
    request.start = kTicksPerSecond / 2; // 500 ms
    ASSERT_TRUE(playback().play(request));
    pumpUntilPlayEnd();
    const std::vector<std::int64_t> times = window.positions();
    ASSERT_GE(times.size(), 5u);
    EXPECT_EQ(times.front(), 500);
    // The buffers that come back with the end repeat the last time.
    std::size_t last = times.size() - 1;
    while (last > 0 && times[last - 1] == times.back())
        --last;
    EXPECT_GE(times.size() - last, 2u);
    for (std::size_t i = 1; i <= last; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(times[i] - times[i - 1], 200);
    }
    EXPECT_EQ(window.playEnds(), 1);
    EXPECT_TRUE(boxes.texts().empty());
}

TEST_F(PlaybackTest, APieceShorterThanTwoBuffersStillEnds)
{
    addNote(0, 60, 16); // 250 ms
    ASSERT_TRUE(playback().play(request));
    EXPECT_TRUE(playback().isPlaying());
    pumpUntilPlayEnd();
    EXPECT_FALSE(playback().isPlaying());
    EXPECT_EQ(window.playEnds(), 1);
    EXPECT_TRUE(streamFiles().empty()) << "the stream's file goes with the playback";
}

TEST_F(PlaybackTest, AnEndBeyondTheMusicIsClampedAndWrittenBack)
{
    addNote(0, 60, 100);
    request.end = 100000;
    ASSERT_TRUE(playback().play(request));
    EXPECT_EQ(request.end, 100u);
    playback().endPlay();
}

TEST_F(PlaybackTest, AStartAtTheMusicsLengthPlaysNothing)
{
    addNote(0, 60, 100);
    const struct {
        const char* what;
        std::uint32_t start;
        std::uint32_t end;
    } cases[] = {
        {"start at the length", 100, 100},
        {"start past the length", 200, 300},
        {"end before the start", 50, 20},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        request.start = c.start;
        request.end = c.end;
        EXPECT_FALSE(playback().play(request));
        EXPECT_FALSE(playback().isPlaying());
    }
    pumpFor(std::chrono::milliseconds(20));
    EXPECT_TRUE(window.messages.empty());
    EXPECT_TRUE(boxes.texts().empty());
    EXPECT_TRUE(streamFiles().empty());
}

TEST_F(PlaybackTest, EndPlayMidPieceStopsAndPostsTheEndOnce)
{
    addNote(0, 60, 10 * kTicksPerSecond);
    ASSERT_TRUE(playback().play(request));
    while (window.positions().empty())
        window.queue().waitAndPump(5);
    playback().endPlay();
    EXPECT_FALSE(playback().isPlaying());
    // The timer is gone with the device: nothing more comes, however long we wait.
    pumpFor(std::chrono::milliseconds(1100));
    EXPECT_EQ(window.playEnds(), 1);
    EXPECT_EQ(window.messages.back().msg, WM_MUS_PLAYEND);
    EXPECT_LT(window.positions().size(), 10u);
    EXPECT_TRUE(boxes.texts().empty());
    EXPECT_TRUE(streamFiles().empty());
}

TEST_F(PlaybackTest, EndPlayWithNothingPlayingDoesNothing)
{
    playback().endPlay();
    pumpFor(std::chrono::milliseconds(10));
    EXPECT_TRUE(window.messages.empty());
}

TEST_F(PlaybackTest, ASecondPlayEndsTheFirst)
{
    addNote(0, 60, 10 * kTicksPerSecond);
    ASSERT_TRUE(playback().play(request));
    RecordingWindow second;
    PlayRequest other = request;
    other.notifyWindow = second.handle();
    ASSERT_TRUE(playback().play(other));
    EXPECT_TRUE(playback().isPlaying());
    window.queue().pump();
    EXPECT_EQ(window.playEnds(), 1);
    playback().endPlay();
    second.queue().pump();
    EXPECT_EQ(second.playEnds(), 1);
    EXPECT_EQ(window.playEnds(), 1);
}

TEST_F(PlaybackTest, APassThatStopsItselfDrainsAndEndsWithoutEndPlay)
{
    // A failing effect under StopOnError ends the render pass at its first note.
    addNote(0, 60, 16);
    std::vector<std::uint8_t> effect(TestEffect::recordLength, 0);
    writeField<std::uint16_t>(effect.data(), 0, static_cast<std::uint16_t>(effect.size()));
    writeField<std::uint32_t>(effect.data(), EffectEntryOffset::ticks, 100);
    setNameField(effect.data(), EffectEntryOffset::fileName, "testeffect.dll");
    effect[TestEffect::mode] = TestEffect::Fail;
    ASSERT_EQ(insertEffect(*music, 0, effect.data()), 1);
    request.flags = kPlayStopOnError;
    ASSERT_TRUE(playback().play(request));
    pumpUntilPlayEnd();
    EXPECT_FALSE(playback().isPlaying());
    EXPECT_EQ(window.playEnds(), 1);
    EXPECT_EQ(boxes.texts(), std::vector<std::string>{"testeffect.dll:Test effect failed."});
}

TEST_F(PlaybackTest, ADeviceOrStreamThatCannotBeMadeIsReported)
{
    addNote(0, 60, 100);
    {
        SCOPED_TRACE("no such device");
        ScopedEnvironment device("ORLIM_WAVE_OUT", "speaker");
        EXPECT_FALSE(playback().play(request));
    }
    {
        SCOPED_TRACE("a stream folder that cannot be made");
        writeFile(temp.file("blocked"), "a file where the folder would go");
        SettingsProfile("Orlim").writeString("Player", "TempPath", temp.file("blocked"));
        EXPECT_FALSE(playback().play(request));
    }
    EXPECT_FALSE(playback().isPlaying());
    EXPECT_EQ(boxes.texts(), (std::vector<std::string>{"Can't open wave device", "Can't open wave device"}));
    EXPECT_TRUE(streamFiles().empty());
    pumpFor(std::chrono::milliseconds(10));
    EXPECT_TRUE(window.messages.empty());
}

TEST_F(PlaybackTest, EndPlayServesTheUserInterfaceWhileItWaitsForTheRenderPass)
{
    addNote(0, kGatedPitch, 10 * kTicksPerSecond);
    SourceGate gate;
    gate.close();
    ASSERT_TRUE(playback().play(request));
    while (!gate.holding())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    // The render thread waits at the gate as it would for a message box on this
    // thread: only a wait that serves such requests gets past it.
    int served = 0;
    const UiRequestServer previous = setUiRequestServer([&] {
        ++served;
        gate.open();
    });
    playback().endPlay();
    setUiRequestServer(previous);
    EXPECT_GT(served, 0);
    EXPECT_FALSE(playback().isPlaying());
    window.queue().pump();
    EXPECT_EQ(window.playEnds(), 1);
}

// What the file device wrote for one playback, without its 46-byte header.
std::string playedThroughFile(const std::string& path)
{
    const std::string file = readFile(path);
    EXPECT_GE(file.size(), 46u);
    return file.size() >= 46 ? file.substr(46) : std::string();
}

// The data chunk of a wave file as the saver writes it.
std::string waveData(const std::string& file)
{
    if (file.size() < 46)
        return {};
    std::uint32_t size = 0;
    std::memcpy(&size, file.data() + 42, 4);
    return file.substr(46, size);
}

bool allZero(const std::string& bytes, std::size_t from, std::size_t count)
{
    return from + count <= bytes.size() &&
           bytes.find_first_not_of('\0', from) >= from + count;
}

TEST_F(PlaybackTest, PlayingThroughAFileGivesTheBytesOfSaving)
{
    addNote(0, 60, kTicksPerSecond);
    addNote(kTicksPerSecond / 2, 64, kTicksPerSecond);
    const std::string path = temp.file("played.wav");
    {
        ScopedEnvironment device("ORLIM_WAVE_OUT", "file:" + path);
        resetRenderState();
        ASSERT_TRUE(playback().play(request));
        pumpUntilPlayEnd();
    }
    const std::string played = playedThroughFile(path);
    const std::string saved = temp.file("saved.wav");
    resetRenderState();
    ASSERT_TRUE(saveWave(saved, request));
    const std::string rendered = waveData(readFile(saved));
    ASSERT_FALSE(rendered.empty());
    ASSERT_NE(rendered.find_first_not_of('\0'), std::string::npos);
    // Two buffers of silence lead in; the last buffers are filled up with silence.
    const std::size_t buffer = 8000 / 5 * 2;
    EXPECT_TRUE(allZero(played, 0, 2 * buffer));
    ASSERT_GE(played.size(), 2 * buffer + rendered.size());
    EXPECT_TRUE(played.compare(2 * buffer, rendered.size(), rendered) == 0);
    EXPECT_TRUE(allZero(played, 2 * buffer + rendered.size(), played.size() - 2 * buffer - rendered.size()));
    EXPECT_EQ(played.size() % buffer, 0u);
}

TEST_F(PlaybackTest, AnUnderrunPlaysNineBuffersOfSilenceThenGoesOnWhereItStopped)
{
    // The renderer is held at the second note, one second in, until the device has
    // played everything before it.
    addNote(0, 60, 2 * kTicksPerSecond);
    addNote(kTicksPerSecond, kGatedPitch, kTicksPerSecond / 2);
    const std::string path = temp.file("played.wav");
    {
        ScopedEnvironment device("ORLIM_WAVE_OUT", "file:" + path);
        SourceGate gate;
        gate.close();
        resetRenderState();
        ASSERT_TRUE(playback().play(request));
        while (playback().underrunCountdown() == 0)
            window.queue().waitAndPump(5);
        EXPECT_EQ(playback().underrunCountdown(), Playback::kUnderrunBuffers);
        gate.open();
        pumpUntilPlayEnd();
    }
    const std::string played = playedThroughFile(path);
    const std::string rendered = renderBytes(request);
    const std::size_t buffer = 8000 / 5 * 2;
    ASSERT_NE(rendered.find_first_not_of('\0'), std::string::npos);
    // After the two leading buffers, whole buffers of what was rendered before the
    // held note; then nine buffers of silence; then the rest from where it stopped.
    EXPECT_TRUE(allZero(played, 0, 2 * buffer));
    std::size_t before = 0;
    for (std::size_t p = buffer; p < rendered.size() && before == 0; p += buffer) {
        const std::size_t rest = 11 * buffer + p;
        if (played.size() >= rest + rendered.size() - p &&
            played.compare(2 * buffer, p, rendered, 0, p) == 0 && allZero(played, 2 * buffer + p, 9 * buffer) &&
            played.compare(rest, rendered.size() - p, rendered, p) == 0)
            before = p;
    }
    ASSERT_GT(before, 0u) << "no run of nine silent buffers splits the rendered bytes";
    // Not more than what the renderer had written when it was held, one second in.
    EXPECT_LE(before, 5 * buffer);
    // No time is reported for the silence: the positions go on in steps of 200 ms.
    const std::vector<std::int64_t> times = window.positions();
    for (std::size_t i = 1; i < times.size() && times[i] != times[i - 1]; ++i)
        EXPECT_EQ(times[i] - times[i - 1], 200);
}

} // namespace
} // namespace orlim::testing
