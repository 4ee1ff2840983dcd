// Effects through the render pass: the built-in "effect.dll" parameters, the effect
// chain and its failures, and what the pass leaves behind.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <dlfcn.h>
#include <filesystem>
#include <vector>

#include <gtest/gtest.h>

#include "platform/Files.h"
#include "platform/MessageBox.h"
#include "tests/render/RenderFixture.h"
#include "tests/support/ScopedFileSizeLimit.h"

namespace orlim::testing {
namespace {

std::filesystem::path programFolder()
{
    return std::filesystem::read_symlink("/proc/self/exe").parent_path();
}

bool isSilent(const std::vector<unsigned char>& bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](unsigned char b) { return b == 0; });
}

std::vector<std::uint8_t> builtInEffect(std::uint32_t start, std::uint32_t ticks, std::uint8_t mode, std::int32_t value)
{
    std::vector<std::uint8_t> entry = testEffect(start, ticks, mode, value, 0, "effect.dll");
    entry[BuiltInEffect::switches] = BuiltInEffect::kSwitchHarmonicGains | BuiltInEffect::kSwitchVibrato;
    for (std::size_t m = 0; m < 12; ++m)
        writeField<std::int16_t>(entry.data(), BuiltInEffect::harmonicGains + 2 * m, -60);
    writeField<std::int16_t>(entry.data(), BuiltInEffect::vibratoRate, 5000);
    writeField<std::int16_t>(entry.data(), BuiltInEffect::vibratoDepth, 100);
    return entry;
}

class EffectChainTest : public RenderFixture {
protected:
    void SetUp() override
    {
        RenderFixture::SetUp();
        // A copy of the test effect under the name of the built-in parameters, in the
        // user's plug-in folder of this test process.
        std::filesystem::create_directories(userPluginFolder());
        effectCopy = std::filesystem::path(userPluginFolder()) / "effect.dll";
        std::filesystem::copy_file(programFolder() / "testeffect.dll", effectCopy,
                                   std::filesystem::copy_options::overwrite_existing);
        SampleRequest answer = plainAnswer();
        answer.startOffset = 100;
        addSource(0, testSource(0, TestSource::Sine, 20000, answer));
    }

    void TearDown() override
    {
        // The pass's effect libraries stay loaded with the process until reset.
        resetRenderState();
        RenderFixture::TearDown();
    }

    bool effectCopyLoaded() const
    {
        void* handle = dlopen(effectCopy.c_str(), RTLD_NOW | RTLD_NOLOAD);
        if (handle)
            dlclose(handle);
        return handle != nullptr;
    }

    int callsOf(const char* library)
    {
        LibraryHandle handle = loadPlugin(library);
        const int calls = reinterpret_cast<int (*)()>(resolveSymbol(handle, "testEffectCalls"))();
        freeLibrary(handle);
        return calls;
    }

    // The same range rendered once more without any effect entry.
    std::vector<unsigned char> renderWithoutEffects(std::uint32_t start, std::uint32_t end)
    {
        Track* track = trackAt(*music, 0);
        EffectNode* effects = track->effects;
        track->effects = nullptr;
        resetRenderState();
        const std::vector<unsigned char> bytes = render(start, end);
        track->effects = effects;
        resetRenderState();
        return bytes;
    }

    std::filesystem::path effectCopy;
};

TEST_F(EffectChainTest, WithDisableEffectAnEffectDllEntryChangesNothingAndLoadsNothing)
{
    addNote(0, 0, 60, 32);
    addEffect(0, builtInEffect(0, 100, TestEffect::Scale, 500));
    const std::vector<unsigned char> plain = renderWithoutEffects(0, 0);
    request.flags = kPlayDisableEffect;
    EXPECT_EQ(render(0, 0), plain);
    EXPECT_FALSE(effectCopyLoaded());

    request.flags = 0;
    resetRenderState();
    const std::vector<unsigned char> treated = render(0, 0);
    EXPECT_NE(treated, plain);
    EXPECT_TRUE(effectCopyLoaded());
    EXPECT_EQ(callsOf("effect.dll"), 1);
}

