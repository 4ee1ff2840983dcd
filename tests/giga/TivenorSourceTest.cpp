// tivenor's sample path on well-formed banks, written in both chunk orders: which
// instrument, region and wave a note gets, and the fields it is played with.
#include <cmath>
#include <cstring>

#include "plugins/giga/TivenorRecord.h"
#include "tests/giga/TivenorTestSupport.h"

namespace orlim::testing {
namespace {

using namespace orlim::tivenor;

// One timecent step of the articulation's times: 1200 of them double a time.
constexpr std::int32_t kOctave = 1200 * 65536;

class TivenorOrder : public TivenorTest, public ::testing::WithParamInterface<ChunkOrder> {
protected:
    GigaBankBuilder bankOf(GigaBankBuilder bank) const
    {
        bank.order = GetParam();
        return bank;
    }

    // One instrument with one region as given, over a ramp of `points` points.
    void writeRegion(const GigaRegion& region, std::size_t points = 200)
    {
        GigaBankBuilder bank = simpleGigaBank(points);
        bank.instruments[0].regions = {region};
        writeBank(bankOf(bank));
    }
};

// A wave whose rate tells which one a note got.
GigaWave waveAtRate(std::uint32_t rate)
{
    GigaWave wave = wave16(ramp(64));
    wave.sampleRate = rate;
    return wave;
}

GigaRegion regionOf(std::uint16_t keyLow, std::uint16_t keyHigh, std::uint16_t velocityLow,
                    std::uint16_t velocityHigh, std::uint32_t tableIndex)
{
    GigaRegion region;
    region.keyLow = keyLow;
    region.keyHigh = keyHigh;
    region.velocityLow = velocityLow;
    region.velocityHigh = velocityHigh;
    region.tableIndex = tableIndex;
    return region;
}

TEST_P(TivenorOrder, SelectsTheInstrumentByBankAndProgram)
{
    GigaBankBuilder bank;
    const std::uint32_t locales[][2] = {{0, 0}, {0, 1}, {1, 0}, {kDrumKitFlag, 0}};
    for (std::uint32_t i = 0; i < 4; ++i) {
        GigaInstrument instrument;
        instrument.bank = locales[i][0];
        instrument.program = locales[i][1];
        instrument.regions = {regionOf(0, 127, 0, 127, i)};
        bank.instruments.push_back(instrument);
        bank.waves.push_back(waveAtRate(11025 * (i + 1)));
    }
    writeBank(bankOf(bank));

    const struct {
        std::uint32_t bank;
        std::uint32_t program;
        std::uint32_t rate; // 0: error 7
    } cases[] = {
        {0, 0, 11025}, {0, 1, 22050}, {1, 0, 33075}, {kDrumKitFlag, 0, 44100}, {2, 0, 0}, {0, 2, 0}, {1, 1, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.bank << "/" << c.program);
        SampleRequest request = noteRequest(6000);
        const void* block = ask(request, c.bank, c.program);
        if (c.rate == 0) {
            EXPECT_EQ(block, nullptr);
            EXPECT_EQ(source.lastErrorNumber(), 7);
            EXPECT_STREQ(source.lastError(), "Can't find the bank chunk.");
        } else {
            ASSERT_NE(block, nullptr) << source.lastError();
            EXPECT_EQ(request.sampleRate, c.rate);
        }
    }
}

TEST_P(TivenorOrder, ADrumKitMatchesOnlyAnEntryThatCarriesTheDrumBit)
{
    GigaBankBuilder bank = simpleGigaBank();
    bank.instruments[0].bank = kDrumKitFlag | 5;
    bank.instruments[0].program = 3;
    writeBank(bankOf(bank));

    SampleRequest melodic = noteRequest(6000);
    EXPECT_EQ(ask(melodic, 5, 3), nullptr);
    EXPECT_EQ(source.lastErrorNumber(), 7);
    SampleRequest drums = noteRequest(6000);
    EXPECT_NE(ask(drums, kDrumKitFlag | 5, 3), nullptr) << source.lastError();
}

TEST_P(TivenorOrder, SelectsTheFirstRegionThatHoldsTheKeyAndTheVelocity)
{
    GigaBankBuilder bank;
    GigaInstrument instrument;
    instrument.regions = {
        regionOf(0, 59, 0, 127, 0),
        regionOf(60, 71, 0, 63, 1),
        regionOf(60, 71, 64, 127, 2),
        regionOf(72, 127, 0, 127, 3),
        regionOf(0, 127, 0, 127, 4), // behind the others: only where none of them holds the note
    };
    instrument.regions[3].keyLow = 73;
    bank.instruments = {instrument};
    for (std::uint32_t i = 0; i < 5; ++i)
        bank.waves.push_back(waveAtRate(1000 * (i + 1)));
    writeBank(bankOf(bank));

    const struct {
        int pitch;
        int loudness; // 0 mB is velocity 127, -2000 is 40, -9600 is 1
        std::uint32_t rate;
    } cases[] = {
        {0, 0, 1000},       {5900, 0, 1000},    {5999, -9600, 5000}, {6000, 0, 3000},
        {6000, -2000, 2000}, {7100, -2000, 2000}, {7100, -9600, 2000}, {7150, 0, 5000},
        {7200, 0, 5000},    {7300, 0, 4000},    {12700, 0, 4000},    {5950, 0, 5000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.pitch << " cents at " << c.loudness << " mB");
        SampleRequest request = noteRequest(c.pitch, c.loudness);
        ASSERT_NE(ask(request), nullptr) << source.lastError();
        EXPECT_EQ(request.sampleRate, c.rate);
    }
}

TEST_P(TivenorOrder, ANoteNoRegionHoldsGivesError8)
{
    GigaBankBuilder bank = simpleGigaBank();
    bank.instruments[0].regions = {regionOf(60, 60, 64, 127, 0)};
    writeBank(bankOf(bank));
    for (const auto& [pitch, loudness] : {std::pair{6050, 0}, std::pair{5999, 0}, std::pair{6000, -2000}}) {
        SCOPED_TRACE(pitch);
        SampleRequest request = noteRequest(pitch, loudness);
        EXPECT_EQ(ask(request), nullptr);
        EXPECT_EQ(source.lastErrorNumber(), 8);
        EXPECT_STREQ(source.lastError(), "Can't find the range chunk.");
    }
    SampleRequest inside = noteRequest(6000);
    EXPECT_NE(ask(inside), nullptr);
}

TEST_P(TivenorOrder, HandsOutTheWaveWithItsFormat)
{
    GigaBankBuilder bank = simpleGigaBank(300);
    bank.waves[0].sampleRate = 32000;
    writeBank(bankOf(bank));

    SampleRequest request = noteRequest(6000);
    // Fields the plug-in leaves as they were.
    request.tremoloDelay = 11;
    request.vibratoDelay = 12;
    request.tremoloRate = 13;
    request.vibratoRate = 14;
    request.tremoloDepth = 15;
    request.vibratoDepth = 16;
    request.startOffset = 17;
    const void* block = ask(request);
    ASSERT_NE(block, nullptr) << source.lastError();
    EXPECT_EQ(request.sampleBytes, 2u);
    EXPECT_EQ(request.sampleRate, 32000u);
    EXPECT_EQ(request.startOffset, 0u);
    EXPECT_EQ(request.sampleLength, 300u);
    EXPECT_EQ(points16(block, 300), ramp(300));
    EXPECT_EQ(request.tremoloDelay, 11u);
    EXPECT_EQ(request.vibratoDelay, 12u);
    EXPECT_EQ(request.tremoloRate, 13u);
    EXPECT_EQ(request.vibratoRate, 14u);
    EXPECT_EQ(request.tremoloDepth, 0);
    EXPECT_EQ(request.vibratoDepth, 0);
}

TEST_P(TivenorOrder, AStereoWaveYieldsItsFirstChannel)
{
    std::vector<std::int16_t> frames;
    for (int i = 0; i < 100; ++i) {
        frames.push_back(static_cast<std::int16_t>(1000 + i));
        frames.push_back(static_cast<std::int16_t>(-1000 - i));
    }
    GigaBankBuilder bank = simpleGigaBank();
    bank.waves = {interleaved16(frames, 2)};
    writeBank(bankOf(bank));

    SampleRequest request = noteRequest(6000);
    const void* block = ask(request);
    ASSERT_NE(block, nullptr) << source.lastError();
    EXPECT_EQ(request.sampleBytes, 2u);
    EXPECT_EQ(request.sampleLength, 100u);
    EXPECT_EQ(points16(block, 100), ramp(100, 1000));
}

TEST_P(TivenorOrder, ARegionWithoutALoopRecordDoesNotLoop)
{
    writeRegion(GigaRegion{});
    SampleRequest request = noteRequest(6000);
    const void* block = ask(request);
    ASSERT_NE(block, nullptr) << source.lastError();
    EXPECT_EQ(request.loopStart, 0u);
    EXPECT_EQ(request.loopEnd, 0u);
    // The points after the end are silence.
    const auto points = points16(block, 200 + kExtraPoints);
    for (std::size_t i = 200; i < points.size(); ++i)
        EXPECT_EQ(points[i], 0) << i;
}

TEST_P(TivenorOrder, ALoopRunsFromItsStartForItsLength)
{
    GigaRegion region;
    region.loop = GigaLoop{50, 100};
    writeRegion(region);
    SampleRequest request = noteRequest(6000);
    const void* block = ask(request);
    ASSERT_NE(block, nullptr) << source.lastError();
    EXPECT_EQ(request.loopStart, 50u);
    EXPECT_EQ(request.loopEnd, 150u);
    // The wave's own points follow the loop end.
    EXPECT_EQ(points16(block, 200), ramp(200));
}

TEST_P(TivenorOrder, ALoopEndingAtTheLastPointIsFollowedByItsFirstPoints)
{
    const struct {
        GigaLoop loop;
        std::vector<std::int16_t> after; // the points after the wave's last
    } cases[] = {
        {{150, 50}, {151, 152, 153, 154, 155}},
        {{197, 3}, {198, 199, 200, 198, 199}},
        {{199, 1}, {200, 200, 200, 200, 200}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.loop.start);
        GigaRegion region;
        region.loop = c.loop;
        writeRegion(region);
        SampleRequest request = noteRequest(6000);
        const void* block = ask(request);
        ASSERT_NE(block, nullptr) << source.lastError();
        EXPECT_EQ(request.loopEnd, 200u);
        const auto points = points16(block, 200 + kExtraPoints);
        EXPECT_EQ(std::vector<std::int16_t>(points.begin() + 200, points.end()), c.after);
    }
}

TEST_P(TivenorOrder, ALoopThatDoesNotLieInsideTheWaveDoesNotLoop)
{
    for (const GigaLoop loop : {GigaLoop{150, 51}, GigaLoop{200, 1}, GigaLoop{0xFFFFFFF0u, 0x20}, GigaLoop{20, 0}}) {
        SCOPED_TRACE(loop.start);
        GigaRegion region;
        region.loop = loop;
        writeRegion(region);
        SampleRequest request = noteRequest(6000);
        ASSERT_NE(ask(request), nullptr) << source.lastError();
        EXPECT_EQ(request.loopStart, 0u);
        EXPECT_EQ(request.loopEnd, 0u);
    }
}

TEST_P(TivenorOrder, TheSustainSetsTheLevelsFromTheHoldOn)
{
    const struct {
        std::uint16_t sustain;
        std::int16_t level;
    } cases[] = {{500, -12}, {1000, 0}, {100, -40}, {1, -120}, {0, -9600}, {2000, 12}, {65535, 72}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sustain);
        GigaRegion region;
        region.articulation.sustain = c.sustain;
        writeRegion(region);
        SampleRequest request = noteRequest(6000);
        ASSERT_NE(ask(request), nullptr) << source.lastError();
        EXPECT_EQ(request.levelStart, 0);
        EXPECT_EQ(request.levelAttack, 0);
        EXPECT_EQ(request.levelHold, c.level);
        EXPECT_EQ(request.levelDecay, c.level);
        EXPECT_EQ(request.levelNoteOff, c.level);
    }
}

TEST_P(TivenorOrder, EnvelopeTimesFollowTheArticulation)
{
    GigaRegion region;
    region.articulation.delay = -2 * kOctave;  // 1/4 s
    region.articulation.attack = -kOctave;     // 1/2 s
    region.articulation.holdOrDecay = 0;       // 1 s
    region.articulation.release = kOctave;     // 2 s
    region.loop = GigaLoop{50, 100};           // looping changes nothing outside mode 128
    writeRegion(region);
    for (const std::uint32_t rate : {44100u, 22050u}) {
        SCOPED_TRACE(rate);
        SampleRequest request = noteRequest(6000, 0, 30000, rate);
        ASSERT_NE(ask(request), nullptr) << source.lastError();
        EXPECT_EQ(request.noteOff, 30000u);
        EXPECT_EQ(request.delayEnd, rate / 4);
        EXPECT_EQ(request.attackEnd, rate / 4 + rate / 2);
        EXPECT_EQ(request.holdEnd, rate / 4 + rate / 2 + rate);
        EXPECT_EQ(request.decayEnd, 0u);
        EXPECT_EQ(request.totalSamples, 30000u + 2 * rate);
    }
}

TEST_P(TivenorOrder, TimesWithoutSamplesLeaveTheSegmentsEmpty)
{
    writeRegion(GigaRegion{}); // delay, attack and release "no time", hold 1 s
    SampleRequest request = noteRequest(6000, 0, 1000);
    ASSERT_NE(ask(request), nullptr) << source.lastError();
    EXPECT_EQ(request.delayEnd, 0u);
    EXPECT_EQ(request.attackEnd, 0u);
    EXPECT_EQ(request.holdEnd, 44100u);
    EXPECT_EQ(request.totalSamples, 1000u);
}

TEST_P(TivenorOrder, TimesBeyondThirtyTwoBitsSaturate)
{
    GigaRegion region;
    region.articulation.delay = INT32_MAX;
    region.articulation.attack = INT32_MAX;
    region.articulation.release = INT32_MAX;
    region.articulation.holdOrDecay = 0xFFFFFFFFu;
    writeRegion(region);
    SampleRequest request = noteRequest(6000, 0, 1000);
    ASSERT_NE(ask(request), nullptr) << source.lastError();
    EXPECT_EQ(request.delayEnd, 0xFFFFFFFFu);
    EXPECT_EQ(request.attackEnd, 0xFFFFFFFFu);
    EXPECT_EQ(request.holdEnd, 0xFFFFFFFFu);
    EXPECT_EQ(request.totalSamples, 0xFFFFFFFFu);
}

TEST_P(TivenorOrder, AModeHoldToLoopRegionHoldsUntilTheLoopStart)
{
    GigaRegion region;
    region.articulation.mode = kModeHoldToLoop;
    region.articulation.delay = -kOctave;    // 1/2 s
    region.articulation.attack = 0;          // 1 s
    region.articulation.holdOrDecay = kOctave; // 2 s
    region.articulation.release = kOctave;   // not used in this mode
    region.loop = GigaLoop{100, 50};
    writeRegion(region);
    SampleRequest request = noteRequest(6000, 0, 30000);
    ASSERT_NE(ask(request), nullptr) << source.lastError();
    EXPECT_EQ(request.noteOff, 30000u);
    EXPECT_EQ(request.delayEnd, 22050u);
    EXPECT_EQ(request.attackEnd, 100u);
    EXPECT_EQ(request.holdEnd, 44100u + 100);
    EXPECT_EQ(request.decayEnd, 88200u + 44100 + 100);
    EXPECT_EQ(request.totalSamples, 30000u);
}

TEST_P(TivenorOrder, AModeHoldToLoopRegionWithAnEndlessHoldDoublesTheNote)
{
    for (const std::uint32_t hold : {2147483647u, 0x80000000u, 0xFFFFFFFFu}) {
        SCOPED_TRACE(hold);
        GigaRegion region;
        region.articulation.mode = kModeHoldToLoop;
        region.articulation.attack = 0;
        region.articulation.holdOrDecay = hold;
        region.loop = GigaLoop{100, 50};
        writeRegion(region);
        SampleRequest request = noteRequest(6000, 0, 30000);
        ASSERT_NE(ask(request), nullptr) << source.lastError();
        EXPECT_EQ(request.attackEnd, 100u);
        EXPECT_EQ(request.holdEnd, 44100u + 100);
        EXPECT_EQ(request.decayEnd, 0u);
        EXPECT_EQ(request.totalSamples, 60000u);
        EXPECT_EQ(request.noteOff, 30000u);
    }
}

TEST_P(TivenorOrder, AModeHoldToLoopRegionWithoutALoopPlaysTheUsualEnvelope)
{
    GigaRegion region;
    region.articulation.mode = kModeHoldToLoop;
    region.articulation.attack = 0;
    region.articulation.holdOrDecay = 0;
    region.articulation.release = 0;
    writeRegion(region);
    SampleRequest request = noteRequest(6000, 0, 30000);
    ASSERT_NE(ask(request), nullptr) << source.lastError();
    EXPECT_EQ(request.attackEnd, 44100u);
    EXPECT_EQ(request.holdEnd, 88200u);
    EXPECT_EQ(request.decayEnd, 0u);
    EXPECT_EQ(request.totalSamples, 30000u + 44100);
}

TEST_P(TivenorOrder, OnlyTheFirstDimensionRegionIsUsed)
{
    GigaRegion region;
    region.articulation.sustain = 500;
    GigaArticulation second;
    second.sustain = 100;
    region.secondDimension = second;
    writeRegion(region);
    for (const int loudness : {0, -9600}) {
        SampleRequest request = noteRequest(6000, loudness);
        ASSERT_NE(ask(request), nullptr) << source.lastError();
        EXPECT_EQ(request.levelHold, -12);
    }
}

TEST_P(TivenorOrder, RootPitchAddsTheFineTuneAndAttenuationIsInMilliBels)
{
    const struct {
        std::uint16_t unityNote;
        std::int16_t fineTune;
        std::int32_t attenuation; // 1/65536 cB
        int pitchOffset;
        int attenuationOffset;
        std::int16_t rootPitch;
        std::int16_t expectedAttenuation;
    } cases[] = {
        {60, 0, 0, 0, 0, 6000, 0},
        {62, -13, 25 << 16, 20, 30, 6167, 280},
        {48, 40, (25 << 16) + 0xFFFF, -100, 0, 4940, 250},
        {60, 0, -(5 << 16) - 1, 0, -4800, 6000, -4860},
        {400, 0, 0, 0, 0, static_cast<std::int16_t>(40000 - 65536), 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rootPitch);
        GigaRegion region;
        region.unityNote = c.unityNote;
        region.fineTune = c.fineTune;
        region.attenuation = c.attenuation;
        writeRegion(region);
        const auto entry = tivenorEntry("bank.gig", 0, 0, c.pitchOffset, c.attenuationOffset);
        SampleRequest request = noteRequest(6000);
        ASSERT_NE(source.getSample(asEntry(entry), &request), nullptr) << source.lastError();
        EXPECT_EQ(request.rootPitch, c.rootPitch);
        EXPECT_EQ(request.attenuation, c.expectedAttenuation);
    }
}

TEST_P(TivenorOrder, TheCutoffIsRelativeToTheNote)
{
    writeRegion(GigaRegion{});
    const struct {
        int pitch;
        int relative;
        std::uint32_t cutoff;
    } cases[] = {
        {6000, 400, 261u * 32 * 1000},
        {6000, 0, 261u * 2 * 1000},
        {7200, 100, 523u * 4 * 1000},
        {6000, 1000, 20000000u},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.relative);
        const auto entry = tivenorEntry("bank.gig", 0, 0, 0, 0, c.relative);
        SampleRequest request = noteRequest(c.pitch);
        ASSERT_NE(source.getSample(asEntry(entry), &request), nullptr) << source.lastError();
        EXPECT_EQ(request.cutoff, c.cutoff);
    }
}

