#include "engine/render/SaveWave.h"

#include <cstring>
#include <functional>

#include "engine/model/Timeline.h"
#include "engine/render/RenderState.h"
#include "platform/FileIO.h"
#include "platform/SaveWaveProgress.h"
#include "platform/UiRequests.h"
#include "tests/playback/PlaybackFixture.h"
#include "tests/playback/RenderBytes.h"
#include "tests/support/ScopedFileSizeLimit.h"

namespace orlim::testing {
namespace {

// A progress display that keeps what it was shown. `onPosition` runs at every tick.
struct ProgressLog {
    std::string path;
    std::uint64_t maximum = 0;
    bool opened = false;
    bool closed = false;
    std::vector<std::pair<std::uint64_t, std::string>> positions;
    bool cancel = false;
    std::function<void()> onPosition;
};

class RecordingProgress final : public SaveWaveProgress {
public:
    explicit RecordingProgress(ProgressLog& log) : log_(log) {}
    void open(const std::string& path, std::uint64_t maximum) override
    {
        log_.opened = true;
        log_.path = path;
        log_.maximum = maximum;
    }
    void position(std::uint64_t bytes, const std::string& percentText) override
    {
        log_.positions.emplace_back(bytes, percentText);
        if (log_.onPosition)
            log_.onPosition();
    }
    void idle(int milliseconds) override
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }
    bool cancelled() override { return log_.cancel; }
    void close() override { log_.closed = true; }

private:
    ProgressLog& log_;
};

// The data chunk of a wave file as the saver writes it.
std::string waveData(const std::string& file)
{
    if (file.size() < 46)
        return {};
    std::uint32_t size = 0;
    std::memcpy(&size, file.data() + 42, 4);
    return file.substr(46, size);
}

std::string le32(std::uint32_t value)
{
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<char>(value >> (8 * i));
    return bytes;
}

// The wave file the saver writes for `pcm` in `format`.
std::string waveFile(const WaveFormat& format, const std::string& pcm)
{
    std::string fmt(sizeof format, '\0');
    std::memcpy(fmt.data(), &format, sizeof format);
    const std::uint32_t n = static_cast<std::uint32_t>(pcm.size());
    const std::string pad(n & 1, '\0');
    return "RIFF" + le32(4 + 26 + 8 + n + (n & 1)) + "WAVE" + "fmt " + le32(18) + fmt + "data" + le32(n) +
           pcm + pad;
}

class SaveWaveTest : public PlaybackTest {
protected:
    SaveWaveTest()
    {
        previous_ = setSaveWaveProgressFactory([this] { return std::make_unique<RecordingProgress>(progress); });
    }
    ~SaveWaveTest() override
    {
        setSaveWaveProgressFactory(std::move(previous_));
        FileWriter::failAfterBytes(std::nullopt);
    }

    ProgressLog progress;
    std::string path = temp.file("saved.wav");

private:
    SaveWaveProgressFactory previous_;
};

TEST_F(SaveWaveTest, TheFileHoldsTheFormatBlockAndThePcmOfTheRenderPass)
{
    const struct {
        const char* what;
        WaveFormat format;
    } cases[] = {
        {"16-bit stereo", format(11025, 2, 16)},
        {"8-bit mono, an odd count of bytes", format(8000, 1, 8)},
    };
    addNote(0, 60, 40);
    addNote(20, 64, 30);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        request.format = c.format;
        request.start = 10;
        request.end = 20;
        resetRenderState();
        ASSERT_TRUE(saveWave(path, request));
        EXPECT_EQ(request.start, 0u) << "the whole music is saved";
        EXPECT_EQ(request.end, 50u);
        const std::string pcm = renderBytes(request);
        ASSERT_NE(pcm.find_first_not_of('\0'), std::string::npos) << "the notes sound";
        EXPECT_TRUE(readFile(path) == waveFile(c.format, pcm));
        EXPECT_TRUE(progress.closed);
    }
    EXPECT_EQ(readFile(path).size() % 2, 0u);
    EXPECT_TRUE(boxes.texts().empty());
    EXPECT_TRUE(streamFiles().empty());
}

TEST_F(SaveWaveTest, AMusicWithoutNotesHoldsTheSilenceOfTheFirstTick)
{
    ASSERT_TRUE(saveWave(path, request));
    EXPECT_EQ(request.end, 0u);
    // The final flush covers the time of tick 1: 15 ms, 120 frames of 2 bytes.
    const std::size_t bytes = (timeOfPosition(*music, 1, 0) * 8000 / 1000) * 2;
    EXPECT_EQ(bytes, 240u);
    EXPECT_TRUE(readFile(path) == waveFile(request.format, std::string(bytes, '\0')));
}

TEST_F(SaveWaveTest, UnderOneSecondTheProgressStaysAtZeroUntilOneHundred)
{
    // The renderer is held at the note until the first tick has been shown.
    addNote(0, kGatedPitch, kTicksPerSecond / 2);
    SourceGate gate;
    gate.close();
    progress.onPosition = [&] { gate.open(); };
    ASSERT_TRUE(saveWave(path, request));
    EXPECT_EQ(progress.maximum, 0u);
    ASSERT_GE(progress.positions.size(), 2u);
    for (std::size_t i = 0; i + 1 < progress.positions.size(); ++i)
        EXPECT_EQ(progress.positions[i].second, "0%");
    EXPECT_EQ(progress.positions.back().second, "100%");
    EXPECT_EQ(progress.positions.back().first, waveData(readFile(path)).size());
}

