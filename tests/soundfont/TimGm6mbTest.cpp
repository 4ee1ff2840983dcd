// kestrow against a real General MIDI bank, when the system has one installed.
#include <filesystem>

#include "tests/soundfont/KestrowTestSupport.h"

namespace orlim::testing {
namespace {

constexpr const char* kFolder = "/usr/share/sounds/sf2/";
constexpr const char* kBank = "TimGM6mb.sf2";

class TimGm6mb : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!std::filesystem::exists(std::string(kFolder) + kBank))
            GTEST_SKIP() << "the timgm6mb-soundfont package is not installed";
    }

    kestrow::KestrowSource source{kFolder};
};

void expectPlausible(const SampleRequest& request, const void* block)
{
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(request.sampleBytes, 2);
    EXPECT_GE(request.sampleRate, 8000u);
    EXPECT_LE(request.sampleRate, 96000u);
    EXPECT_GT(request.sampleLength, 0u);
    EXPECT_GE(request.rootPitch, -2400);
    EXPECT_LE(request.rootPitch, 15000);
    EXPECT_GE(request.totalSamples, request.noteOff);
    EXPECT_LE(request.cutoff, 20000000u);
    if (request.loopEnd > request.loopStart) {
        EXPECT_LE(request.loopEnd, request.sampleLength);
    }
}

TEST_F(TimGm6mb, EveryGeneralMidiProgramGivesASampleAcrossItsKeys)
{
    for (int program = 0; program < 128; ++program) {
        const auto entry = kestrowEntry(kBank, 0, program);
        for (int pitch : {4800, 6000, 7200}) {
            SCOPED_TRACE(::testing::Message() << "program " << program << ", pitch " << pitch);
            SampleRequest request = noteRequest(pitch, -600);
            const void* block = source.getSample(asEntry(entry), &request);
            ASSERT_NE(block, nullptr) << source.lastError();
            expectPlausible(request, block);
        }
    }
    EXPECT_EQ(source.bankReads(), 1u);
}

TEST_F(TimGm6mb, TheDrumKitAnswersTheDrumKeys)
{
    const auto entry = kestrowEntry(kBank, 128, 0);
    for (int key = 35; key <= 81; ++key) {
        SCOPED_TRACE(key);
        SampleRequest request = noteRequest(key * 100);
        const void* block = source.getSample(asEntry(entry), &request);
        ASSERT_NE(block, nullptr) << source.lastError();
        expectPlausible(request, block);
        // Drum zones with short loops never loop.
        if (request.loopEnd != 0) {
            EXPECT_GE(request.loopStart, 32u);
        }
    }
}

TEST_F(TimGm6mb, APresetTheBankDoesNotHoldGivesError4)
{
    const auto entry = kestrowEntry(kBank, 7, 3);
    SampleRequest request = noteRequest(6000);
    EXPECT_EQ(source.getSample(asEntry(entry), &request), nullptr);
    EXPECT_EQ(source.lastErrorNumber(), 4);
}

} // namespace
} // namespace orlim::testing