INSTANTIATE_TEST_SUITE_P(ChunkOrders, TivenorOrder, ::testing::Values(ChunkOrder::Listed, ChunkOrder::Giga),
                         [](const auto& info) { return info.param == ChunkOrder::Listed ? "Listed" : "Giga"; });

// Raw frames of `channels` points of `bytes` bytes each; channel c of frame i holds
// the little-endian value i * 4 + c + 1, shifted into the point's top byte for 8-bit.
std::vector<std::uint8_t> frames(std::size_t count, std::uint16_t channels, unsigned bytes, unsigned align)
{
    std::vector<std::uint8_t> data(count * align, 0xEE);
    for (std::size_t i = 0; i < count; ++i)
        for (std::uint16_t c = 0; c < channels; ++c) {
            const std::uint32_t value = static_cast<std::uint32_t>(i * 4 + c + 1);
            for (unsigned b = 0; b < bytes; ++b)
                data[i * align + c * bytes + b] = static_cast<std::uint8_t>(value >> (8 * b));
        }
    return data;
}

TEST_F(TivenorTest, HandsOutChannelZeroOfEveryPointWidthAsSignedPoints)
{
    const struct {
        std::uint16_t bits;
        std::uint16_t channels;
        std::uint16_t align;
    } cases[] = {{8, 1, 1}, {8, 2, 2}, {16, 1, 4}, {16, 3, 6}, {24, 1, 3}, {24, 2, 6}, {32, 1, 4}, {32, 2, 8}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.bits << " bits, " << c.channels << " channels, align " << c.align);
        const unsigned bytes = c.bits / 8u;
        GigaBankBuilder bank = simpleGigaBank();
        GigaWave& wave = bank.waves[0];
        wave.bitsPerSample = c.bits;
        wave.channels = c.channels;
        wave.blockAlign = c.align;
        wave.data = frames(50, c.channels, bytes, c.align);
        writeBank(bank);

        SampleRequest request = noteRequest(6000);
        const auto* block = static_cast<const std::uint8_t*>(ask(request));
        ASSERT_NE(block, nullptr) << source.lastError();
        EXPECT_EQ(request.sampleBytes, bytes);
        ASSERT_EQ(request.sampleLength, 50u);
        for (std::size_t i = 0; i < 50; ++i) {
            std::uint32_t expected = static_cast<std::uint32_t>(i * 4 + 1);
            if (bytes == 1)
                expected ^= 0x80; // unsigned 8-bit data becomes signed
            std::uint32_t value = 0;
            std::memcpy(&value, block + i * bytes, bytes);
            ASSERT_EQ(value, expected) << i;
        }
    }
}