TEST_F(EffectChainTest, AnEffectWhoseRangeEndsAtTheNoteDoesNotApplyToIt)
{
    addNote(0, 32, 60, 32);
    addEffect(0, testEffect(0, 32, TestEffect::Scale, 0));
    EXPECT_EQ(render(32, 32), renderWithoutEffects(32, 32));
    addNote(0, 31, 60, 32);
    const std::vector<unsigned char> silenced = render(31, 31);
    ASSERT_FALSE(silenced.empty());
    EXPECT_TRUE(isSilent(silenced));
}

TEST_F(EffectChainTest, AFailingEffectPostsOneErrorPerNoteAndTheNoteIsHeardUntreated)
{
    addNote(0, 0, 60, 32);
    addNote(0, 0, 64, 32);
    addNote(0, 8, 67, 32);
    addEffect(0, testEffect(0, 100, TestEffect::Fail));
    const std::vector<unsigned char> bytes = render(0, 8);
    EXPECT_EQ(errors, std::vector<std::string>(3, "testeffect.dll:Test effect failed."));
    EXPECT_EQ(bytes, renderWithoutEffects(0, 8));
}

TEST_F(EffectChainTest, AFailingEffectUnderStopOnErrorIsShownOnceAndStopsThePass)
{
    MessageBoxRecorder boxes;
    addNote(0, 0, 60, 32);
    addNote(0, 0, 64, 32);
    addNote(0, 64, 60, 32);
    addEffect(0, testEffect(0, 100, TestEffect::Fail));
    request.flags = kPlayStopOnError;
    const std::vector<unsigned char> bytes = render(0, 100);
    EXPECT_EQ(boxes.texts(), std::vector<std::string>{"testeffect.dll:Test effect failed."});
    EXPECT_TRUE(stopped);
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(playedBytes, 0);
    EXPECT_EQ(callsOf("testeffect.dll"), 1);
    // The note is not mixed; the final flush writes the room made for it.
    EXPECT_TRUE(isSilent(bytes));
    EXPECT_EQ(bytes.size(), 4 * (6 + 2 * std::size_t{22050}));
}

TEST_F(EffectChainTest, EffectsTreatTheNoteInTheirOrder)
{
    addNote(0, 0, 60, 32);
    const std::vector<unsigned char> plain = render(0, 0);
    addEffect(0, testEffect(0, 100, TestEffect::Scale, 250));
    addEffect(0, testEffect(0, 100, TestEffect::Double));
    resetRenderState();
    const std::vector<unsigned char> treated = render(0, 0);
    ASSERT_EQ(treated.size(), plain.size());
    int largest = 0;
    for (std::size_t frame = 0; frame < plain.size() / 4; ++frame)
        for (unsigned c = 0; c < 2; ++c)
            largest = std::max(largest, std::abs(sample16(treated, frame, c) - sample16(plain, frame, c) / 2));
    EXPECT_LE(largest, 2);
    EXPECT_GT(*std::max_element(plain.begin(), plain.end()), 0);
}

TEST_F(EffectChainTest, AnEffectsOwnLongerBufferIsMixedWhole)
{
    addNote(0, 0, 60, 32);
    addEffect(0, testEffect(0, 100, TestEffect::Longer, 8000, 2000));
    const std::vector<unsigned char> bytes = render(0, 0);
    // 22050 sounding samples, cut to 33075 with the release; 2000 more of 8000 after
    // them, smoothed over 8 samples, at sqrt(0.5) on both channels.
    const std::size_t end = 6 + 33075;
    ASSERT_EQ(bytes.size(), 4 * (6 + 2 * std::size_t{22050}));
    const auto expected = static_cast<std::int16_t>(8000 * std::sqrt(0.5));
    for (std::size_t frame = end + 8; frame < end + 2000; ++frame)
        ASSERT_EQ(sample16(bytes, frame, 0), expected) << frame;
    EXPECT_EQ(sample16(bytes, end + 2000, 0), 0);
}

