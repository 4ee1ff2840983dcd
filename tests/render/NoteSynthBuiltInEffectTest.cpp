// The parameters the engine reads itself from an "effect.dll" entry: which entry
// counts, what each switch replaces, and values outside the sensible range.
#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/model/Durad.h"
#include "engine/model/Editing.h"
#include "engine/render/BuiltInEffect.h"
#include "engine/render/NoteCurves.h"
#include "engine/render/NoteSynth.h"
#include "engine/render/SynthMath.h"
#include "plugin-api/Entries.h"

namespace orlim::testing {
namespace {

constexpr std::uint32_t kNotePosition = 64;

// The parameters of one record, as the switches would take them.
struct Parameters {
    std::uint8_t switches = 0x1F;
    std::int16_t gains[12] = {-10, -20, -30, -40, -50, -60, -70, -80, -90, -100, -110, 500};
    std::int16_t levelOffset = -35;
    std::int16_t vibratoDelay = 300;
    std::int16_t vibratoRate = 4000;
    std::int16_t vibratoDepth = 40;
    std::int16_t tremoloDelay = 100;
    std::int16_t tremoloRate = 7000;
    std::int16_t tremoloDepth = 25;
    std::int16_t blendIn = 10;
    std::int16_t width = 200;
};

std::vector<std::uint8_t> effectRecord(const char* name, std::uint32_t start, std::uint32_t ticks,
                                       const Parameters& p, std::size_t length = BuiltInEffect::kMinLength)
{
    std::vector<std::uint8_t> entry(length, 0);
    writeField<std::uint16_t>(entry.data(), EffectEntryOffset::length, static_cast<std::uint16_t>(length));
    writeField<std::uint32_t>(entry.data(), EffectEntryOffset::start, start);
    writeField<std::uint32_t>(entry.data(), EffectEntryOffset::ticks, ticks);
    setNameField(entry.data(), EffectEntryOffset::fileName, name);
    if (length < BuiltInEffect::kMinLength)
        return entry;
    entry[BuiltInEffect::switches] = p.switches;
    for (std::size_t m = 0; m < BuiltInEffect::harmonicGainCount; ++m)
        writeField<std::int16_t>(entry.data(), BuiltInEffect::harmonicGains + 2 * m, p.gains[m]);
    writeField<std::int16_t>(entry.data(), BuiltInEffect::levelOffset, p.levelOffset);
    writeField<std::int16_t>(entry.data(), BuiltInEffect::vibratoDelay, p.vibratoDelay);
    writeField<std::int16_t>(entry.data(), BuiltInEffect::vibratoRate, p.vibratoRate);
    writeField<std::int16_t>(entry.data(), BuiltInEffect::vibratoDepth, p.vibratoDepth);
    writeField<std::int16_t>(entry.data(), BuiltInEffect::tremoloDelay, p.tremoloDelay);
    writeField<std::int16_t>(entry.data(), BuiltInEffect::tremoloRate, p.tremoloRate);
    writeField<std::int16_t>(entry.data(), BuiltInEffect::tremoloDepth, p.tremoloDepth);
    writeField<std::int16_t>(entry.data(), BuiltInEffect::smoothingBlendIn, p.blendIn);
    writeField<std::int16_t>(entry.data(), BuiltInEffect::smoothingWidth, p.width);
    return entry;
}

// What a source answers, with vibrato and tremolo of its own that the switches may
// replace.
SampleRequest sourceAnswer(std::uint32_t rate = 44100)
{
    SampleRequest r{};
    r.pitch = 6000;
    r.outBytes = 2;
    r.outRate = rate;
    r.totalSamples = 30000;
    r.noteOff = 20000;
    r.sampleBytes = 2;
    r.sampleRate = 44100;
    r.rootPitch = 6000;
    r.sampleLength = 4000;
    r.loopStart = 1000;
    r.loopEnd = 3000;
    r.vibratoDelay = 11;
    r.vibratoRate = 5000;
    r.vibratoDepth = 17;
    r.tremoloDelay = 13;
    r.tremoloRate = 3000;
    r.tremoloDepth = 90;
    return r;
}

// A note on a track with a loudness change inside it, so that its level table has
// more than one entry.
struct Scene {
    std::unique_ptr<Durad> durad = std::make_unique<Durad>(nullptr);
    Track* track = nullptr;
    Note* note = nullptr;