TEST_F(TivenorTest, EightBitSilenceBecomesZero)
{
    GigaBankBuilder bank = simpleGigaBank();
    bank.waves[0].bitsPerSample = 8;
    bank.waves[0].data = {0x80, 0x80, 0x00, 0xFF, 0x7F};
    writeBank(bank);
    SampleRequest request = noteRequest(6000);
    const auto* block = static_cast<const std::int8_t*>(ask(request));
    ASSERT_NE(block, nullptr) << source.lastError();
    ASSERT_EQ(request.sampleLength, 5u);
    EXPECT_EQ(std::vector<std::int8_t>(block, block + 5), (std::vector<std::int8_t>{0, 0, -128, 127, -1}));
}

TEST_F(TivenorTest, ASuccessLeavesTheLastErrorAsItWas)
{
    EXPECT_EQ(source.lastError(), nullptr);
    SampleRequest missing = noteRequest(6000);
    EXPECT_EQ(ask(missing), nullptr);
    EXPECT_EQ(source.lastErrorNumber(), 2);
    EXPECT_STREQ(source.lastError(), "Can't open the giga file.");

    writeBank(simpleGigaBank());
    SampleRequest request = noteRequest(6000);
    EXPECT_NE(ask(request), nullptr);
    EXPECT_EQ(source.lastErrorNumber(), 2);
    EXPECT_STREQ(source.lastError(), "Can't open the giga file.");
}