TEST_F(SaveWaveTest, CancelDuringRenderingLeavesNoFileAndAnOlderOneAsItWas)
{
    addNote(0, kGatedPitch, 10 * kTicksPerSecond);
    const struct {
        const char* what;
        bool olderFile;
    } cases[] = {{"no file before", false}, {"an older file", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.olderFile)
            writeFile(path, "an older wave");
        // Cancel at the first tick while the renderer is held; only a wait that
        // serves the user interface lets the renderer go on and end.
        SourceGate gate;
        gate.close();
        progress.cancel = false;
        progress.onPosition = [&] { progress.cancel = true; };
        const UiRequestServer previous = setUiRequestServer([&] {
            if (progress.cancel)
                gate.open();
        });
        EXPECT_FALSE(saveWave(path, request));
        setUiRequestServer(previous);
        EXPECT_EQ(progress.positions.back().second, "0%");
        if (c.olderFile) {
            EXPECT_TRUE(readFile(path) == "an older wave");
        } else {
            EXPECT_FALSE(fileExists(path));
        }
        EXPECT_TRUE(progress.closed);
    }
    EXPECT_TRUE(boxes.texts().empty());
    EXPECT_TRUE(streamFiles().empty());
}

TEST_F(SaveWaveTest, AFailedWriteLeavesAnOlderFileUntouched)
{
    addNote(0, 60, 40);
    const struct {
        const char* what;
        std::string target;
        std::optional<std::uint64_t> failAfter;
        const char* message;
    } cases[] = {
        {"a write fails in the header", path, 10, "Failed to write the wave file."},
        {"a write fails in the data", path, 100, "Failed to write the wave file."},
        {"the folder does not exist", temp.file("missing/saved.wav"), std::nullopt, "Can't create the wave file."},
    };
    writeFile(path, "an older wave");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        boxes.clear();
        FileWriter::failAfterBytes(c.failAfter);
        EXPECT_FALSE(saveWave(c.target, request));
        FileWriter::failAfterBytes(std::nullopt);
        EXPECT_EQ(boxes.texts(), std::vector<std::string>{c.message});
        EXPECT_TRUE(readFile(path) == "an older wave");
    }
    // No temporary file is left beside the older one.
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(temp.path()))
        if (entry.is_regular_file())
            names.push_back(entry.path().filename().string());
    EXPECT_EQ(names, std::vector<std::string>{"saved.wav"});
}

TEST_F(SaveWaveTest, AStreamThatLosesItsFileSavesNothing)
{
    addNote(0, 60, 60 * kTicksPerSecond); // a minute: far more than the stream may keep
    writeFile(path, "an older wave");
    bool saved = true;
    {
        const ScopedFileSizeLimit limit(64 << 10);
        ASSERT_TRUE(limit.set());
        saved = saveWave(path, request);
    }
    EXPECT_FALSE(saved);
    EXPECT_EQ(boxes.texts(), std::vector<std::string>{"Failed to write the wave file."});
    EXPECT_TRUE(readFile(path) == "an older wave");
    EXPECT_TRUE(progress.closed);
}

TEST_F(SaveWaveTest, AStreamThatCannotBeMadeSavesNothing)
{
    addNote(0, 60, 40);
    writeFile(temp.file("blocked"), "a file where the folder would go");
    SettingsProfile("Orlim").writeString("Player", "TempPath", temp.file("blocked"));
    EXPECT_FALSE(saveWave(path, request));
    EXPECT_EQ(boxes.texts(), std::vector<std::string>{"Can't create the wave file."});
    EXPECT_FALSE(fileExists(path));
}

TEST_F(SaveWaveTest, TheProgressShowsThePathTheRangeAndEndsAtOneHundred)
{
    addNote(0, 60, 3 * kTicksPerSecond); // 3 s
    ASSERT_TRUE(saveWave(path, request));
    EXPECT_EQ(progress.path, path);
    EXPECT_EQ(progress.maximum, 2u * 8000u * 3u);
    ASSERT_FALSE(progress.positions.empty());
    EXPECT_EQ(progress.positions.back().second, "100%");
}

TEST(SaveWaveProgressText, PercentOfTheRangeCappedAt99AndZeroWithoutARange)
{
    const struct {
        std::uint64_t rendered;
        std::uint64_t range;
        const char* text;
    } cases[] = {
        {0, 0, "0%"},        {5000, 0, "0%"},       {5000, 99, "0%"},   {0, 1000, "0%"},
        {420, 1000, "42%"},  {999, 1000, "99%"},   {1000, 1000, "99%"}, {5000, 1000, "99%"},
        {419, 1000, "41%"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.rendered << " of " << c.range);
        EXPECT_EQ(saveWavePercent(c.rendered, c.range), c.text);
    }
}

TEST(SaveWaveProgressRange, WholeSecondsOfTheEndTimesTheByteRate)
{
    WaveFormat stereo{};
    stereo.samplesPerSec = 22050;
    stereo.blockAlign = 4;
    EXPECT_EQ(saveWaveRange(stereo, 999), 0u);
    EXPECT_EQ(saveWaveRange(stereo, 1000), 88200u);
    EXPECT_EQ(saveWaveRange(stereo, 2999), 176400u);
    EXPECT_EQ(saveWaveRange(stereo, 0), 0u);
}

} // namespace
} // namespace orlim::testing