    Scene()
    {
        track = trackAt(*durad, 0);
        insertNote(*durad, 0, kNotePosition, 60, 64);
        insertLoud(*durad, 0, kNotePosition + 20, -700);
        note = noteAtOrAfter(*track, kNotePosition);
    }

    void add(const std::vector<std::uint8_t>& record) { ASSERT_EQ(insertEffect(*durad, 0, record.data()), 1); }
};

// The request, shape and level table after normalization and the built-in parameters.
struct Applied {
    SampleRequest request;
    NoteShape shape;
    std::vector<LevelTable::Entry> levels;
};

Applied apply(Scene& scene, SampleRequest request, bool withEffects = true)
{
    NoteCurves curves;
    curves.build(*scene.note, *scene.track, *scene.durad, request.attenuation);
    Applied result;
    result.shape = normalizeRequest(request);
    if (withEffects)
        applyBuiltInEffect(*scene.track, scene.note->position, request, curves, result.shape);
    result.request = request;
    result.levels = curves.level.entries();
    return result;
}

void expectUntouched(const Applied& applied, const Applied& plain)
{
    EXPECT_EQ(applied.request.vibratoDelay, plain.request.vibratoDelay);
    EXPECT_EQ(applied.request.vibratoDepth, plain.request.vibratoDepth);
    EXPECT_EQ(applied.shape.vibratoPeriod, plain.shape.vibratoPeriod);
    EXPECT_EQ(applied.request.tremoloDelay, plain.request.tremoloDelay);
    EXPECT_EQ(applied.request.tremoloDepth, plain.request.tremoloDepth);
    EXPECT_EQ(applied.shape.tremoloPeriod, plain.shape.tremoloPeriod);
    EXPECT_EQ(applied.shape.smoothingWidth, plain.shape.smoothingWidth);
    EXPECT_EQ(applied.shape.blendLength, plain.shape.blendLength);
    for (int m = 0; m < 11; ++m)
        EXPECT_EQ(applied.shape.harmonicGains[m], 1.0) << m;
    ASSERT_EQ(applied.levels.size(), plain.levels.size());
    for (std::size_t i = 0; i < plain.levels.size(); ++i)
        EXPECT_EQ(applied.levels[i].level, plain.levels[i].level) << i;
}

TEST(BuiltInEffectParameters, EachSwitchReplacesItsOwnFieldsAndNothingElse)
{
    const Parameters p;
    Scene plainScene;
    const Applied plain = apply(plainScene, sourceAnswer());
    ASSERT_EQ(plain.levels.size(), 2u);
    ASSERT_EQ(plain.shape.smoothingWidth, 8u);

    for (unsigned switches = 0; switches < 32; ++switches) {
        SCOPED_TRACE("switches " + std::to_string(switches));
        Parameters these = p;
        these.switches = static_cast<std::uint8_t>(switches);
        Scene scene;
        scene.add(effectRecord("effect.dll", 0, 1000, these));
        const Applied a = apply(scene, sourceAnswer());

        ASSERT_EQ(a.levels.size(), plain.levels.size());
        for (std::size_t i = 0; i < plain.levels.size(); ++i)
            EXPECT_EQ(a.levels[i].level, plain.levels[i].level + (switches & 1 ? 10 * p.levelOffset : 0)) << i;

        if (switches & 2) {
            EXPECT_EQ(a.shape.blendLength, 441); // 10 ms
            EXPECT_EQ(a.shape.smoothingWidth, 17u); // 200 x 44100 / 500000
        } else {
            EXPECT_EQ(a.shape.blendLength, plain.shape.blendLength);
            EXPECT_EQ(a.shape.smoothingWidth, plain.shape.smoothingWidth);
        }

        for (int m = 0; m < 11; ++m)
            EXPECT_EQ(a.shape.harmonicGains[m], switches & 4 ? std::pow(10.0, 10.0 * p.gains[m] / 2000.0) : 1.0) << m;

        if (switches & 8) {
            EXPECT_EQ(a.shape.vibratoPeriod, 11024); // 44100 x 1000 / 4000 = 11025, down to a multiple of 4
            EXPECT_EQ(a.request.vibratoDelay, 300u);
            EXPECT_EQ(a.request.vibratoDepth, 40);
        } else {
            EXPECT_EQ(a.shape.vibratoPeriod, plain.shape.vibratoPeriod);
            EXPECT_EQ(a.request.vibratoDelay, plain.request.vibratoDelay);
            EXPECT_EQ(a.request.vibratoDepth, plain.request.vibratoDepth);
        }

        if (switches & 16) {
            EXPECT_EQ(a.shape.tremoloPeriod, 6300);
            EXPECT_EQ(a.request.tremoloDelay, 100u);
            EXPECT_EQ(a.request.tremoloDepth, 250); // cB into mB
        } else {
            EXPECT_EQ(a.shape.tremoloPeriod, plain.shape.tremoloPeriod);
            EXPECT_EQ(a.request.tremoloDelay, plain.request.tremoloDelay);
            EXPECT_EQ(a.request.tremoloDepth, plain.request.tremoloDepth);
        }
    }
}

TEST(BuiltInEffectParameters, OnlyTheFirstEffectDllEntryInForceAtTheNoteCounts)
{
    Parameters vibrato;
    vibrato.switches = BuiltInEffect::kSwitchVibrato;
    Parameters tremolo;
    tremolo.switches = BuiltInEffect::kSwitchTremolo;
    Parameters smoothing;
    smoothing.switches = BuiltInEffect::kSwitchSmoothing;
    Parameters everything;

    const struct {
        const char* name;
        std::vector<std::vector<std::uint8_t>> records;
        bool vibratoApplies;
    } cases[] = {
        {"another library's record is passed over",
         {effectRecord("other.dll", 0, 1000, everything), effectRecord("EFFECT.DLL", 10, 1000, vibrato)},
         true},
        {"a second effect.dll entry is not looked at",
         {effectRecord("Effect.Dll", 0, 1000, vibrato), effectRecord("effect.dll", 10, 1000, tremolo)},
         true},
        {"an entry whose range ends at the note is not in force",
         {effectRecord("effect.dll", 0, kNotePosition, tremolo), effectRecord("effect.dll", 10, 1000, vibrato)},
         true},
        {"an entry starting after the note is not in force",
         {effectRecord("effect.dll", kNotePosition + 1, 1000, vibrato)},
         false},
        {"a name that only begins like it is another library",
         {effectRecord("effect.dll.so", 0, 1000, vibrato)},
         false},
        {"a first entry too short for the parameters carries none, and ends the search",
         {effectRecord("effect.dll", 0, 1000, smoothing, 143), effectRecord("effect.dll", 10, 1000, vibrato)},
         false},
    };
    Scene plainScene;
    const Applied plain = apply(plainScene, sourceAnswer());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Scene scene;
        for (const auto& record : c.records)
            scene.add(record);
        const Applied a = apply(scene, sourceAnswer());
        if (c.vibratoApplies) {
            EXPECT_EQ(a.request.vibratoDelay, 300u);
            EXPECT_EQ(a.request.vibratoDepth, 40);
            EXPECT_EQ(a.shape.vibratoPeriod, 11024);
            // The vibrato record's other switches are off: nothing else moves.
            EXPECT_EQ(a.request.tremoloDepth, plain.request.tremoloDepth);
            EXPECT_EQ(a.shape.smoothingWidth, plain.shape.smoothingWidth);
            EXPECT_EQ(a.levels[0].level, plain.levels[0].level);
        } else {
            expectUntouched(a, plain);
        }
    }
}

TEST(BuiltInEffectParameters, ValuesOutsideTheirRangeNeitherWrapNorDivideByZero)
{
    const struct {
        const char* name;
        std::uint32_t rate;
        Parameters p;
        std::int64_t vibratoPeriod;
        std::uint32_t vibratoDelay;
        std::int16_t tremoloDepth;
        std::uint64_t width;
        std::int64_t blend;
    } cases[] = {
        {"negative rates stop the oscillators", 44100,
         [] { Parameters p; p.vibratoRate = -4000; p.tremoloRate = -1; return p; }(), 0, 300, 250, 17, 441},
        {"a rate of 0 stops the oscillator", 44100,
         [] { Parameters p; p.vibratoRate = 0; return p; }(), 0, 300, 250, 17, 441},
        {"a negative delay is a delay no note reaches", 44100,
         [] { Parameters p; p.vibratoDelay = -5; return p; }(), 11024, 0xFFFFFFFB, 250, 17, 441},
        {"a deep tremolo saturates its depth", 44100,
         [] { Parameters p; p.tremoloDepth = 4000; return p; }(), 11024, 300, 32767, 17, 441},
        {"a deep negative tremolo saturates too", 44100,
         [] { Parameters p; p.tremoloDepth = -4000; return p; }(), 11024, 300, -32768, 17, 441},
        {"the widest window at a high rate does not wrap", 192000,
         [] { Parameters p; p.width = 32767; return p; }(), 48000, 300, 250, 12582, 1920},
        {"a negative width gives no window", 44100,
         [] { Parameters p; p.width = -1; return p; }(), 11024, 300, 250, 0, 441},
        {"a negative blend-in time blends nothing in", 44100,
         [] { Parameters p; p.blendIn = -10; return p; }(), 11024, 300, 250, 17, -441},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Scene scene;
        scene.add(effectRecord("effect.dll", 0, 1000, c.p));
        const Applied a = apply(scene, sourceAnswer(c.rate));
        EXPECT_EQ(a.shape.vibratoPeriod, c.vibratoPeriod);
        EXPECT_EQ(a.request.vibratoDelay, c.vibratoDelay);
        EXPECT_EQ(a.request.tremoloDepth, c.tremoloDepth);
        EXPECT_EQ(a.shape.smoothingWidth, c.width);
        EXPECT_EQ(a.shape.blendLength, c.blend);
    }
}

TEST(BuiltInEffectParameters, ANoteSynthesizedWithEffectsDisabledKeepsWhatTheSourceDelivered)
{
    Scene scene;
    scene.add(effectRecord("effect.dll", 0, 1000, Parameters{}));
    std::vector<unsigned char> block(2 * 4100);
    for (std::size_t n = 0; n < 4100; ++n) {
        const auto v = static_cast<std::int16_t>(std::lround(12000.0 * std::sin(2.0 * M_PI * n / 80.0)));
        block[2 * n] = static_cast<unsigned char>(v);
        block[2 * n + 1] = static_cast<unsigned char>(static_cast<std::uint16_t>(v) >> 8);
    }
    const std::atomic<std::int32_t> stop{0};
    NoteCurves curves;

    NoteSynth disabled;
    SampleRequest off = sourceAnswer();
    ASSERT_EQ(disabled.synthesize(*scene.note, *scene.track, *scene.durad, off, block.data(), false, curves, stop),
              NoteSynth::Result::Rendered);
    const std::vector<std::int32_t> offValues(disabled.values(), disabled.values() + off.totalSamples);
    EXPECT_EQ(off.vibratoDepth, 17);
    EXPECT_EQ(off.tremoloDepth, 90);
    EXPECT_EQ(disabled.shape().smoothingWidth, 8u);
    EXPECT_EQ(disabled.shape().blendLength, 0);
    for (int m = 0; m < 11; ++m)
        EXPECT_EQ(disabled.shape().harmonicGains[m], 1.0);

    NoteSynth enabled;
    SampleRequest on = sourceAnswer();
    ASSERT_EQ(enabled.synthesize(*scene.note, *scene.track, *scene.durad, on, block.data(), true, curves, stop),
              NoteSynth::Result::Rendered);
    EXPECT_EQ(on.vibratoDepth, 40);
    EXPECT_EQ(on.tremoloDepth, 250);
    EXPECT_EQ(enabled.shape().smoothingWidth, 17u);
    ASSERT_EQ(on.totalSamples, off.totalSamples);
    EXPECT_FALSE(std::equal(offValues.begin(), offValues.end(), enabled.values()));
}

} // namespace
} // namespace orlim::testing