TEST_F(TivenorTest, OpensABankWhoseFileNameDiffersInCase)
{
    writeBank(simpleGigaBank(120), "Strings.GIG");
    const auto entry = tivenorEntry("strings.gig", 0, 0);
    SampleRequest request = noteRequest(6000);
    ASSERT_NE(source.getSample(asEntry(entry), &request), nullptr) << source.lastError();
    EXPECT_EQ(request.sampleLength, 120u);
}

TEST(TivenorRecord, ShortRecordsReadAsBlankDefaults)
{
    std::vector<std::uint8_t> record = tivenorEntry("bank.gig", 7, 9, 10, 20, 300);
    writeField<std::uint16_t>(record.data(), 0, static_cast<std::uint16_t>(kBaseLength - 1));
    const TivenorSettings blank = decodeRecord(asEntry(record));
    EXPECT_EQ(blank.bank, 0u);
    EXPECT_EQ(blank.program, 0u);
    EXPECT_EQ(blank.pitchOffset, 0);
    EXPECT_EQ(blank.attenuationOffset, 0);
    EXPECT_EQ(blank.relativeCutoff, 400);
    EXPECT_EQ(blank.bankFile, "");
    EXPECT_EQ(decodeRecord(nullptr).bankFile, "");

    writeField<std::uint16_t>(record.data(), 0, static_cast<std::uint16_t>(record.size()));
    const TivenorSettings full = decodeRecord(asEntry(record));
    EXPECT_EQ(full.bank, 7u);
    EXPECT_EQ(full.program, 9u);
    EXPECT_EQ(full.pitchOffset, 10);
    EXPECT_EQ(full.attenuationOffset, 20);
    EXPECT_EQ(full.relativeCutoff, 300);
    EXPECT_EQ(full.bankFile, "bank.gig");
}

TEST(TivenorRecord, TheBankNameIsReadNoFurtherThanTheRecordsEnd)
{
    std::vector<std::uint8_t> record = tivenorEntry("bank.gig", 0, 0);
    record.resize(record.size() + 8, 'x'); // bytes past the record that are not its own
    writeField<std::uint16_t>(record.data(), 0, static_cast<std::uint16_t>(RecordOffset::bankFile + 8));
    EXPECT_EQ(decodeRecord(asEntry(record)).bankFile, "bank.gig");
}

TEST_F(TivenorTest, AShortRecordAsksForNoBankAndGetsError2)
{
    writeBank(simpleGigaBank());
    std::vector<std::uint8_t> record = tivenorEntry("bank.gig", 0, 0);
    writeField<std::uint16_t>(record.data(), 0, 80);
    SampleRequest request = noteRequest(6000);
    EXPECT_EQ(source.getSample(asEntry(record), &request), nullptr);
    EXPECT_EQ(source.lastErrorNumber(), 2);
}

} // namespace
} // namespace orlim::testing
