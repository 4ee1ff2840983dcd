// Note synthesis against a plain transcription of its formulas, sample for sample,
// and the behaviours its arithmetic singles out.
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/model/Durad.h"
#include "engine/model/Editing.h"
#include "engine/render/BuiltInEffect.h"
#include "engine/render/Interpolator.h"
#include "engine/render/NoteCurves.h"
#include "engine/render/NoteSynth.h"
#include "engine/render/SynthMath.h"
#include "plugin-api/Entries.h"
#include "tests/render/NoteReference.h"

namespace orlim::testing {
namespace {

enum class Wave { Sine, Ramp, Noise, Constant };

// A block of `length` points (and 8 more continuing it) of `bytes` bytes each.
std::vector<unsigned char> makeBlock(Wave wave, std::uint32_t length, unsigned bytes, std::int64_t amplitude,
                                     std::uint32_t period = 100)
{
    std::mt19937 random(42);
    std::vector<unsigned char> block((std::size_t{length} + 8) * bytes);
    for (std::size_t n = 0; n < length + 8u; ++n) {
        std::int64_t v = 0;
        switch (wave) {
        case Wave::Sine:
            v = std::llround(static_cast<double>(amplitude) * std::sin(2.0 * M_PI * static_cast<double>(n) / period));
            break;
        case Wave::Ramp:
            v = amplitude * static_cast<std::int64_t>(n % period) / period;
            break;
        case Wave::Noise:
            v = static_cast<std::int64_t>(random() % (2 * static_cast<std::uint64_t>(amplitude) + 1)) - amplitude;
            break;
        case Wave::Constant:
            v = amplitude;
            break;
        }
        for (unsigned b = 0; b < bytes; ++b)
            block[n * bytes + b] = static_cast<unsigned char>(static_cast<std::uint64_t>(v) >> (8 * b));
    }
    return block;
}

// What a source answers: a plain 16-bit block at 44.1 kHz rooted at middle C,
// sounding `total` samples with the release at `noteOff`, no envelope segments.
SampleRequest answer(std::uint32_t total, std::uint32_t noteOff, std::uint32_t length)
{
    SampleRequest r{};
    r.pitch = 6000;
    r.outBytes = 2;
    r.outRate = 44100;
    r.totalSamples = total;
    r.noteOff = noteOff;
    r.sampleBytes = 2;
    r.sampleRate = 44100;
    r.rootPitch = 6000;
    r.sampleLength = length;
    return r;
}

struct SynthCase {
    const char* name;
    SampleRequest request;
    Wave wave = Wave::Sine;
    std::int64_t amplitude = 20000;
    std::uint32_t period = 100;
    int pitch = 60;          // the note's pitch, semitones
    int tune = 0;
    int legato = 1000;
    bool curves = false;     // loudness, pan, expression and portamento points inside the note
    bool builtIn = false;    // an "effect.dll" entry with every switch
};

std::vector<SynthCase> synthCases()
{
    std::vector<SynthCase> cases;
    {
        SynthCase c{"no loop, pitch at the root at 44.1 kHz", answer(30000, 20000, 50000)};
        cases.push_back(c);
    }
    {
        SynthCase c{"a loop played 1200 cents above the root", answer(30000, 20000, 2000)};
        c.pitch = 72;
        c.request.loopStart = 1000;
        c.request.loopEnd = 1500;
        cases.push_back(c);
    }
    {
        SynthCase c{"vibrato after a delay", answer(30000, 20000, 3000)};
        c.request.loopStart = 500;
        c.request.loopEnd = 2500;
        c.request.vibratoRate = 5500;
        c.request.vibratoDepth = 70;
        c.request.vibratoDelay = 1200;
        c.tune = 13;
        cases.push_back(c);
    }
    {
        SynthCase c{"tremolo after a delay", answer(30000, 20000, 40000)};
        c.request.tremoloRate = 6000;
        c.request.tremoloDepth = 300;
        c.request.tremoloDelay = 700;
        cases.push_back(c);
    }
    {
        SynthCase c{"low-pass at 2 kHz on noise", answer(20000, 15000, 40000)};
        c.wave = Wave::Noise;
        c.request.cutoff = 2000000;
        cases.push_back(c);
    }
    {
        SynthCase c{"every envelope segment", answer(40000, 20000, 60000)};
        SampleRequest& r = c.request;
        r.delayEnd = 1000;
        r.attackEnd = 3000;
        r.holdEnd = 5000;
        r.decayEnd = 9000;
        r.levelStart = -2000;
        r.levelAttack = 0;
        r.levelHold = -100;
        r.levelDecay = -600;
        r.levelNoteOff = -1200;
        r.attenuation = 150;
        cases.push_back(c);
    }
    {
        SynthCase c{"curves of the track and the note inside it", answer(40000, 30000, 50000)};
        c.curves = true;
        c.request.loopStart = 20000;
        c.request.loopEnd = 45000;
        cases.push_back(c);
    }
    {
        SynthCase c{"the built-in effect parameters", answer(30000, 20000, 4000)};
        c.builtIn = true;
        c.request.loopStart = 1000;
        c.request.loopEnd = 3000;
        cases.push_back(c);
    }
    {
        SynthCase c{"an 8-bit block into 24-bit output at 22.05 kHz", answer(15000, 10000, 30000)};
        c.request.sampleBytes = 1;
        c.request.outBytes = 3;
        c.request.outRate = 22050;
        c.amplitude = 120;
        c.wave = Wave::Ramp;
        c.period = 77;
        cases.push_back(c);
    }
    {
        SynthCase c{"a 24-bit block an octave and a fifth down", answer(20000, 15000, 20000)};
        c.request.sampleBytes = 3;
        c.amplitude = 8000000;
        c.pitch = 41;
        cases.push_back(c);
    }
    {
        SynthCase c{"a 32-bit block into 8-bit output", answer(20000, 15000, 40000)};
        c.request.sampleBytes = 4;
        c.request.outBytes = 1;
        c.amplitude = 2000000000;
        c.pitch = 65;
        cases.push_back(c);
    }
    {
        SynthCase c{"a loop shorter than one step", answer(12000, 8000, 600)};
        c.pitch = 96;
        c.request.loopStart = 300;
        c.request.loopEnd = 302;
        cases.push_back(c);
    }
    {
        SynthCase c{"a note released at once", answer(5000, 0, 20000)};
        c.request.startOffset = 50;
        cases.push_back(c);
    }
    {
        // About 194 points a step over a loop of 2: each step wraps a hundred times.
        SynthCase c{"a two-point loop stepped over by a hundred loop lengths", answer(12000, 8000, 600)};
        c.pitch = 115;
        c.request.sampleRate = 352800;
        c.request.loopStart = 300;
        c.request.loopEnd = 302;
        c.wave = Wave::Noise;
        cases.push_back(c);
    }
    {
        // 10^10 times the block's level: every store saturates instead of wrapping.
        SynthCase c{"levels far above full scale", answer(20000, 15000, 40000)};
        c.request.levelStart = 20000;
        c.request.levelNoteOff = 20000;
        c.request.delayEnd = 200;
        c.request.tremoloRate = 6000;
        c.request.tremoloDepth = 300;
        cases.push_back(c);
    }
    {
        SynthCase c{"a full-scale 32-bit block whose interpolation overshoots", answer(20000, 15000, 40000)};
        c.request.sampleBytes = 4;
        c.request.outBytes = 4;
        c.wave = Wave::Noise;
        c.amplitude = 2147483647;
        c.pitch = 67;
        // The note's level table is at -550 mB: the envelope brings it back to 0 dB.
        c.request.levelStart = 550;
        c.request.levelNoteOff = 550;
        cases.push_back(c);
    }
    return cases;
}

// One track with one note, as the cases want it.
struct Scene {
    std::unique_ptr<Durad> durad = std::make_unique<Durad>(nullptr);
    Track* track = nullptr;
    Note* note = nullptr;

