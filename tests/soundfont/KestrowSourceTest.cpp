// How kestrow turns a note into a sample and its playing parameters.
#include <cstring>

#include "plugins/soundfont/Generators.h"
#include "tests/soundfont/KestrowTestSupport.h"

namespace orlim::testing {
namespace {

using namespace orlim::kestrow;

// Samples told apart by their rate.
SfSample sampleAt(std::uint32_t rate, std::size_t points = 100)
{
    SfSample sample;
    sample.name = "S" + std::to_string(rate);
    sample.points.assign(points, 1000);
    sample.loopStart = 40;
    sample.loopEnd = static_cast<std::uint32_t>(points) - 10;
    sample.sampleRate = rate;
    return sample;
}

TEST_F(KestrowTest, FillsEveryOutputFieldOfAZone)
{
    SoundFontBuilder bank = simpleBank(200);
    bank.samples[0].sampleRate = 22050;
    bank.samples[0].pitchCorrection = -5;
    bank.instruments[0].zones[0].generators = {
        generator(DelayVolEnv, -2400),   generator(AttackVolEnv, -3600), generator(ReleaseVolEnv, -1200),
        generator(InitialAttenuation, 30), generator(CoarseTune, 1),     generator(FineTune, 10),
        generator(DelayModLfo, -1200),   generator(FreqModLfo, 100),     generator(ModLfoToVolume, -50),
        generator(DelayVibLfo, -600),    generator(FreqVibLfo, -100),    generator(VibLfoToPitch, 25),
        generator(StartAddrsOffset, 2),  generator(EndAddrsOffset, -3),  generator(StartloopAddrsOffset, 1),
        generator(EndloopAddrsOffset, -1)};
    bank.presets[0].zones[0].generators = {generator(InitialAttenuation, 20), generator(FineTune, 5),
                                           generator(AttackVolEnv, 1200)};
    writeBank(bank);

    SampleRequest request = noteRequest(6200);
    const auto entry = kestrowEntry("bank.sf2", 0, 0, 0, /*pitchOffset*/ 7, /*attenuationOffset*/ 100);
    const auto* block = static_cast<const std::int16_t*>(source.getSample(asEntry(entry), &request));
    ASSERT_NE(block, nullptr) << source.lastError();
    EXPECT_EQ(source.lastError(), nullptr);

    EXPECT_EQ(request.noteOff, 44100u);
    EXPECT_EQ(request.totalSamples, 66150u);
    EXPECT_EQ(request.delayEnd, 11025u);
    EXPECT_EQ(request.attackEnd, 22050u);
    EXPECT_EQ(request.holdEnd, 0u);
    EXPECT_EQ(request.decayEnd, 0u);
    EXPECT_EQ(request.levelStart, -9600);
    EXPECT_EQ(request.levelAttack, 0);
    EXPECT_EQ(request.levelHold, 0);
    EXPECT_EQ(request.levelDecay, 0);
    EXPECT_EQ(request.levelNoteOff, 0);
    EXPECT_EQ(request.startOffset, 0u);
    EXPECT_EQ(request.sampleLength, 195u);
    EXPECT_EQ(request.loopStart, 49u);
    EXPECT_EQ(request.loopEnd, 187u);
    EXPECT_EQ(request.sampleBytes, 2);
    EXPECT_EQ(request.sampleRate, 22050u);
    EXPECT_EQ(request.attenuation, 600);
    EXPECT_EQ(request.rootPitch, 5883);
    EXPECT_EQ(request.cutoff, 9376000u);
    EXPECT_EQ(request.tremoloDelay, 22050u);
    EXPECT_EQ(request.tremoloRate, 8662u);
    EXPECT_EQ(request.tremoloDepth, -499);
    EXPECT_EQ(request.vibratoDelay, 31183u);
    EXPECT_EQ(request.vibratoRate, 7717u);
    EXPECT_EQ(request.vibratoDepth, 25);

    // The block starts at the zone's first point; 48 more follow the last one.
    const SfSample& sample = bank.samples[0];
    for (std::uint32_t i = 0; i < request.sampleLength; ++i)
        ASSERT_EQ(block[i], sample.points[i + 2]) << i;
    EXPECT_EQ(block[request.sampleLength], sample.points[197]);
    EXPECT_EQ(block[request.sampleLength + 2], sample.points[199]);
    EXPECT_EQ(block[request.sampleLength + 3], 0); // the padding after the sample
}

TEST_F(KestrowTest, ZoneWithoutGeneratorsTakesTheDefaults)
{
    SoundFontBuilder bank = simpleBank(200);
    bank.samples[0].originalPitch = 64;
    bank.samples[0].pitchCorrection = 12;
    writeBank(bank);

    SampleRequest request = noteRequest(6000);
    ASSERT_NE(ask(request), nullptr) << source.lastError();
    EXPECT_EQ(request.totalSamples, 44100u); // no release
    EXPECT_EQ(request.delayEnd, 0u);
    EXPECT_EQ(request.attackEnd, 0u);
    EXPECT_EQ(request.levelStart, 0);
    EXPECT_EQ(request.loopStart, 50u); // sample modes 1: it loops
    EXPECT_EQ(request.loopEnd, 190u);
    EXPECT_EQ(request.rootPitch, 6400 - 12); // scale tuning 100, no overriding root key
    EXPECT_EQ(request.attenuation, 0);
    EXPECT_EQ(request.cutoff, 261u * 32u * 1000u); // relative to the note
    EXPECT_EQ(request.tremoloDelay, 0u);
    EXPECT_EQ(request.tremoloRate, 0u);
    EXPECT_EQ(request.tremoloDepth, 0);
    EXPECT_EQ(request.vibratoDelay, 0u);
    EXPECT_EQ(request.vibratoRate, 0u);
    EXPECT_EQ(request.vibratoDepth, 0);
}

TEST_F(KestrowTest, SelectsThePresetByBankAndNumber)
{
    SoundFontBuilder bank;
    for (std::uint32_t rate : {11025u, 22050u, 32000u})
        bank.samples.push_back(sampleAt(rate));
    for (std::uint16_t i = 0; i < 3; ++i)
        bank.instruments.push_back({"I" + std::to_string(i), {SfZone{{}, i}}});
    bank.presets = {{"A", 0, 0, {SfZone{{}, 0}}}, {"B", 5, 0, {SfZone{{}, 1}}},
                    {"Drums", 0, 128, {SfZone{{}, 2}}}, {"A again", 0, 0, {SfZone{{}, 2}}}};
    writeBank(bank);

    const struct {
        int bank, preset;
        std::uint32_t rate; // 0: error 4
    } cases[] = {{0, 0, 11025}, {0, 5, 22050}, {128, 0, 32000}, {1, 0, 0}, {0, 1, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.bank << "/" << c.preset);
        SampleRequest request = noteRequest(6000);
        const void* block = ask(request, c.bank, c.preset);
        if (c.rate == 0) {
            EXPECT_EQ(block, nullptr);
            EXPECT_EQ(source.lastErrorNumber(), 4);
            EXPECT_STREQ(source.lastError(), "The file is corrupt. No PHDR chunk in it.");
        } else {
            ASSERT_NE(block, nullptr) << source.lastError();
            EXPECT_EQ(request.sampleRate, c.rate);
        }
    }
}

TEST_F(KestrowTest, TheTerminalPresetRecordIsNeverSelected)
{
    // The terminal record "EOP" carries bank 0 and preset 0; no other record does here.
    SoundFontBuilder bank = simpleBank();
    bank.presets[0].preset = 9;
    writeBank(bank);
    SampleRequest request = noteRequest(6000);
    EXPECT_EQ(ask(request, 0, 0), nullptr);
    EXPECT_EQ(source.lastErrorNumber(), 4);
}

TEST_F(KestrowTest, SelectsZonesByKeyAndVelocity)
{
    SoundFontBuilder bank;
    for (std::uint32_t rate : {8000u, 11025u, 16000u, 22050u, 32000u, 44100u})
        bank.samples.push_back(sampleAt(rate));
    // Instrument 0 splits by key: 60-60 first, then everything.
    bank.instruments.push_back({"Keys", {SfZone{{keyRange(60, 60)}, 0}, SfZone{{}, 1}}});
    // Instrument 1 splits by velocity only.
    bank.instruments.push_back({"Velocities",
                                {SfZone{{velocityRange(1, 1)}, 2}, SfZone{{velocityRange(40, 40)}, 3},
                                 SfZone{{velocityRange(127, 127)}, 4}}});
    // The preset sends keys up to 71 to instrument 0 and the rest to instrument 1.
    bank.presets.push_back({"Split", 0, 0, {SfZone{{keyRange(0, 71)}, 0}, SfZone{{keyRange(72, 127)}, 1}}});
    writeBank(bank);

    const struct {
        int pitch, loudness;
        std::uint32_t rate; // 0: error 8
    } cases[] = {
        {6000, 0, 8000},      // inside 60-60
        {6050, 0, 11025},     // 6050 cents lies above 60 x 100
        {5999, 0, 11025},
        {7100, 0, 11025},
        {7200, -9600, 16000}, // velocity 1
        {7200, -2000, 22050}, // velocity 40
        {7200, 0, 32000},     // velocity 127
        {7200, 500, 32000},   // louder still: 127
        {7200, -1000, 0},     // velocity 71: no zone
        {12801, 0, 0},        // above the highest key
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "pitch " << c.pitch << ", loudness " << c.loudness);
        SampleRequest request = noteRequest(c.pitch, c.loudness);
        const void* block = ask(request);
        if (c.rate == 0) {
            EXPECT_EQ(block, nullptr);
            EXPECT_EQ(source.lastErrorNumber(), 8);
            EXPECT_STREQ(source.lastError(), "Can't find the designated sample in the Soundfont file.");
        } else {
            ASSERT_NE(block, nullptr) << source.lastError();
            EXPECT_EQ(request.sampleRate, c.rate);
        }
    }
}

TEST_F(KestrowTest, GlobalZonesAreNeverSelectedNorApplied)
{
    SoundFontBuilder bank = simpleBank();
    // Global zones in front: they end without an instrument or sample ID.
    bank.presets[0].zones.insert(bank.presets[0].zones.begin(),
                                 SfZone{{generator(InitialAttenuation, 100)}, std::nullopt});
    bank.instruments[0].zones.insert(bank.instruments[0].zones.begin(),
                                     SfZone{{generator(CoarseTune, 12)}, std::nullopt});
    writeBank(bank);
    SampleRequest request = noteRequest(6000);
    ASSERT_NE(ask(request), nullptr) << source.lastError();
    EXPECT_EQ(request.attenuation, 0);
    EXPECT_EQ(request.rootPitch, 6000);
}

TEST_F(KestrowTest, AKeyRangeGivenTwiceKeepsTheSecond)
{
    SoundFontBuilder bank = simpleBank();
    bank.instruments[0].zones[0].generators = {keyRange(0, 10), keyRange(60, 70)};
    writeBank(bank);
    SampleRequest inSecond = noteRequest(6500);
    EXPECT_NE(ask(inSecond), nullptr);
    SampleRequest inFirst = noteRequest(500);
    EXPECT_EQ(ask(inFirst), nullptr);
    EXPECT_EQ(source.lastErrorNumber(), 8);
}

TEST_F(KestrowTest, LoopsUnlessTheInstrumentZoneSetsSampleModesZero)
{
    const struct {
        const char* name;
        std::vector<SfGenerator> instrument, preset;
        bool loops;
    } cases[] = {
        {"not set", {}, {}, true},
        {"set to 0", {generator(SampleModes, 0)}, {}, false},
        {"set to 1", {generator(SampleModes, 1)}, {}, true},
        {"set to 3", {generator(SampleModes, 3)}, {}, true},
        {"0 in the preset zone only", {}, {generator(SampleModes, 0)}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SoundFontBuilder bank = simpleBank(200);
        bank.instruments[0].zones[0].generators = c.instrument;
        bank.presets[0].zones[0].generators = c.preset;
        writeBank(bank);
        SampleRequest request = noteRequest(6000);
        ASSERT_NE(ask(request), nullptr) << source.lastError();
        EXPECT_EQ(request.loopStart, 50u);
        EXPECT_EQ(request.loopEnd, c.loops ? 190u : 0u);
    }
}

TEST_F(KestrowTest, ShortLoopsDoNotLoop)
{
    const struct {
        int bank;
        std::uint32_t loopStart, loopEnd;
        bool loops;
    } cases[] = {
        {128, 31, 150, false}, // a drum loop within 31 points of the start
        {128, 32, 150, true},
        {0, 31, 150, true},
        {0, 0, 31, false}, // a loop ending before point 32
        {0, 0, 32, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "bank " << c.bank << " loop " << c.loopStart << "-" << c.loopEnd);
        SoundFontBuilder bank = simpleBank(200);
        bank.presets[0].bank = static_cast<std::uint16_t>(c.bank);
        bank.samples[0].loopStart = c.loopStart;
        bank.samples[0].loopEnd = c.loopEnd;
        writeBank(bank);
        SampleRequest request = noteRequest(6000);
        ASSERT_NE(ask(request, c.bank), nullptr) << source.lastError();
        EXPECT_EQ(request.loopStart, c.loopStart);
        EXPECT_EQ(request.loopEnd, c.loops ? c.loopEnd : 0u);
    }
}

TEST_F(KestrowTest, LoopPointsOutsideTheSampleMeanNoLoop)
{
    const struct {
        const char* name;
        std::vector<SfGenerator> generators;
    } cases[] = {
        {"loop end past the end", {generator(EndloopAddrsOffset, 11)}},
        {"loop start before the start", {generator(StartAddrsOffset, 60)}},
        {"loop end far past the end", {generator(EndloopAddrsCoarseOffset, 1)}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SoundFontBuilder bank = simpleBank(200);
        bank.instruments[0].zones[0].generators = c.generators;
        writeBank(bank);
        SampleRequest request = noteRequest(6000);
        ASSERT_NE(ask(request), nullptr) << source.lastError();
        EXPECT_EQ(request.loopStart, 0u);
        EXPECT_EQ(request.loopEnd, 0u);
    }
}

TEST_F(KestrowTest, EnvelopeSegmentsArePresentOnlyForNonZeroSums)
{
    const struct {
        const char* name;
        std::vector<SfGenerator> instrument, preset;
        std::uint32_t delayEnd, attackEnd;
        std::int16_t levelStart;
    } cases[] = {
        {"attack 0 and no delay", {generator(AttackVolEnv, 0)}, {}, 0, 0, 0},
        {"attacks that cancel", {generator(AttackVolEnv, 1200)}, {generator(AttackVolEnv, -1200)}, 0, 0, 0},
        {"attack only in the preset", {}, {generator(AttackVolEnv, -1200)}, 0, 22050, -9600},
        {"a very short attack lasts one sample", {generator(AttackVolEnv, -32000)}, {}, 0, 1, -9600},
        {"a very short delay lasts one sample", {generator(DelayVolEnv, -32000)}, {}, 1, 1, -9600},
        {"delay then attack", {generator(DelayVolEnv, 0)}, {generator(DelayVolEnv, 1200), generator(AttackVolEnv, 0)},
         88200, 88200, -9600},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SoundFontBuilder bank = simpleBank();
        bank.instruments[0].zones[0].generators = c.instrument;
        bank.presets[0].zones[0].generators = c.preset;
        writeBank(bank);
        SampleRequest request = noteRequest(6000);
        ASSERT_NE(ask(request), nullptr) << source.lastError();
        EXPECT_EQ(request.delayEnd, c.delayEnd);
        EXPECT_EQ(request.attackEnd, c.attackEnd);
        EXPECT_EQ(request.levelStart, c.levelStart);
    }
}

TEST_F(KestrowTest, ModLfoDepthOfMinus50GivesTremoloDepthMinus499)
{
    SoundFontBuilder bank = simpleBank();
    bank.instruments[0].zones[0].generators = {generator(ModLfoToVolume, -50)};
    writeBank(bank);
    SampleRequest request = noteRequest(6000);
    ASSERT_NE(ask(request), nullptr);
    EXPECT_EQ(request.tremoloDepth, -499);
}

TEST_F(KestrowTest, ScaleTuningZeroPlaysTheSampleAtItsRecordedSpeedForEveryPitch)
{
    SoundFontBuilder bank = simpleBank();
    bank.instruments[0].zones[0].generators = {generator(ScaleTuning, 0), generator(CoarseTune, 5)};
    writeBank(bank);
    for (int pitch : {0, 3000, 6000, 6037, 9000, 12700}) {
        SCOPED_TRACE(pitch);
        SampleRequest request = noteRequest(pitch);
        ASSERT_NE(ask(request), nullptr);
        EXPECT_EQ(request.rootPitch, pitch);
    }
}

TEST_F(KestrowTest, RootPitchComesFromTheOverridingRootKeyWhenItIsAKey)
{
    const struct {
        int rootKey;
        std::int16_t rootPitch;
    } cases[] = {{0, 0}, {72, 7200}, {127, 12700}, {128, 6000}, {-1, 6000}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rootKey);
        SoundFontBuilder bank = simpleBank();
        bank.instruments[0].zones[0].generators = {generator(OverridingRootKey, c.rootKey)};
        writeBank(bank);
        SampleRequest request = noteRequest(6000);
        ASSERT_NE(ask(request), nullptr);
        EXPECT_EQ(request.rootPitch, c.rootPitch);
    }
}

TEST_F(KestrowTest, CutoffFollowsTheModeAndTheDrumBank)
{
    const struct {
        const char* name;
        int bank, mode;
        std::vector<SfGenerator> instrument;
        int pitch;
        std::uint32_t cutoff;
    } cases[] = {
        {"default mode with the bank's cutoff", 0, kCutoffDefault, {generator(InitialFilterFc, -1200), generator(CoarseTune, 1)},
         6000, 4331},
        {"default mode without a cutoff", 0, kCutoffDefault, {}, 6000, 20000000},
        {"fixed", 0, kCutoffFixed, {generator(InitialFilterFc, -1200)}, 6000, 8000000},
        {"relative", 0, 0, {generator(InitialFilterFc, -1200)}, 6200, 9376000},
        {"relative, saturated", 0, 0, {}, 12000, 20000000},
        {"drum bank with the bank's cutoff", 128, kCutoffFixed, {generator(InitialFilterFc, 3000)}, 6000, 46250},
        {"drum bank without a cutoff", 128, 0, {}, 6000, 20000000},
        {"drum bank with a huge cutoff", 128, 0, {generator(InitialFilterFc, 30000)}, 6000, 20000000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SoundFontBuilder bank = simpleBank();
        bank.presets[0].bank = static_cast<std::uint16_t>(c.bank);
        bank.instruments[0].zones[0].generators = c.instrument;
        writeBank(bank);
        SampleRequest request = noteRequest(c.pitch);
        ASSERT_NE(ask(request, c.bank, 0, c.mode), nullptr) << source.lastError();
        EXPECT_EQ(request.cutoff, c.cutoff);
    }
}

TEST_F(KestrowTest, HugeTimesSaturateInsteadOfWrapping)
{
    SoundFontBuilder bank = simpleBank();
    bank.instruments[0].zones[0].generators = {generator(ReleaseVolEnv, 32000), generator(DelayVolEnv, 32000),
                                               generator(AttackVolEnv, 32000), generator(DelayModLfo, 32000),
                                               generator(FreqVibLfo, 32000), generator(ModLfoToVolume, 32000)};
    bank.presets[0].zones[0].generators = {generator(ModLfoToVolume, 32000)};
    writeBank(bank);
    SampleRequest request = noteRequest(6000);
    ASSERT_NE(ask(request), nullptr);
    EXPECT_EQ(request.totalSamples, 0xFFFFFFFFu);
    EXPECT_EQ(request.delayEnd, 0xFFFFFFFFu);
    EXPECT_EQ(request.attackEnd, 0xFFFFFFFFu);
    EXPECT_EQ(request.tremoloDelay, 0xFFFFFFFFu);
    EXPECT_EQ(request.vibratoRate, 0xFFFFFFFFu);
    EXPECT_EQ(request.tremoloDepth, 32767);
}

TEST_F(KestrowTest, AttenuationAddsBothZonesAndTheEntryOffset)
{
    SoundFontBuilder bank = simpleBank();
    bank.instruments[0].zones[0].generators = {generator(InitialAttenuation, 1440)};
    bank.presets[0].zones[0].generators = {generator(InitialAttenuation, 1440)};
    writeBank(bank);
    SampleRequest request = noteRequest(6000);
    const auto entry = kestrowEntry("bank.sf2", 0, 0, 0, 0, 4800);
    ASSERT_NE(source.getSample(asEntry(entry), &request), nullptr);
    // 28800 + 4800 does not fit 16 bits: the note stays as quiet as it can be.
    EXPECT_EQ(request.attenuation, 32767);
}

TEST_F(KestrowTest, HandsOutFortyEightPointsBeyondTheSampleFromTheFile)
{
    SoundFontBuilder bank = simpleBank(100);
    bank.padding = 0; // the next bytes in the file are those of LIST "pdta"
    writeBank(bank);
    SampleRequest request = noteRequest(6000);
    const auto* block = static_cast<const std::uint8_t*>(ask(request));
    ASSERT_NE(block, nullptr);
    const std::string file = readFile(dir.file("bank.sf2"));
    const std::size_t smplData = file.find("smpl") + 8;
    ASSERT_EQ(std::memcmp(block, file.data() + smplData, 2 * (100 + 48)), 0);
    EXPECT_EQ(std::memcmp(block + 200, "LIST", 4), 0);
}

TEST_F(KestrowTest, ExtraPointsPastTheEndOfTheFileAreZero)
{
    SoundFontBuilder bank = simpleBank(100);
    bank.padding = 0;
    bank.sdtaFirst = false; // the sample's last point is the file's last byte
    writeBank(bank);
    SampleRequest request = noteRequest(6000);
    const auto* block = static_cast<const std::int16_t*>(ask(request));
    ASSERT_NE(block, nullptr) << source.lastError();
    EXPECT_EQ(block[99], bank.samples[0].points[99]);
    for (int i = 100; i < 148; ++i)
        EXPECT_EQ(block[i], 0) << i;
}

TEST_F(KestrowTest, TheBlockStaysValidUntilTheNextCall)
{
    SoundFontBuilder bank = simpleBank(100);
    writeBank(bank);
    SampleRequest first = noteRequest(6000);
    const auto* block = static_cast<const std::int16_t*>(ask(first));
    ASSERT_NE(block, nullptr);
    const std::vector<std::int16_t> copy(block, block + 148);
    SampleRequest again = noteRequest(6000);
    const auto* second = static_cast<const std::int16_t*>(ask(again));
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(std::vector<std::int16_t>(second, second + 148), copy);
}

TEST_F(KestrowTest, ASuccessClearsTheLastError)
{
    writeBank(simpleBank());
    SampleRequest missing = noteRequest(6000);
    EXPECT_EQ(ask(missing, 3, 3), nullptr);
    EXPECT_NE(source.lastError(), nullptr);
    SampleRequest found = noteRequest(6000);
    EXPECT_NE(ask(found), nullptr);
    EXPECT_EQ(source.lastError(), nullptr);
    EXPECT_EQ(source.lastErrorNumber(), -1);
}

TEST_F(KestrowTest, RecordsShorterThanTheirBaseSizeReadAsBlank)
{
    writeBank(simpleBank());
    auto record = kestrowEntry("bank.sf2", 0, 0);
    record.resize(91);
    record[0] = 91;
    SampleRequest request = noteRequest(6000);
    // A blank record names no bank file.
    EXPECT_EQ(source.getSample(asEntry(record), &request), nullptr);
    EXPECT_EQ(source.lastErrorNumber(), 1);
    EXPECT_STREQ(source.lastError(), "Can't Open the file.");
}

TEST_F(KestrowTest, TheBankNameIsReadNoFurtherThanTheRecord)
{
    writeBank(simpleBank(), "bank.sf2");
    // The name fills the record to its end without a terminator; the bytes beyond the
    // record's length are not part of it.
    auto record = kestrowEntry("bank.sf2", 0, 0);
    record.resize(88 + 8);
    record[0] = static_cast<std::uint8_t>(record.size());
    record.insert(record.end(), {'x', 'y', 'z', 0});
    SampleRequest request = noteRequest(6000);
    EXPECT_NE(source.getSample(asEntry(record), &request), nullptr) << source.lastError();
}

} // namespace
} // namespace orlim::testing