TEST_F(EffectChainTest, AnEffectLengtheningTheNoteInTheEnginesBufferGetsNoMoreThanItHolds)
{
    addNote(0, 0, 60, 32);
    addEffect(0, testEffect(0, 100, TestEffect::Stretch, 0, 1u << 24));
    const std::vector<unsigned char> bytes = render(0, 0);
    // The buffer holds the note and 2 spare values, well within the room the pass made
    // for the note before synthesis.
    EXPECT_EQ(bytes.size(), 4 * (6 + 2 * std::size_t{22050}));
    EXPECT_FALSE(isSilent(bytes));
}

TEST_F(EffectChainTest, WhatAnEffectFindsBeyondTheNoteInTheEnginesBufferIsSilence)
{
    // The long first note leaves the buffer large; the short second one is stretched
    // far beyond its end, where only silence may follow (smoothed into from the note).
    addNote(0, 0, 60, 64);
    addNote(0, 100, 60, 8);
    addEffect(0, testEffect(100, 10, TestEffect::Stretch, 0, 1u << 24));
    const std::vector<unsigned char> stretched = render(0, 100);
    const std::vector<unsigned char> plain = renderWithoutEffects(0, 100);
    ASSERT_GT(stretched.size(), plain.size());
    EXPECT_FALSE(isSilent(stretched));
    EXPECT_TRUE(isSilent({stretched.begin() + static_cast<std::ptrdiff_t>(plain.size()), stretched.end()}));
}

TEST_F(EffectChainTest, TheFirstNoteOfAProcessMakesTheSampleFolderAndItsFiles)
{
    const std::filesystem::path folder = std::filesystem::path(temp.path()) / "Sample";
    render(0, 0);
    EXPECT_FALSE(std::filesystem::exists(folder)) << "no note, no sample files";
    addNote(0, 0, 60, 8);
    render(0, 0);
    EXPECT_TRUE(std::filesystem::is_regular_file(folder / "Index.tmp"));
    EXPECT_TRUE(std::filesystem::is_regular_file(folder / "Sample.tmp"));
    EXPECT_EQ(std::filesystem::file_size(folder / "Index.tmp"), 0u);
}

TEST_F(EffectChainTest, MemoryStaysFlatOverALongPiece)
{
    // Short notes with their releases, for one minute and for three.
    for (std::uint32_t position = 0; position < 11520; position += 32)
        addNote(0, position, 48 + static_cast<int>(position / 32 % 24), 8);
    const auto peakOver = [this](std::uint32_t end) {
        request.start = 0;
        request.end = end;
        RenderContext context;
        context.request = &request;
        context.stream = StreamBuffer::create();
        EXPECT_TRUE(context.stream);
        context.running = true;
        RenderPass pass(context);
        pass.run();
        EXPECT_FALSE(context.running);
        // The stream keeps what it holds beyond its window in its file.
        EXPECT_EQ(context.stream->writtenCount(), static_cast<std::uint64_t>(context.renderedBytes));
        return pass.peakMixCapacity();
    };
    const std::size_t oneMinute = peakOver(3840);
    const std::size_t threeMinutes = peakOver(11520);
    // Equal but for the jitter of the notes' starts, which differs from pass to pass.
    EXPECT_NEAR(static_cast<double>(threeMinutes), static_cast<double>(oneMinute), 1024.0);
    // About 110 ms of lead plus one note of 190 ms, whatever the length of the piece.
    EXPECT_LT(threeMinutes, std::size_t{200} << 10);
}

TEST_F(EffectChainTest, AFileErrorOfTheStreamStopsThePass)
{
    addNote(0, 0, 60, 32);
    request.start = 0;
    request.end = 3840; // a minute
    RenderContext context;
    bool rendered = false;
    {
        const ScopedFileSizeLimit limit(256 << 10);
        ASSERT_TRUE(limit.set());
        rendered = renderSynchronously(context, request);
    }
    ASSERT_TRUE(rendered);
    EXPECT_NE(context.stop, 0);
    EXPECT_TRUE(context.stream->failed());
    EXPECT_LT(context.renderedBytes, std::int64_t{1} << 20);
    EXPECT_EQ(context.renderedBytes, static_cast<std::int64_t>(context.stream->writtenCount()));
}

} // namespace
} // namespace orlim::testing