    explicit Scene(const SynthCase& c)
    {
        durad->level = -300;
        track = trackAt(*durad, 0);
        const std::uint32_t position = 64;
        insertNote(*durad, 0, position, c.pitch, 64);
        note = noteAtOrAfter(*track, position);
        note->tune = static_cast<std::int8_t>(c.tune);
        note->legato = static_cast<std::int16_t>(c.legato);
        note->loudness = -250;
        if (c.curves) {
            insertLoud(*durad, 0, 32, -400);
            insertLoud(*durad, 0, 80, 200);
            insertLoud(*durad, 0, 100, -1000);
            insertPano(*durad, 0, 48, -8000, 100, 0);
            insertPano(*durad, 0, 90, 12000, -3000, 500);
            const CurvePoint expression[] = {{0, 100}, {250, -300}, {600, -300}, {1000, 400}};
            const CurvePoint portamento[] = {{100, 0}, {400, 150}, {800, -220}};
            setExpression(*note, expression, 4);
            setPortamento(*note, portamento, 3);
        }
        if (c.builtIn) {
            std::vector<std::uint8_t> entry(BuiltInEffect::kMinLength, 0);
            writeField<std::uint16_t>(entry.data(), 0, static_cast<std::uint16_t>(entry.size()));
            writeField<std::uint32_t>(entry.data(), EffectEntryOffset::start, 0);
            writeField<std::uint32_t>(entry.data(), EffectEntryOffset::ticks, 1000);
            setNameField(entry.data(), EffectEntryOffset::fileName, "Effect.DLL");
            entry[BuiltInEffect::switches] = 0x1F;
            for (std::size_t m = 0; m < 12; ++m)
                writeField<std::int16_t>(entry.data(), BuiltInEffect::harmonicGains + 2 * m,
                                         static_cast<std::int16_t>(-20 * static_cast<int>(m)));
            writeField<std::int16_t>(entry.data(), BuiltInEffect::levelOffset, -35);
            writeField<std::int16_t>(entry.data(), BuiltInEffect::vibratoDelay, 300);
            writeField<std::int16_t>(entry.data(), BuiltInEffect::vibratoRate, 4000);
            writeField<std::int16_t>(entry.data(), BuiltInEffect::vibratoDepth, 40);
            writeField<std::int16_t>(entry.data(), BuiltInEffect::tremoloDelay, 100);
            writeField<std::int16_t>(entry.data(), BuiltInEffect::tremoloRate, 7000);
            writeField<std::int16_t>(entry.data(), BuiltInEffect::tremoloDepth, 25);
            writeField<std::int16_t>(entry.data(), BuiltInEffect::smoothingBlendIn, 10);
            writeField<std::int16_t>(entry.data(), BuiltInEffect::smoothingWidth, 200);
            insertEffect(*durad, 0, entry.data());
        }
    }
};

class NoteSynthesisReference : public ::testing::TestWithParam<SynthCase> {};

TEST_P(NoteSynthesisReference, TheNoteBufferEqualsThePlainFormulasSampleForSample)
{
    const SynthCase& c = GetParam();
    Scene scene(c);
    SampleRequest r = c.request;
    r.pitch = static_cast<std::int16_t>(scene.note->pitch * 100 + scene.note->tune);
    const std::vector<unsigned char> block = makeBlock(c.wave, r.sampleLength, r.sampleBytes, c.amplitude, c.period);

    const reference::Note expected =
        reference::synthesize(*scene.note, *scene.track, *scene.durad, r,
                              reference::readPoints(block.data(), r.sampleLength + 8u, r.sampleBytes), c.builtIn);

    NoteSynth synth;
    NoteCurves curves;
    const std::atomic<std::int32_t> stop{0};
    ASSERT_EQ(synth.synthesize(*scene.note, *scene.track, *scene.durad, r, block.data(), c.builtIn, curves, stop),
              NoteSynth::Result::Rendered);
    ASSERT_EQ(r.totalSamples, expected.request.totalSamples);
    EXPECT_EQ(r.noteOff, expected.request.noteOff);
    EXPECT_EQ(synth.shape().smoothingWidth, expected.smoothingWidth);
    EXPECT_EQ(synth.shape().blendLength, expected.blendLength);
    std::size_t differences = 0;
    std::size_t first = 0;
    for (std::size_t k = 0; k < r.totalSamples; ++k) {
        if (synth.values()[k] != expected.buffer[k] && differences++ == 0)
            first = k;
    }
    EXPECT_EQ(differences, 0u) << "first at sample " << first << ": " << synth.values()[first] << " instead of "
                               << expected.buffer[first];
    // The case must sound, or it would compare nothing.
    EXPECT_TRUE(std::any_of(expected.buffer.begin(), expected.buffer.end(), [](std::int32_t v) { return v != 0; }));

    // The same note again, after another one, gives the same bits: nothing of the
    // previous note stays behind in the reused buffers.
    SampleRequest again = c.request;
    again.pitch = r.pitch;
    NoteSynth::Result result = synth.synthesize(*scene.note, *scene.track, *scene.durad, again, block.data(),
                                                c.builtIn, curves, stop);
    ASSERT_EQ(result, NoteSynth::Result::Rendered);
    EXPECT_TRUE(std::equal(expected.buffer.begin(), expected.buffer.end(), synth.values()));
}

INSTANTIATE_TEST_SUITE_P(Cases, NoteSynthesisReference, ::testing::ValuesIn(synthCases()),
                         [](const ::testing::TestParamInfo<SynthCase>& info) {
                             std::string name;
                             for (const char* p = info.param.name; *p; ++p)
                                 if (std::isalnum(static_cast<unsigned char>(*p)))
                                     name += *p;
                             return name;
                         });

TEST(Interpolator, GivesThePlainFormulasValueForEveryWindowAndPosition)
{
    std::mt19937_64 random(5);
    const double gains[11] = {1.0, 0.9, 1.1, 0.5, 1.0, 2.0, 0.25, 1.0, 1.0, 0.75, 1.5};
    const double unity[11] = {1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0};
    for (const unsigned bytes : {1u, 2u, 3u, 4u}) {
        SCOPED_TRACE(bytes);
        const std::int64_t amplitude = (std::int64_t{1} << (8 * bytes - 1)) - 1;
        const std::vector<unsigned char> block = makeBlock(Wave::Noise, 4000, bytes, amplitude);
        const std::vector<std::int64_t> points = reference::readPoints(block.data(), 4000, bytes);
        Interpolator window;
        for (int trial = 0; trial < 4000; ++trial) {
            // Mostly small forward moves, as in resampling, with jumps in between.
            std::int64_t w = trial % 7 == 0 ? static_cast<std::int64_t>(random() % 3980)
                                            : std::min<std::int64_t>(3980, std::max<std::int64_t>(window.start(), 0) +
                                                                               static_cast<std::int64_t>(random() % 3));
            const double p = static_cast<double>(w) + 6.0 + static_cast<double>(random() % 1000000) / 1000000.0;
            switch (bytes) {
            case 1:
                window.moveTo<1>(w, block.data());
                break;
            case 2:
                window.moveTo<2>(w, block.data());
                break;
            case 3:
                window.moveTo<3>(w, block.data());
                break;
            default:
                window.moveTo<4>(w, block.data());
                break;
            }
            const double* g = trial % 2 ? gains : unity;
            ASSERT_EQ(window.value(p, g), reference::interpolate(points, w, p, g)) << "window " << w << " at " << p;
        }
    }
}

TEST(Interpolator, TheSeriesCosineAndSineTruncateAsTheLibrarysDoOrDeferToIt)
{
    std::vector<double> angles;
    // Every angle where 32768 cos or 32768 sin crosses an integer, and its neighbours.
    for (int k = -8481; k <= 0; ++k)
        angles.push_back(std::acos(k / 32768.0));
    for (int k = 31651; k <= 32768; ++k)
        angles.push_back(M_PI - std::asin(k / 32768.0));
    const std::size_t crossings = angles.size();
    for (std::size_t i = 0; i < crossings; ++i) {
        double below = angles[i];
        double above = angles[i];
        for (int step = 0; step < 4; ++step) {
            below = std::nextafter(below, 0.0);
            above = std::nextafter(above, 4.0);
            angles.push_back(below);
            angles.push_back(above);
        }
    }
    std::mt19937_64 random(11);
    for (int i = 0; i < 2000000; ++i)
        angles.push_back(Interpolator::angle(6.0 + static_cast<double>(random() % 1000000007) / 1000000007.0, 0));
    angles.push_back(Interpolator::angle(6.0, 0));
    std::size_t deferred = 0;
    for (const double theta : angles) {
        std::int32_t cq;
        std::int32_t sq;
        std::int32_t libraryCq;
        std::int32_t librarySq;
        libraryCosSin(theta, libraryCq, librarySq);
        if (!seriesCosSin(theta, cq, sq)) {
            ++deferred;
            continue;
        }
        ASSERT_EQ(cq, libraryCq) << theta;
        ASSERT_EQ(sq, librarySq) << theta;
    }
    // Only the angles next to a boundary are left to the library.
    EXPECT_LT(deferred, 10 * crossings);
}

TEST(Interpolator, ItsSineTableHasTheQuarterWaveAndItsSymmetry)
{
    for (int m = 1; m <= 11; ++m)
        for (int n = 1; n <= 11; ++n)
            EXPECT_EQ(kHarmonicSines.q[n][m - 1], reference::sine4096(m * n)) << m << " x " << n;
    EXPECT_EQ(reference::sine4096(6), 4096);
    EXPECT_EQ(reference::sine4096(18), -4096);
    EXPECT_EQ(reference::sine4096(1), 1060);
    EXPECT_EQ(reference::sine4096(11), 1060);
    EXPECT_EQ(reference::sine4096(13), -1060);
}

TEST(Frequency, MiddleCAndTheOctavesAroundIt)
{
    EXPECT_DOUBLE_EQ(frequencyOfCents(6000), 261.63);
    EXPECT_DOUBLE_EQ(frequencyOfCents(7200), 523.26);
    EXPECT_DOUBLE_EQ(frequencyOfCents(4800), 130.815);
    EXPECT_EQ(octaveTable(0), 261630u);
    EXPECT_EQ(octaveTable(1200), 523260u);
}

TEST(Frequency, EqualsThePlainFormulaOverTheWholePitchRange)
{
    for (int c = -32768; c <= 32767; ++c)
        ASSERT_EQ(frequencyOfCents(c), reference::frequency(c)) << c;
    // Beyond the 16-bit pitches the frequency saturates; far below it, it is 0.
    EXPECT_EQ(frequencyOfCents(100000), frequencyOfCents(32767));
    EXPECT_EQ(frequencyOfCents(-32768), 0.0);
    EXPECT_GT(frequencyOfCents(32767), 0.0);
}

struct NormalizeCase {
    const char* name;
    std::uint32_t total;
    std::uint32_t noteOff;
    std::uint32_t rate;
    std::uint32_t expectedTotal;
    std::uint32_t expectedNoteOff;
    std::uint32_t expectedRelease;
};

TEST(NormalizeRequest, CutsTheLengthToOneAndAHalfNoteOffAndKeepsATenthOfASecondOfRelease)
{
    const NormalizeCase cases[] = {
        {"a length beyond 1.5 x noteOff is cut", 100000, 20000, 44100, 30000, 20000, 10000},
        {"a release under rate / 10 is lengthened", 21000, 20000, 44100, 24410, 20000, 4410},
        {"noteOff beyond the length is cut to it", 10000, 50000, 44100, 14410, 10000, 4410},
        {"a silent length still releases", 0, 0, 44100, 4410, 0, 4410},
        {"an odd noteOff rounds the cut down", 9999, 3333, 8000, 4999, 3333, 1666},
        {"a huge noteOff does not wrap", 0xFFFFFFFF, 0xF0000000, 44100, 0xFFFFFFFF, 0xF0000000, 0x0FFFFFFF},
    };
    for (const NormalizeCase& c : cases) {
        SCOPED_TRACE(c.name);
        SampleRequest r = answer(c.total, c.noteOff, 1000);
        r.outRate = c.rate;
        const NoteShape shape = normalizeRequest(r);
        EXPECT_EQ(r.totalSamples, c.expectedTotal);
        EXPECT_EQ(r.noteOff, c.expectedNoteOff);
        EXPECT_EQ(shape.release, c.expectedRelease);
    }
}

TEST(NormalizeRequest, TheLowPassIsOffWithoutCutoffAndFromAbout13kHz)
{
    const struct {
        std::uint32_t cutoff;
        bool off;
    } cases[] = {{0, true}, {20000000, true}, {13000000, true}, {12800000, false}, {1000000, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.cutoff);
        SampleRequest r = answer(1000, 1000, 1000);
        r.cutoff = c.cutoff;
        const NoteShape shape = normalizeRequest(r);
        if (c.off) {
            EXPECT_EQ(shape.lowPass, 1.0);
        } else {
            const double x = 2.0 * M_PI * (c.cutoff / 1000.0) / 44100.0;
            EXPECT_EQ(shape.lowPass, std::exp(-x) - 1.0 + x);
            EXPECT_LT(shape.lowPass, 1.0);
        }
    }
}

TEST(NormalizeRequest, EnvelopeEndsBeyondNoteOffFallAwayWithTheirLevels)
{
    SampleRequest r = answer(10000, 5000, 1000);
    r.attackEnd = 6000;
    r.holdEnd = 4000;
    r.decayEnd = 7000;
    r.levelStart = -100;
    r.levelAttack = -200;
    r.levelHold = -300;
    r.levelDecay = -400;
    r.levelNoteOff = -1000;
    const NoteShape shape = normalizeRequest(r);
    EXPECT_EQ(r.attackEnd, 0u);
    EXPECT_EQ(r.holdEnd, 4000u);
    EXPECT_EQ(r.decayEnd, 0u);
    EXPECT_EQ(r.levelAttack, -100);
    EXPECT_EQ(r.levelHold, -300);
    EXPECT_EQ(r.levelDecay, -300);
    EXPECT_EQ(shape.slopeHold, -200.0 / 4000.0);
    EXPECT_EQ(shape.slopeRelease, -700.0 / 5000.0);
}

TEST(NormalizeRequest, OscillatorPeriodsAreMultiplesOfFourAndNeedARate)
{
    SampleRequest r = answer(1000, 1000, 1000);
    r.tremoloRate = 7000; // 6300 samples
    r.tremoloDepth = 100;
    r.vibratoRate = 0;
    r.vibratoDepth = 50;
    const NoteShape shape = normalizeRequest(r);
    EXPECT_EQ(shape.tremoloPeriod, 6300);
    EXPECT_EQ(r.tremoloDepth, 100);
    EXPECT_EQ(shape.vibratoPeriod, 0);
    EXPECT_EQ(r.vibratoDepth, 0);
    EXPECT_EQ(oscillatorPeriod(44100, 3000), 14700);
    EXPECT_EQ(oscillatorPeriod(44100, 6001), 7348);
    EXPECT_EQ(oscillatorPeriod(44100, -5), 0);
}

TEST(NormalizeRequest, DefaultSmoothingIsEightSamplesAt44kHzAndNoneAt8kHz)
{
    SampleRequest r = answer(1000, 1000, 1000);
    EXPECT_EQ(normalizeRequest(r).smoothingWidth, 8u);
    r.outRate = 8000;
    EXPECT_EQ(normalizeRequest(r).smoothingWidth, 1u);
}

TEST(NormalizeRequest, BlocksThatCannotBePlayedGiveASilentNote)
{
    const struct {
        const char* name;
        void (*spoil)(SampleRequest&);
    } cases[] = {
        {"points of no bytes", [](SampleRequest& r) { r.sampleBytes = 0; }},
        {"points of five bytes", [](SampleRequest& r) { r.sampleBytes = 5; }},
        {"a start at the block's end", [](SampleRequest& r) { r.startOffset = r.sampleLength; }},
        {"a root pitch without frequency", [](SampleRequest& r) { r.rootPitch = -32768; }},
        {"an output rate of 0", [](SampleRequest& r) { r.outRate = 0; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SampleRequest r = answer(1000, 1000, 1000);
        EXPECT_FALSE(normalizeRequest(r).silent);
        c.spoil(r);
        EXPECT_TRUE(normalizeRequest(r).silent);
    }
}

// A plain note of the scene, synthesized by the engine.
std::vector<std::int32_t> synthesized(SampleRequest r, const std::vector<unsigned char>& block, int pitch = 60)
{
    SynthCase c{"plain", r};
    c.pitch = pitch;
    Scene scene(c);
    r.pitch = static_cast<std::int16_t>(pitch * 100);
    NoteSynth synth;
    NoteCurves curves;
    const std::atomic<std::int32_t> stop{0};
    EXPECT_EQ(synth.synthesize(*scene.note, *scene.track, *scene.durad, r, block.data(), false, curves, stop),
              NoteSynth::Result::Rendered);
    return {synth.values(), synth.values() + r.totalSamples};
}

TEST(NoteSynth, AReadPositionThatNeverPassesSixGivesOnlyZeros)
{
    SampleRequest r = answer(20000, 15000, 1000);
    r.sampleRate = 10; // 1/4410 point per sample: the read position stays below 6
    const std::vector<std::int32_t> values = synthesized(r, makeBlock(Wave::Sine, 1000, 2, 20000));
    ASSERT_EQ(values.size(), 20000u);
    EXPECT_TRUE(std::all_of(values.begin(), values.end(), [](std::int32_t v) { return v == 0; }));
}

TEST(NoteSynth, TheReadPositionMovesOnePointPerSampleAtTheRootAndTwoAnOctaveHigher)
{
    // A block of 1000 points without loop sounds until the read position reaches 994.
    const struct {
        int pitch;
        std::size_t samples;
    } cases[] = {{60, 993}, {72, 496}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pitch);
        const std::vector<std::int32_t> values =
            synthesized(answer(20000, 15000, 1000), makeBlock(Wave::Sine, 1000, 2, 20000, 50), c.pitch);
        ASSERT_NE(values[c.samples - 1], 0);
        EXPECT_TRUE(std::all_of(values.begin() + static_cast<std::ptrdiff_t>(c.samples), values.end(),
                                [](std::int32_t v) { return v == 0; }));
    }
}

TEST(NoteSynth, ABlockWithoutLoopEndsSixPointsBeforeItsEnd)
{
    const struct {
        const char* name;
        std::uint32_t loopStart;
        std::uint32_t loopEnd;
    } cases[] = {{"no loop points", 0, 0}, {"a loop end not above its start", 800, 500},
                 {"a loop end beyond the block", 100, 1200}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SampleRequest r = answer(20000, 15000, 1000);
        r.loopStart = c.loopStart;
        r.loopEnd = c.loopEnd;
        const std::vector<std::int32_t> values = synthesized(r, makeBlock(Wave::Sine, 1000, 2, 20000, 50));
        // The read position at sample k is k + 1 points: the note ends where it
        // reaches point 994.
        const double step = frequencyOfCents(6000) * (44100.0 / frequencyOfCents(6000) / 44100.0);
        std::size_t end = 0;
        for (double p = step; p < 994.0; p += step)
            ++end;
        ASSERT_NE(values[end - 1], 0);
        EXPECT_TRUE(std::all_of(values.begin() + static_cast<std::ptrdiff_t>(end), values.end(),
                                [](std::int32_t v) { return v == 0; }));
    }
}

TEST(NoteSynth, ALoopWrapsByExactlyItsLength)
{
    // A sine of 50 points looped over 10 of its periods sounds like the sine itself.
    SampleRequest looped = answer(20000, 15000, 1600);
    looped.loopStart = 1000;
    looped.loopEnd = 1500;
    const std::vector<std::int32_t> wrapped = synthesized(looped, makeBlock(Wave::Sine, 1600, 2, 20000, 50));
    const std::vector<std::int32_t> straight =
        synthesized(answer(20000, 15000, 40000), makeBlock(Wave::Sine, 40000, 2, 20000, 50));
    ASSERT_EQ(wrapped.size(), straight.size());
    std::int32_t largest = 0;
    for (std::size_t k = 0; k < wrapped.size(); ++k)
        largest = std::max(largest, std::abs(wrapped[k] - straight[k]));
    EXPECT_LE(largest, 2);
    EXPECT_GT(*std::max_element(wrapped.begin(), wrapped.end()), 5000);
}

TEST(NoteSynth, WithoutSegmentsTheLevelFallsStraightFromStartToNoteOff)
{
    // Constant points read one per sample, no filter: every sample interpolates the
    // same value, and the envelope alone shapes the note.
    SampleRequest r = answer(30000, 20000, 40000);
    r.levelStart = -100;
    r.levelNoteOff = -2100;
    r.delayEnd = 50;
    const std::vector<std::int32_t> values = synthesized(r, makeBlock(Wave::Constant, 40000, 2, 10000));
    // The level table of the scene: -250 (the note) - 300 (the music) = -550 mB.
    const auto level = [](std::uint32_t i) {
        return -550 - 100 + static_cast<std::int64_t>(std::floor(i * (-2000.0 / 20000.0)));
    };
    const double raw = values[100] / levelGain(level(100));
    ASSERT_GT(raw, 1000.0);
    for (const std::uint32_t i : {50u, 777u, 5000u, 12345u, 19999u}) {
        SCOPED_TRACE(i);
        EXPECT_NEAR(values[i], raw * levelGain(level(i)), 1.0);
    }
    // After noteOff the last level holds, under the release fade.
    const double last = raw * levelGain(level(19999));
    EXPECT_NEAR(values[20000], last * (9999.0 / 10000.0), 2.0);
}

TEST(NoteSynth, ValuesBeyondThirtyTwoBitsSaturateInsteadOfWrapping)
{
    const struct {
        const char* name;
        Wave wave;
        unsigned bytes;
        std::int64_t amplitude;
        std::int16_t level;
    } cases[] = {
        {"a sine 10^10 times louder than full scale", Wave::Sine, 2, 20000, 20000},
        {"full-scale noise in a 32-bit block at 0 dB", Wave::Noise, 4, 2147483647, 550},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SampleRequest r = answer(20000, 15000, 40000);
        r.sampleBytes = static_cast<std::uint16_t>(c.bytes);
        r.outBytes = static_cast<std::uint16_t>(c.bytes);
        const std::vector<unsigned char> block = makeBlock(c.wave, 40000, c.bytes, c.amplitude);
        SampleRequest quiet = r;
        quiet.levelStart = -3000;
        quiet.levelNoteOff = -3000;
        r.levelStart = c.level;
        r.levelNoteOff = c.level;
        const std::vector<std::int32_t> loud = synthesized(r, block, 67);
        const std::vector<std::int32_t> soft = synthesized(quiet, block, 67);
        ASSERT_EQ(loud.size(), soft.size());
        EXPECT_GT(std::count(loud.begin(), loud.end(), std::numeric_limits<std::int32_t>::max()), 0);
        EXPECT_GT(std::count(loud.begin(), loud.end(), std::numeric_limits<std::int32_t>::min()), 0);
        // The same note at a lower level has the same signs: a wrapped value would
        // have turned a peak into its opposite.
        for (std::size_t k = 0; k < loud.size(); ++k) {
            if (soft[k] != 0) {
                ASSERT_EQ(loud[k] > 0, soft[k] > 0) << k;
            }
        }
    }
}

TEST(NoteSynth, StopsWhenTheStopWordIsSet)
{
    SynthCase c{"plain", answer(30000, 20000, 40000)};
    Scene scene(c);
    SampleRequest r = c.request;
    const std::vector<unsigned char> block = makeBlock(Wave::Sine, 40000, 2, 20000);
    NoteSynth synth;
    NoteCurves curves;
    const std::atomic<std::int32_t> stop{1};
    EXPECT_EQ(synth.synthesize(*scene.note, *scene.track, *scene.durad, r, block.data(), false, curves, stop),
              NoteSynth::Result::Stopped);
}

TEST(NoteSynth, ANoteTooLongForItsBufferIsSkipped)
{
    SynthCase c{"plain", answer(0xFFFFFFFF, 0xF0000000, 40000)};
    Scene scene(c);
    SampleRequest r = c.request;
    const std::vector<unsigned char> block = makeBlock(Wave::Sine, 40000, 2, 20000);
    NoteSynth synth;
    NoteCurves curves;
    const std::atomic<std::int32_t> stop{0};
    EXPECT_EQ(synth.synthesize(*scene.note, *scene.track, *scene.durad, r, block.data(), false, curves, stop),
              NoteSynth::Result::Skipped);
    EXPECT_LT(synth.capacity(), std::size_t{1} << 20);
}

} // namespace
} // namespace orlim::testing
